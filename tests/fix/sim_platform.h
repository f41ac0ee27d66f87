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
        platform_(over(machine_->registry())) {}

  // The same machine with its registry reached through `registry`.
  Platform over(Registry& registry) {
    sim::Machine& m = *machine_;
    return {registry, window_, m.files(), m.versions(), m.shell(), m.resources(), m.processes(), m.os(), m.clock()};
  }

  sim::Machine& machine() { return *machine_; }
  sim::HeadlessWindow& window() { return window_; }
  Platform& platform() { return platform_; }

 private:
  std::unique_ptr<sim::Machine> machine_;
  sim::HeadlessWindow window_;
  Platform platform_;
};

}  // namespace ocx::test
