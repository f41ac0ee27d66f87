// frmMain: the program's one window and what its buttons do.
#pragma once

#include <cstdint>
#include <string>

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

  // The text cmdStatus puts on the clipboard, read from the window now.
  [[nodiscard]] std::string StatusReport();

  [[nodiscard]] bool ended() const { return ended_; }
  [[nodiscard]] const modBugfix& bugfix() const { return bugfix_; }

 private:
  // The failure path of the repair run: message, two status lines, cmdGo
  // disabled, focus on cmdExit. The program keeps running.
  void ReportFailure(std::uint32_t number, const std::string& description);

  Platform& platform_;
  modBugfix bugfix_;
  bool ended_ = false;
};

}  // namespace ocx
