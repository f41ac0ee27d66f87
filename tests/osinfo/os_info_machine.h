// A simulated machine for the OS information object: a profile with a clock
// that stands still, and the Platform built from it.
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

class OsInfoMachine {
 public:
  // `profile` overrides keys of the default machine; the clock is fixed at
  // 2012-08-20 14:05:09, UTC+2, unless the profile says otherwise.
  explicit OsInfoMachine(nlohmann::json profile = nlohmann::json::object())
      : machine_(sim::Machine::fromProfileText(withClock(std::move(profile)).dump(), "osinfo-test.json")),
        window_(frm_main::layout(), machine_.get()),
        platform_{machine_->registry(),  window_,           machine_->files(),
                  machine_->versions(),  machine_->shell(), machine_->resources(),
                  machine_->processes(), machine_->os(),    machine_->clock()} {}

  Platform& platform() { return platform_; }

 private:
  static nlohmann::json withClock(nlohmann::json profile) {
    nlohmann::json clock = {{"now", "2012-08-20 14:05:09"}, {"utc_offset_minutes", 120}};
    if (profile.contains("clock")) clock.update(profile["clock"]);
    profile["clock"] = clock;
    return profile;
  }

  std::unique_ptr<sim::Machine> machine_;
  sim::HeadlessWindow window_;
  Platform platform_;
};

}  // namespace ocx::test
