#include "app/sim/sim_session.h"

#include "app/frm_main_layout.h"

namespace ocx::sim {

Session::Session(std::unique_ptr<Machine> machine)
    : machine_(std::move(machine)),
      window_(frm_main::layout(), machine_.get()),
      platform_{machine_->registry(),  window_,           machine_->files(),
                machine_->versions(),  machine_->shell(), machine_->resources(),
                machine_->processes(), machine_->os(),    machine_->clock()},
      form_(platform_) {}

}  // namespace ocx::sim
