// The simulator's account of a run: window, messages, clipboard, started
// processes, fix state and the machine afterwards, as one JSON object.
#pragma once

#include <nlohmann/json.hpp>
#include <ostream>

#include "app/sim/sim_session.h"

namespace ocx::sim {

nlohmann::ordered_json windowReport(const HeadlessWindow& window);
nlohmann::ordered_json runReport(Session& session);
// runReport(session).dump(2) and a line end, written to `out` as it is made:
// the registry, most of a large machine's report, is never held as text.
void printRunReport(Session& session, std::ostream& out);

}  // namespace ocx::sim
