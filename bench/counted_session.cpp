#include "bench/counted_session.h"

#include "app/frm_main_layout.h"

namespace ocx::bench {

CountedSession::CountedSession(const std::string& profile)
    : machine_(sim::Machine::fromProfileText(profile, "bench-machine.json")),
      registry_(machine_->registry()),
      os_(machine_->os()),
      window_(frm_main::layout(), machine_.get()),
      platform_{registry_,
                window_,
                machine_->files(),
                machine_->versions(),
                machine_->shell(),
                machine_->resources(),
                machine_->processes(),
                os_,
                machine_->clock()},
      form_(platform_) {}

}  // namespace ocx::bench
