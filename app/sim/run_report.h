// The simulator's account of a run: window, messages, clipboard, started
// processes, fix state and the machine afterwards, as one JSON object.
#pragma once

#include <nlohmann/json.hpp>

#include "app/sim/sim_session.h"

namespace ocx::sim {

nlohmann::ordered_json windowReport(HeadlessWindow& window);
nlohmann::ordered_json runReport(Session& session);

}  // namespace ocx::sim
