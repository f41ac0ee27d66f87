#include "app/sim/run_report.h"

#include <gtest/gtest.h>

#include <sstream>

#include "session_fixture.h"

namespace ocx::testing {
namespace {

TEST(RunReport, PrintedReportIsTheReportIndentedByTwo) {
  // A registry far longer than one piece of the export, with every kind
  // of character the JSON text escapes or passes through: quotes,
  // backslashes, a tab and another control character in key names, line
  // breaks, and letters beyond ASCII.
  std::string registry = R"("registry": ["Windows Registry Editor Version 5.00")";
  for (int i = 0; i < 3000; ++i) {
    const std::string n = std::to_string(i);
    registry +=
        R"(, "[HKEY_CURRENT_USER\\Größe \"q\"\\K\t)" + n + R"(\u0001]", "\"Ω\\\\)" + n + R"(\"=\"Σ \\\"x\\\" )" + n +
        R"(\"", "\"bin\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,12,13,14,15,16,17,18,19,1a")";
  }
  registry += "]";
  for (const std::string& members : {std::string(), registry}) {
    SCOPED_TRACE(members.substr(0, 40));
    auto session = startSession(members);
    std::ostringstream printed;
    sim::printRunReport(*session, printed);
    EXPECT_EQ(printed.str(), sim::runReport(*session).dump(2) + "\n");
    EXPECT_GT(printed.str().size(), members.size());
  }
}

// Ending the program unloads the window, which then answers no operation;
// the report still shows the window as the program left it.
TEST(RunReport, WindowOfAnEndedProgramIsReportedAsItWasLeft) {
  auto session = startSession();
  sim::HeadlessWindow& window = session->window();
  window.setValue(frm_main::chkKillRegPath, check_value::kUnchecked);
  window.setEnabled(frm_main::cmdGo, false);
  window.setCaption(frm_main::lblSysInfoText(0), "Ωmega");
  const auto before = sim::windowReport(window);
  ASSERT_EQ(before["elements"]["lblSysInfoText(0)"]["caption"], "Ωmega");

  session->form().cmdExit_Click();
  ASSERT_TRUE(session->form().ended());
  EXPECT_EQ(sim::windowReport(window), before);
  EXPECT_EQ(sim::runReport(*session)["window"], before);
  try {
    static_cast<void>(window.caption(frm_main::lblSysInfoText(0)));
    ADD_FAILURE() << "an unloaded window still answered";
  } catch (const PlatformError& error) {
    EXPECT_EQ(error.number(), 1400u);
  }
}

}  // namespace
}  // namespace ocx::testing
