#include "app/frm_main_layout.h"

#include <algorithm>

#include "app/frm_main_ids.h"
#include "app/texts.h"

namespace ocx::frm_main {
namespace {

using enum ElementKind;
using enum TextColour;

constexpr int kRegular = 400;
constexpr int kBold = 700;
constexpr bool kOn = true;

// In tab order. Elements inside a frame are positioned relative to it.
constexpr DesignedElement kElements[] = {
    // id, name, index, kind, container, caption, left, top, width, height, tab, colour, weight, value, enabled
    {cmdGo, "cmdGo", -1, Button, kWindowItself, texts::kCmdGo, 8205, 6165, 2250, 480, 0, Default, kRegular, 0, kOn},
    {frameStatus, "frameStatus", -1, Frame, kWindowItself, texts::kFrameStatus, 120, 6735, 10455, 1935, 1, Default,
     kRegular, 0, kOn},
    {lstStatus, "lstStatus", -1, ListBox, frameStatus, "", 150, 285, 10140, 1425, 2, Default, kRegular, 0, kOn},
    {cmdStatus, "cmdStatus", -1, Button, kWindowItself, texts::kCmdStatus, 135, 8895, 3735, 480, 3, Default, kRegular,
     0, kOn},
    {cmdExit, "cmdExit", -1, Button, kWindowItself, texts::kCmdExit, 8205, 8895, 2250, 480, 4, Default, kRegular, 0,
     kOn},
    {lblInfo, "lblInfo", -1, Label, kWindowItself, texts::kLblInfo, 120, 240, 10455, 975, 5, Desktop, kRegular, 0, kOn},
    {frameSysInfo, "frameSysInfo", -1, Frame, kWindowItself, texts::kFrameSysInfo, 120, 1320, 10455, 2310, 6, Default,
     kRegular, 0, kOn},
    {lblSysInfoLabel(0), "lblSysInfoLabel", 0, Label, frameSysInfo, texts::kRowWindows, 120, 360, 1815, 375, 7, Default,
     kRegular, 0, kOn},
    {lblSysInfoText(0), "lblSysInfoText", 0, Label, frameSysInfo, texts::kUnknownValue, 2040, 360, 8295, 375, 8,
     DarkBlue, kRegular, 0, kOn},
    {lblSysInfoLabel(5), "lblSysInfoLabel", 5, Label, frameSysInfo, texts::kRowInstalled, 120, 735, 1815, 375, 9,
     Default, kRegular, 0, kOn},
    {lblSysInfoText(5), "lblSysInfoText", 5, Label, frameSysInfo, texts::kUnknownValue, 2040, 735, 8295, 375, 10,
     DarkBlue, kRegular, 0, kOn},
    {lblSysInfoLabel(6), "lblSysInfoLabel", 6, Label, frameSysInfo, texts::kRowAvailable, 120, 1095, 1815, 375, 11,
     Default, kRegular, 0, kOn},
    {lblSysInfoText(6), "lblSysInfoText", 6, Label, frameSysInfo, texts::kUnknownValue, 2040, 1095, 8295, 375, 12,
     DarkBlue, kRegular, 0, kOn},
    {lblSysInfoLabel(7), "lblSysInfoLabel", 7, Label, frameSysInfo, texts::kRowRegPath20, 120, 1455, 1815, 375, 13,
     Default, kRegular, 0, kOn},
    {lblSysInfoText(7), "lblSysInfoText", 7, Label, frameSysInfo, texts::kUnknownValue, 2040, 1455, 8295, 375, 14,
     DarkBlue, kRegular, 0, kOn},
    {lblSysInfoLabel(8), "lblSysInfoLabel", 8, Label, frameSysInfo, texts::kRowRegPath21, 120, 1815, 1815, 375, 15,
     Default, kRegular, 0, kOn},
    {lblSysInfoText(8), "lblSysInfoText", 8, Label, frameSysInfo, texts::kUnknownValue, 2040, 1815, 8295, 375, 16,
     DarkBlue, kRegular, 0, kOn},
    {frameOptions, "frameOptions", -1, Frame, kWindowItself, texts::kFrameOptions, 120, 3930, 10455, 1575, 17, Default,
     kRegular, 0, kOn},
    {chkReplaceControl, "chkReplaceControl", -1, CheckBox, frameOptions, texts::kChkReplaceControl, 120, 360, 10215,
     255, 18, DarkRed, kRegular, check_value::kChecked, kOn},
    {chkReRegisterControl, "chkReRegisterControl", -1, CheckBox, frameOptions, texts::kChkReRegisterControl, 120, 720,
     10215, 255, 19, DarkRed, kRegular, check_value::kChecked, kOn},
    {chkKillRegPath, "chkKillRegPath", -1, CheckBox, frameOptions, texts::kChkKillRegPath, 120, 1080, 10215, 255, 20,
     DarkRed, kRegular, check_value::kChecked, kOn},
    {lblAdmin, "lblAdmin", -1, Label, kWindowItself, texts::kLblAdmin, 180, 5700, 10395, 495, 21, DarkRed, kBold, 0,
     kOn},
};

constexpr WindowLayout kLayout{
    .caption = texts::kWindowCaption,
    .clientWidth = 10695,
    .clientHeight = 9930,
    .fontName = "Verdana",
    .fontPoints = 8.25,
    .elements = kElements,
    .runtimeErrorPrefix = texts::kRuntimeErrorPrefix,
    .runtimeErrorInfix = texts::kRuntimeErrorInfix,
};

}  // namespace

const WindowLayout& layout() {
  return kLayout;
}

const DesignedElement* findElement(ElementId id) {
  const auto it = std::ranges::find(kElements, id, &DesignedElement::id);
  return it == std::end(kElements) ? nullptr : &*it;
}

const DesignedElement* findElement(std::string_view name) {
  const auto it = std::ranges::find_if(kElements, [name](const DesignedElement& e) { return displayName(e) == name; });
  return it == std::end(kElements) ? nullptr : &*it;
}

}  // namespace ocx::frm_main
