// The OS information of one freshly created clsOSInfo as the simulator
// prints it for `ocxmedic-sim osinfo`.
#pragma once

#include <nlohmann/json.hpp>

#include "platform/platform.h"

namespace ocx {

// Creates one object and reads its members in slot order (the shutdown time
// first, unprinted), then installed, service pack and version of each .NET
// code; the registry faults of a profile therefore hit the same reads as in
// the program.
nlohmann::ordered_json osInfoReport(ocx::Platform& platform);

}  // namespace ocx
