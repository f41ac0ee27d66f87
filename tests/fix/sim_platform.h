// A simulated machine with the headless frmMain window, assembled into the
// Platform that the fix operations run on.
#pragma once

#include <memory>
#include <string>

#include "app/frm_main_layout.h"
#include "platform/platform.h"
#include "platform/sim/headless_window.h"
#include "platform/sim/machine.h"

namespace ocx::test {

class SimPlatform {
 public:
  // `profile` is JSON overriding keys of the built-in default machine.
  explicit SimPlatform(const std::string& profile = "{}")
      : machine_(sim::Machine::fromProfileText(profile, "test-profile.json")),
        window_(frm_main::layout(), machine_.get()),
        platform_{machine_->registry(),  window_,           machine_->files(),
                  machine_->versions(),  machine_->shell(), machine_->resources(),
                  machine_->processes(), machine_->os(),    machine_->clock()} {}

  sim::Machine& machine() { return *machine_; }
  sim::HeadlessWindow& window() { return window_; }
  Platform& platform() { return platform_; }

  // Whether the key opens for reading below HKEY_CLASSES_ROOT.
  bool classesKeyExists(const std::string& path) {
    RegKey key;
    return key.open(machine_->registry(), RootKey::ClassesRoot, path, reg_access::kReadValues) == 0;
  }

 private:
  std::unique_ptr<sim::Machine> machine_;
  sim::HeadlessWindow window_;
  Platform platform_;
};

}  // namespace ocx::test
