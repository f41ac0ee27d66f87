// A step whose failure is passed over: the caller goes on with the next one
// and nothing is shown to the user. Only what the platform reports as a
// failure is passed over; anything else is a fault of the program and
// travels on.
#pragma once

#include "platform/error.h"

namespace ocx {

template <typename Step>
void passOver(Step&& step) {
  try {
    step();
  } catch (const PlatformError&) {
    // The next step runs regardless.
  }
}

}  // namespace ocx
