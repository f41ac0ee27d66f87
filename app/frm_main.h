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
  // A close of the window (close box, Alt+F4, task bar, another program):
  // the window is unloaded and the program ends, unasked. A close that
  // comes while a handler runs, from a wait inside it, is dropped: it would
  // end a repair half done.
  void Form_Unload();
  void ExitApp();

  // The text cmdStatus puts on the clipboard, read from the window now.
  [[nodiscard]] std::string StatusReport();

  [[nodiscard]] bool ended() const { return ended_; }
  [[nodiscard]] const modBugfix& bugfix() const { return bugfix_; }

 private:
  // Counts a handler as running for its lifetime.
  class RunningHandler {
   public:
    explicit RunningHandler(frmMain& form) : form_(form) { ++form_.runningHandlers_; }
    ~RunningHandler() { --form_.runningHandlers_; }
    RunningHandler(const RunningHandler&) = delete;
    RunningHandler& operator=(const RunningHandler&) = delete;

   private:
    frmMain& form_;
  };

  [[nodiscard]] bool handlerRunning() const { return runningHandlers_ > 0; }
  // The steps of the repair run that change the machine.
  void RepairSteps(const std::string& backupName);

  // The failure path of the repair run: message, two status lines, cmdGo
  // disabled, focus on cmdExit. The program keeps running.
  void ReportFailure(std::uint32_t number, const std::string& description);

  Platform& platform_;
  modBugfix bugfix_;
  bool ended_ = false;
  int runningHandlers_ = 0;
};

}  // namespace ocx
