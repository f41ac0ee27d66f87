// Control identifiers of frmMain, one per element, a range per kind. Kept by
// hand and shared with the UI driver in tools/, so that a name used by the
// end-to-end tests always reaches the same control.
#pragma once

namespace ocx::frm_main {

// Buttons 1000-1099.
inline constexpr int cmdGo = 1001;
inline constexpr int cmdStatus = 1002;
inline constexpr int cmdExit = 1003;

// Frames 1100-1199.
inline constexpr int frameStatus = 1101;
inline constexpr int frameSysInfo = 1102;
inline constexpr int frameOptions = 1103;

// List boxes 1200-1299.
inline constexpr int lstStatus = 1201;

// Labels 1300-1399; the groups add their index to their base.
inline constexpr int lblInfo = 1301;
inline constexpr int lblAdmin = 1302;
inline constexpr int lblSysInfoLabelBase = 1310;
inline constexpr int lblSysInfoTextBase = 1320;

// Check boxes 1400-1499.
inline constexpr int chkReplaceControl = 1401;
inline constexpr int chkReRegisterControl = 1402;
inline constexpr int chkKillRegPath = 1403;

// The only indices of the label groups, in the order of their rows.
inline constexpr int kSysInfoIndices[] = {0, 5, 6, 7, 8};

constexpr int lblSysInfoLabel(int index) {
  return lblSysInfoLabelBase + index;
}
constexpr int lblSysInfoText(int index) {
  return lblSysInfoTextBase + index;
}

}  // namespace ocx::frm_main
