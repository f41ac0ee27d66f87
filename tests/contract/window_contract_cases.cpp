#include "tests/contract/window_contract_cases.h"

#include <array>
#include <string>

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

struct WindowCase {
  const char* what;
  std::string (*ask)(WindowServices& window);
  const char* expected;
};

// Each row is asked of a window of its own.
const WindowCase kCases[] = {
    // Captions: every kind but the list box, texts as they were set.
    {"the window's caption as designed", [](WindowServices& w) { return outcomeOf([&] { return w.windowCaption(); }); },
     "\"Vertragsfenster\""},
    {"the window's caption as set",
     [](WindowServices& w) {
       tryTo([&] { w.setWindowCaption("Vertragsfenster 1.0.6"); });
       return outcomeOf([&] { return w.windowCaption(); });
     },
     "\"Vertragsfenster 1.0.6\""},
    {"a label's caption as designed", [](WindowServices& w) { return outcomeOf([&] { return w.caption(kLabel); }); },
     "\"Beschriftung\""},
    {"a frame's caption keeps its spaces",
     [](WindowServices& w) { return outcomeOf([&] { return w.caption(kFrame); }); }, "\" Gruppe \""},
    {"a button's caption with an umlaut",
     [](WindowServices& w) { return outcomeOf([&] { return w.caption(kButton); }); }, "\"Ausführen\""},
    {"a caption set beyond the code page comes back whole",
     [](WindowServices& w) {
       tryTo([&] { w.setCaption(kBox, "Grüße € Ω & Co"); });
       return outcomeOf([&] { return w.caption(kBox); });
     },
     "\"Grüße € Ω & Co\""},
    {"an empty caption",
     [](WindowServices& w) {
       tryTo([&] { w.setCaption(kLabel, ""); });
       return outcomeOf([&] { return w.caption(kLabel); });
     },
     "\"\""},
    {"the list box has no caption", [](WindowServices& w) { return outcomeOf([&] { return w.caption(kList); }); },
     "error 1400"},
    {"nor can one be set", [](WindowServices& w) { return outcomeOf([&] { w.setCaption(kList, "x"); }); },
     "error 1400"},
    {"an unknown element has no caption",
     [](WindowServices& w) { return outcomeOf([&] { return w.caption(kNoSuchElement); }); }, "error 1400"},
    {"the window itself is no element",
     [](WindowServices& w) { return outcomeOf([&] { return w.caption(kWindowItself); }); }, "error 1400"},

    // Check box Value: 0, 1, 2 only, on check boxes only.
    {"Value as designed", [](WindowServices& w) { return outcomeOf([&] { return w.value(kBox); }); }, "1"},
    {"each Value comes back",
     [](WindowServices& w) {
       std::string seen;
       for (const int value : {check_value::kGrayed, check_value::kUnchecked, check_value::kChecked}) {
         seen += outcomeOf([&] {
           w.setValue(kBox, value);
           return w.value(kBox);
         });
       }
       return seen;
     },
     "201"},
    {"Value 3 is refused", [](WindowServices& w) { return outcomeOf([&] { w.setValue(kBox, 3); }); }, "error 87"},
    {"Value -1 is refused", [](WindowServices& w) { return outcomeOf([&] { w.setValue(kBox, -1); }); }, "error 87"},
    {"a refused Value changes nothing",
     [](WindowServices& w) {
       tryTo([&] { w.setValue(kBox, 3); });
       return outcomeOf([&] { return w.value(kBox); });
     },
     "1"},
    {"a disabled check box still takes its Value",
     [](WindowServices& w) {
       tryTo([&] { w.setEnabled(kBox, false); });
       tryTo([&] { w.setValue(kBox, check_value::kGrayed); });
       return outcomeOf([&] { return w.value(kBox); });
     },
     "2"},
    {"a button has no Value", [](WindowServices& w) { return outcomeOf([&] { return w.value(kButton); }); },
     "error 1400"},
    {"a label takes no Value", [](WindowServices& w) { return outcomeOf([&] { w.setValue(kLabel, 1); }); },
     "error 1400"},
    {"the wrong kind is named before the wrong Value",
     [](WindowServices& w) { return outcomeOf([&] { w.setValue(kButton, 3); }); }, "error 1400"},

    // Enabled: every kind.
    {"a label is enabled as designed", [](WindowServices& w) { return outcomeOf([&] { return w.enabled(kLabel); }); },
     "true"},
    {"a frame can be disabled",
     [](WindowServices& w) {
       tryTo([&] { w.setEnabled(kFrame, false); });
       return outcomeOf([&] { return w.enabled(kFrame); });
     },
     "false"},
    {"and enabled again",
     [](WindowServices& w) {
       tryTo([&] { w.setEnabled(kButton, false); });
       tryTo([&] { w.setEnabled(kButton, true); });
       return outcomeOf([&] { return w.enabled(kButton); });
     },
     "true"},
    {"an unknown element has no Enabled",
     [](WindowServices& w) { return outcomeOf([&] { return w.enabled(kNoSuchElement); }); }, "error 1400"},

    // Focus: buttons, check boxes and the list box, enabled, in a shown window.
    {"no focus before the window is shown", [](WindowServices& w) { return outcomeOf([&] { w.setFocus(kButton); }); },
     "error 87"},
    {"a shown button takes the focus",
     [](WindowServices& w) {
       tryTo([&] { w.show(); });
       return outcomeOf([&] { w.setFocus(kButton); });
     },
     "done"},
    {"so does the list box",
     [](WindowServices& w) {
       tryTo([&] { w.show(); });
       return outcomeOf([&] { w.setFocus(kList); });
     },
     "done"},
    {"a disabled check box does not",
     [](WindowServices& w) {
       tryTo([&] { w.show(); });
       tryTo([&] { w.setEnabled(kBox, false); });
       return outcomeOf([&] { w.setFocus(kBox); });
     },
     "error 87"},
    {"a label never does",
     [](WindowServices& w) {
       tryTo([&] { w.show(); });
       return outcomeOf([&] { w.setFocus(kLabel); });
     },
     "error 1400"},

    // Lines: the list box only, in the order appended, read by position.
    {"a new list has no lines", [](WindowServices& w) { return outcomeOf([&] { return w.lineCount(kList); }); }, "0"},
    {"lines stay in the order they came",
     [](WindowServices& w) {
       std::string seen;
       for (const char* line : {"zweite Zeile", "Änderung", "a", ""}) {
         tryTo([&] { w.appendLine(kList, line); });
       }
       seen += outcomeOf([&] { return w.lineCount(kList); });
       for (int position = 0; position < 4; ++position) {
         seen += ' ' + outcomeOf([&] { return w.line(kList, position); });
       }
       return seen;
     },
     "4 \"zweite Zeile\" \"Änderung\" \"a\" \"\""},
    {"no line past the last",
     [](WindowServices& w) {
       tryTo([&] { w.appendLine(kList, "eins"); });
       return outcomeOf([&] { return w.line(kList, 1); });
     },
     "error 87"},
    {"no line before the first",
     [](WindowServices& w) {
       tryTo([&] { w.appendLine(kList, "eins"); });
       return outcomeOf([&] { return w.line(kList, -1); });
     },
     "error 87"},
    {"no line in an empty list", [](WindowServices& w) { return outcomeOf([&] { return w.line(kList, 0); }); },
     "error 87"},
    {"a label takes no lines", [](WindowServices& w) { return outcomeOf([&] { w.appendLine(kLabel, "x"); }); },
     "error 1400"},
    {"a check box has no lines", [](WindowServices& w) { return outcomeOf([&] { return w.lineCount(kBox); }); },
     "error 1400"},

    // The program's version, from its version record.
    {"the program's version",
     [](WindowServices& w) {
       return outcomeOf([&] {
         const ProgramVersion version = w.programVersion();
         return std::to_string(version.major) + '.' + std::to_string(version.minor) + '.' +
                std::to_string(version.revision);
       });
     },
     "\"" OCXMEDIC_VERSION_SHORT "\""},
};

}  // namespace

const WindowLayout& windowContractLayout() {
  return kLayout;
}

void checkWindowContract(const std::function<std::unique_ptr<WindowServices>()>& openWindow, Checker& checker) {
  for (const WindowCase& row : kCases) {
    const std::unique_ptr<WindowServices> window = openWindow();
    CONTRACT_CHECK_EQ(checker, row.what, row.ask(*window), row.expected);
  }
}

}  // namespace ocx::contract
