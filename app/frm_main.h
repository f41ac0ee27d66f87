// frmMain: the program's one window and what its buttons do.
#pragma once

#include "fix/mod_bugfix.h"
#include "platform/platform.h"

namespace ocx {

class frmMain {
 public:
  explicit frmMain(Platform& platform) : platform_(platform), bugfix_(platform) {}

  // The program entry's part: load sequence, then the window is shown.
  void Start();

  void Form_Load();
  void cmdGo_Click();
  void cmdStatus_Click();
  void cmdExit_Click();
  // The close box: the window is unloaded and the program ends, unasked.
  void Form_Unload();
  void ExitApp();

  [[nodiscard]] bool ended() const { return ended_; }
  [[nodiscard]] const modBugfix& bugfix() const { return bugfix_; }

 private:
  Platform& platform_;
  modBugfix bugfix_;
  bool ended_ = false;
};

}  // namespace ocx
