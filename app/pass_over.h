// The window's handlers, apart from the repair run, pass over a step that
// fails and go on with the next one; nothing is shown to the user.
#pragma once

#include <exception>

namespace ocx {

template <typename Step>
void passOver(Step&& step) noexcept {
  try {
    step();
  } catch (const std::exception&) {
    // The next step runs regardless.
  } catch (...) {
  }
}

}  // namespace ocx
