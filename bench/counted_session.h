// The program on a simulated machine, like the simulator's session, but with
// the registry and the OS facts behind counting decorators, so that what a
// load sequence or a repair run costs in opens and probes can be read off.
#pragma once

#include <memory>
#include <string>

#include "app/frm_main.h"
#include "bench/counting_platform.h"
#include "platform/platform.h"
#include "platform/sim/headless_window.h"
#include "platform/sim/machine.h"

namespace ocx::bench {

class CountedSession {
 public:
  // `profile` is a machine profile as the simulator reads it.
  explicit CountedSession(const std::string& profile);
  CountedSession(const CountedSession&) = delete;
  CountedSession& operator=(const CountedSession&) = delete;

  [[nodiscard]] sim::Machine& machine() { return *machine_; }
  [[nodiscard]] sim::HeadlessWindow& window() { return window_; }
  [[nodiscard]] Platform& platform() { return platform_; }
  [[nodiscard]] frmMain& form() { return form_; }

  [[nodiscard]] std::uint64_t registryOpens() const { return registry_.opens(); }
  [[nodiscard]] std::uint64_t osInfoCreations() const { return os_.probes(); }
  void resetCounts() {
    registry_.reset();
    os_.reset();
  }

 private:
  std::unique_ptr<sim::Machine> machine_;
  CountingRegistry registry_;
  CountingOsFacts os_;
  sim::HeadlessWindow window_;
  Platform platform_;
  frmMain form_;
};

}  // namespace ocx::bench
