// cmdStatus: the report put on the clipboard, byte for byte.
#include <gtest/gtest.h>

#include "app/texts.h"
#include "session_fixture.h"

namespace ocx {
namespace {

using namespace testing;

// The five survey rows of the default machine and the empty line after them.
std::string surveyRows(sim::Session& session) {
  std::string rows;
  for (const int index : frm_main::kSysInfoIndices) {
    rows += session.window().caption(frm_main::lblSysInfoLabel(index)) + "\t" +
            session.window().caption(frm_main::lblSysInfoText(index)) + "\r\n";
  }
  return rows + "\r\n";
}

std::string optionRows(const char* replace, const char* reRegister, const char* kill) {
  return std::string(texts::kChkReplaceControl) + ":\t" + replace + "\r\n" + texts::kChkReRegisterControl + ":\t" +
         reRegister + "\r\n" + texts::kChkKillRegPath + ":\t" + kill + "\r\n";
}

TEST(StatusReport, BeforeAnyRunHoldsSurveyAndOptionsEndingInALineBreakEachTime) {
  auto session = startSession();
  session->form().cmdStatus_Click();
  const std::string expected =
      "Windows-Version:\tMicrosoft Windows 7  64 Bit (Version 6.1.7601) Service Pack 1\r\n"
      "Installiertes Control:\tC:\\Windows\\SysWOW64\\MSCOMCTL.OCX Version: 6.01.98.33\r\n"
      "Verfügbares Control:\tC:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX Version: 6.01.98.34\r\n"
      "Reg-Pfad 2.0:\tRegistry-Pfad ist vorhanden: HCR\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0\r\n"
      "Reg-Pfad 2.1:\tRegistry-Pfad ist vorhanden: HCR\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1\r\n"
      "\r\n" +
      optionRows(texts::kSelected, texts::kSelected, texts::kSelected);
  EXPECT_EQ(session->window().clipboard(), expected);
  expectOnlyMessage(*session, texts::kReportCopiedText, texts::kReportCopiedTitle, MessageIcon::Information);
  // Pressing again gives the same text and a second confirmation.
  session->form().cmdStatus_Click();
  EXPECT_EQ(session->window().clipboard(), expected);
  EXPECT_EQ(session->window().messages().size(), 2u);
}

TEST(StatusReport, AfterAFailedRunTheStatusLinesFollowAnEmptyLineAndEndTheText) {
  auto session = startSession(R"("faults": [{"op": "rename", "error": 5}])");
  session->form().cmdGo_Click();
  session->form().cmdStatus_Click();
  const auto lines = statusLines(*session);
  ASSERT_EQ(lines.size(), 5u);
  std::string expected = surveyRows(*session) + optionRows(texts::kSelected, texts::kSelected, texts::kSelected);
  for (const std::string& line : lines) {
    expected += "\r\n" + line;
  }
  EXPECT_EQ(session->window().clipboard(), expected);
  EXPECT_TRUE(expected.ends_with(texts::kAbortLine));
}

TEST(StatusReport, OptionWordDependsOnValueAlone) {
  auto session = startSession();
  session->window().setEnabled(frm_main::chkReplaceControl, false);  // checked but disabled
  session->window().setValue(frm_main::chkReRegisterControl, check_value::kGrayed);
  session->window().setValue(frm_main::chkKillRegPath, check_value::kUnchecked);
  session->form().cmdStatus_Click();
  EXPECT_EQ(session->window().clipboard(),
            surveyRows(*session) + optionRows(texts::kSelected, texts::kNotSelected, texts::kNotSelected));
}

TEST(StatusReport, UnreachedSurveyValuesAreCopiedAsQuestionMarks) {
  auto session = startFailing([](std::string_view operation, ElementId id) {
    return operation == "setCaption" && id == frm_main::lblSysInfoText(6);
  });
  session->form().cmdStatus_Click();
  EXPECT_NE(session->window().clipboard()->find("Verfügbares Control:\t?\r\n"), std::string::npos);
}

TEST(StatusReport, ConfirmationIsShownEvenWhenTheClipboardRefuses) {
  auto session = startSession(R"("faults": [{"op": "clipboard", "error": 5}])");
  session->form().cmdStatus_Click();
  EXPECT_EQ(session->window().clipboard(), std::nullopt);
  expectOnlyMessage(*session, texts::kReportCopiedText, texts::kReportCopiedTitle, MessageIcon::Information);
}

}  // namespace
}  // namespace ocx
