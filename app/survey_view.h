// The survey's findings as the window shows them: the value labels and the
// presets of the two option boxes.
#pragma once

#include "fix/mod_bugfix.h"
#include "platform/window.h"

namespace ocx {

// Each element is set on its own; one the window refuses, or whose finding
// is missing, keeps what it showed ("?" for a label) and the rest go on.
void ShowSurveyFindings(WindowServices& window, const FixState& state, const SurveyFindings& findings);

}  // namespace ocx
