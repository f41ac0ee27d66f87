// What a user of ocxmedic-sim asks for on its command line, and doing it to
// the running program as a user would.
#pragma once

#include <stdexcept>
#include <string>
#include <vector>

#include "app/sim/sim_session.h"

namespace ocx::sim {

struct UserAction {
  enum class Kind { Click, Close, Set, Enable, Tamper };
  Kind kind;
  ElementId element = kWindowItself;
  int value = 0;
  std::string path{};  // the file another process overwrites
};

// A command line that cannot be run; what() says why.
class CommandLineError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// "click:cmdGo", "close", "set:chkKillRegPath=0", "enable:cmdGo=1",
// "tamper:C:\Temp\MSCOMCTL.OCX".
UserAction parseUserAction(const std::string& text);

// Performs the action; a disabled target ignores it, as it would a user.
void perform(Session& session, const UserAction& action);

}  // namespace ocx::sim
