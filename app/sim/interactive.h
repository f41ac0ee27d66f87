// The window drawn as text on a terminal, driven by keys.
#pragma once

#include <iosfwd>

#include "app/sim/sim_session.h"

namespace ocx::sim {

// The window as text, in reading order: what the interactive run shows
// before each key.
void drawWindow(HeadlessWindow& window, std::ostream& out);

// Runs until the program ends or the input ends.
void runInteractively(Session& session, std::istream& in, std::ostream& out);

}  // namespace ocx::sim
