// One run of the program on a simulated machine: the machine, the headless
// window and frmMain, wired through the platform contract.
#pragma once

#include <memory>

#include "app/frm_main.h"
#include "platform/platform.h"
#include "platform/sim/headless_window.h"
#include "platform/sim/machine.h"

namespace ocx::sim {

class Session {
 public:
  explicit Session(std::unique_ptr<Machine> machine);
  Session(const Session&) = delete;
  Session& operator=(const Session&) = delete;

  [[nodiscard]] Machine& machine() { return *machine_; }
  [[nodiscard]] HeadlessWindow& window() { return window_; }
  [[nodiscard]] ocx::Platform& platform() { return platform_; }
  [[nodiscard]] frmMain& form() { return form_; }

 private:
  std::unique_ptr<Machine> machine_;
  HeadlessWindow window_;
  ocx::Platform platform_;
  frmMain form_;
};

}  // namespace ocx::sim
