#include "tests/contract/window_contract_cases.h"

#include <array>
#include <string>
#include <vector>

#include "resources/version.h"

namespace ocx::contract {
namespace {

constexpr ElementId kLabel = 101;
constexpr ElementId kFrame = 102;
constexpr ElementId kBox = 103;
constexpr ElementId kList = 104;
constexpr ElementId kButton = 105;
constexpr ElementId kNoSuchElement = 4711;

constexpr std::array<DesignedElement, 5> kElements = {{
    {kLabel, "lblText", -1, ElementKind::Label, kWindowItself, "Beschriftung", 120, 120, 4000, 255, 0,
     TextColour::Default, 400, 0, true},
    {kFrame, "frameGroup", -1, ElementKind::Frame, kWindowItself, " Gruppe ", 120, 480, 4500, 2400, 1,
     TextColour::Default, 400, 0, true},
    {kBox, "chkOption", -1, ElementKind::CheckBox, kFrame, "Option", 120, 300, 4000, 255, 2, TextColour::DarkRed, 400,
     check_value::kChecked, true},
    {kList, "lstLines", -1, ElementKind::ListBox, kFrame, "", 120, 700, 4000, 1400, 3, TextColour::Default, 400, 0,
     true},
    {kButton, "cmdAction", -1, ElementKind::Button, kWindowItself, "Ausführen", 120, 3000, 2000, 480, 4,
     TextColour::Default, 700, 0, true},
}};

constexpr WindowLayout kLayout = {"Vertragsfenster",  4800,        3600, "Verdana", 8.25, kElements,
                                  "Laufzeitfehler '", "':\r\n\r\n"};

enum class Call {
  Title,
  SetTitle,
  Caption,
  SetCaption,
  Value,
  SetValue,
  Enabled,
  Enable,
  Show,
  Focus,
  Append,
  Count,
  Line,
  Version,
  BlockSessionEnd,
  AllowSessionEnd,
  Unload
};

struct Step {
  Call call;
  ElementId id = kWindowItself;
  int number = 0;  // a Value, a line's position, 0 or 1 for Enabled
  const char* text = "";
};

std::string outcome(WindowServices& w, const Step& s) {
  switch (s.call) {
    case Call::Title:
      return outcomeOf([&] { return w.windowCaption(); });
    case Call::SetTitle:
      return outcomeOf([&] { w.setWindowCaption(s.text); });
    case Call::Caption:
      return outcomeOf([&] { return w.caption(s.id); });
    case Call::SetCaption:
      return outcomeOf([&] { w.setCaption(s.id, s.text); });
    case Call::Value:
      return outcomeOf([&] { return w.value(s.id); });
    case Call::SetValue:
      return outcomeOf([&] { w.setValue(s.id, s.number); });
    case Call::Enabled:
      return outcomeOf([&] { return w.enabled(s.id); });
    case Call::Enable:
      return outcomeOf([&] { w.setEnabled(s.id, s.number != 0); });
    case Call::Show:
      return outcomeOf([&] { w.show(); });
    case Call::Focus:
      return outcomeOf([&] { w.setFocus(s.id); });
    case Call::Append:
      return outcomeOf([&] { w.appendLine(s.id, s.text); });
    case Call::Count:
      return outcomeOf([&] { return w.lineCount(s.id); });
    case Call::Line:
      return outcomeOf([&] { return w.line(s.id, s.number); });
    case Call::BlockSessionEnd:
      return outcomeOf([&] { w.blockSessionEnd(s.text); });
    case Call::AllowSessionEnd:
      return outcomeOf([&] { w.allowSessionEnd(); });
    case Call::Version:
      return outcomeOf([&] {
        const ProgramVersion version = w.programVersion();
        return std::to_string(version.major) + '.' + std::to_string(version.minor) + '.' +
               std::to_string(version.revision);
      });
    case Call::Unload:
      return outcomeOf([&] { w.unloadAll(); });
  }
  return "no such call";
}

struct WindowCase {
  const char* what;
  std::vector<Step> steps;
  const char* expected;  // each step's outcome, separated by blanks
};

// Each row is asked of a window of its own.
const WindowCase kCases[] = {
    // Captions: every kind but the list box, texts as they were set.
    {"the window's caption as designed", {{Call::Title}}, "\"Vertragsfenster\""},
    {"the window's caption as set",
     {{Call::SetTitle, kWindowItself, 0, "Vertragsfenster 1.0.6"}, {Call::Title}},
     "done \"Vertragsfenster 1.0.6\""},
    {"a label's caption as designed", {{Call::Caption, kLabel}}, "\"Beschriftung\""},
    {"a frame's caption keeps its spaces", {{Call::Caption, kFrame}}, "\" Gruppe \""},
    {"a button's caption with an umlaut", {{Call::Caption, kButton}}, "\"Ausführen\""},
    {"a caption set beyond the code page comes back whole",
     {{Call::SetCaption, kBox, 0, "Grüße € Ω & Co"}, {Call::Caption, kBox}},
     "done \"Grüße € Ω & Co\""},
    {"an empty caption", {{Call::SetCaption, kLabel, 0, ""}, {Call::Caption, kLabel}}, "done \"\""},
    {"the list box has no caption, nor can one be set",
     {{Call::Caption, kList}, {Call::SetCaption, kList, 0, "x"}},
     "error 1400 error 1400"},
    {"an unknown element has no caption", {{Call::Caption, kNoSuchElement}}, "error 1400"},
    {"the window itself is no element", {{Call::Caption, kWindowItself}}, "error 1400"},

    // Check box Value: 0, 1, 2 only, on check boxes only.
    {"each Value comes back",
     {{Call::Value, kBox},
      {Call::SetValue, kBox, check_value::kGrayed},
      {Call::Value, kBox},
      {Call::SetValue, kBox, check_value::kUnchecked},
      {Call::Value, kBox},
      {Call::SetValue, kBox, check_value::kChecked},
      {Call::Value, kBox}},
     "1 done 2 done 0 done 1"},
    {"Values 3 and -1 are refused and change nothing",
     {{Call::SetValue, kBox, 3}, {Call::SetValue, kBox, -1}, {Call::Value, kBox}},
     "error 87 error 87 1"},
    {"a disabled check box still takes its Value",
     {{Call::Enable, kBox, 0}, {Call::SetValue, kBox, check_value::kGrayed}, {Call::Value, kBox}},
     "done done 2"},
    {"a button has no Value", {{Call::Value, kButton}}, "error 1400"},
    {"a label takes no Value", {{Call::SetValue, kLabel, 1}}, "error 1400"},
    {"the wrong kind is named before the wrong Value", {{Call::SetValue, kButton, 3}}, "error 1400"},

    // Enabled: every kind.
    {"a label is enabled as designed", {{Call::Enabled, kLabel}}, "true"},
    {"a frame can be disabled", {{Call::Enable, kFrame, 0}, {Call::Enabled, kFrame}}, "done false"},
    {"and a button enabled again",
     {{Call::Enable, kButton, 0}, {Call::Enable, kButton, 1}, {Call::Enabled, kButton}},
     "done done true"},
    {"an unknown element has no Enabled", {{Call::Enabled, kNoSuchElement}}, "error 1400"},

    // Focus: buttons, check boxes and the list box, enabled, in a shown window.
    {"no focus before the window is shown", {{Call::Focus, kButton}}, "error 87"},
    {"a shown button takes the focus, and so does the list box",
     {{Call::Show}, {Call::Focus, kButton}, {Call::Focus, kList}},
     "done done done"},
    {"a disabled check box does not",
     {{Call::Show}, {Call::Enable, kBox, 0}, {Call::Focus, kBox}},
     "done done error 87"},
    {"a label never does", {{Call::Show}, {Call::Focus, kLabel}}, "done error 1400"},

    // Lines: the list box only, in the order appended, read by position.
    {"a new list has no lines, not even the first", {{Call::Count, kList}, {Call::Line, kList, 0}}, "0 error 87"},
    {"lines stay in the order they came",
     {{Call::Append, kList, 0, "zweite Zeile"},
      {Call::Append, kList, 0, "Änderung"},
      {Call::Append, kList, 0, "a"},
      {Call::Append, kList, 0, ""},
      {Call::Count, kList},
      {Call::Line, kList, 0},
      {Call::Line, kList, 1},
      {Call::Line, kList, 2},
      {Call::Line, kList, 3}},
     "done done done done 4 \"zweite Zeile\" \"Änderung\" \"a\" \"\""},
    {"no line past the last nor before the first",
     {{Call::Append, kList, 0, "eins"}, {Call::Line, kList, 1}, {Call::Line, kList, -1}},
     "done error 87 error 87"},
    {"a label takes no lines", {{Call::Append, kLabel, 0, "x"}}, "error 1400"},
    {"a check box has no lines", {{Call::Count, kBox}}, "error 1400"},

    // A log-off refused and allowed again: never a failure, hidden or shown,
    // twice or without a block.
    {"a log-off is refused and allowed, in any order",
     {{Call::AllowSessionEnd},
      {Call::BlockSessionEnd, kWindowItself, 0, "Bitte warten Sie."},
      {Call::Show},
      {Call::BlockSessionEnd, kWindowItself, 0, "Reparatur läuft"},
      {Call::AllowSessionEnd},
      {Call::AllowSessionEnd}},
     "done done done done done done"},

    // The program's version, from its version record.
    {"the program's version", {{Call::Version}}, "\"" OCXMEDIC_VERSION_SHORT "\""},

    // Unloaded, the window is destroyed: neither it nor any element answers,
    // while what belongs to the program, its version, still does.
    {"an unloaded window answers for nothing in it",
     {{Call::Show},
      {Call::Append, kList, 0, "eins"},
      {Call::Unload},
      {Call::Title},
      {Call::SetTitle, kWindowItself, 0, "x"},
      {Call::Caption, kLabel},
      {Call::SetCaption, kButton, 0, "x"},
      {Call::Value, kBox},
      {Call::SetValue, kBox, check_value::kChecked},
      {Call::Enabled, kFrame},
      {Call::Enable, kButton, 1},
      {Call::Focus, kButton},
      {Call::Count, kList},
      {Call::Line, kList, 0},
      {Call::Append, kList, 0, "zwei"},
      {Call::Show},
      {Call::Version}},
     "done done done error 1400 error 1400 error 1400 error 1400 error 1400 error 1400 error 1400 error 1400 "
     "error 1400 error 1400 error 1400 error 1400 error 1400 \"" OCXMEDIC_VERSION_SHORT "\""},
};

}  // namespace

const WindowLayout& windowContractLayout() {
  return kLayout;
}

void checkWindowContract(const std::function<std::unique_ptr<WindowServices>()>& openWindow, Checker& checker) {
  for (const WindowCase& row : kCases) {
    const std::unique_ptr<WindowServices> window = openWindow();
    std::string seen;
    for (const Step& step : row.steps) {
      if (!seen.empty()) seen += " ";
      seen += outcome(*window, step);
    }
    CONTRACT_CHECK_EQ(checker, row.what, seen, row.expected);
  }
}

}  // namespace ocx::contract
