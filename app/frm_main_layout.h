// frmMain as designed: every element with its kind, container, text,
// position and size in twips, tab index, colour, font weight and initial
// state. The simulator's headless window and the Win32 window are both built
// from this one table.
#pragma once

#include "platform/window.h"

namespace ocx::frm_main {

const WindowLayout& layout();

// The element of that identifier, or nullptr.
const DesignedElement* findElement(ElementId id);

// The element shown under `displayName` ("cmdGo", "lblSysInfoText(5)"), or nullptr.
const DesignedElement* findElement(std::string_view displayName);

}  // namespace ocx::frm_main
