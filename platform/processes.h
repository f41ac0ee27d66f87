// Starting other programs.
#pragma once

#include <string>

namespace ocx {

namespace window_style {
inline constexpr int kHide = 0;
inline constexpr int kNormal = 1;
inline constexpr int kMinimizedFocus = 2;
}  // namespace window_style

class Processes {
 public:
  virtual ~Processes() = default;

  // CreateProcess of `commandLine`, the program found through the system's
  // search path, its main window shown with `windowStyle`. Then waits for
  // the process to end, however long it takes, while the program's window
  // keeps painting but takes no input; nothing is read back from it.
  // Throws PlatformError when the process cannot be started or the wait
  // fails.
  virtual void startProcess(const std::string& commandLine, int windowStyle) = 0;
};

}  // namespace ocx
