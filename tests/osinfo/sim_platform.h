// A simulated machine with the headless frmMain window, assembled into the
// Platform that the OS information and the fix operations run on.
#pragma once

#include <memory>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "app/frm_main_layout.h"
#include "platform/platform.h"
#include "platform/sim/headless_window.h"
#include "platform/sim/machine.h"

namespace ocx::test {

// The registry text of a profile from its lines, as regedit writes it.
inline std::string regText(const std::vector<std::string>& lines) {
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
  for (const auto& line : lines) text += line + "\r\n";
  return text;
}

class SimPlatform {
 public:
  // `profile` is JSON overriding keys of the default machine; the clock
  // stands at 2012-08-20 14:05:09, UTC+2, unless the profile says otherwise.
  explicit SimPlatform(const std::string& profile = "{}")
      : machine_(sim::Machine::fromProfileText(withClock(profile), "test-profile.json")),
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
  static std::string withClock(const std::string& text) {
    auto profile = nlohmann::ordered_json::parse(text);
    nlohmann::ordered_json clock = {{"now", "2012-08-20 14:05:09"}, {"utc_offset_minutes", 120}};
    if (profile.contains("clock")) clock.update(profile["clock"]);
    profile["clock"] = clock;
    return profile.dump();
  }

  std::unique_ptr<sim::Machine> machine_;
  sim::HeadlessWindow window_;
  Platform platform_;
};

}  // namespace ocx::test
