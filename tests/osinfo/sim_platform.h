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

// A machine from `profile`, JSON overriding keys of the default machine; the
// clock stands at 2012-08-20 14:05:09, UTC+2, unless the profile says otherwise,
// so that backup names are known.
inline std::unique_ptr<sim::Machine> machineOf(const std::string& profile) {
  auto json = nlohmann::ordered_json::parse(profile);
  nlohmann::ordered_json clock = {{"now", "2012-08-20 14:05:09"}, {"utc_offset_minutes", 120}};
  if (json.contains("clock")) clock.update(json["clock"]);
  json["clock"] = clock;
  return sim::Machine::fromProfileText(json.dump(), "test-profile.json");
}

class SimPlatform {
 public:
  explicit SimPlatform(const std::string& profile = "{}")
      : machine_(machineOf(profile)),
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
