// cmdStatus: the report put on the clipboard, byte for byte.
#include <gtest/gtest.h>

#include <string>

#include "app/texts.h"
#include "session_fixture.h"

namespace ocx {
namespace {

using namespace testing;

// The survey rows of the default machine and the empty line after them.
constexpr char kDefaultSurveyRows[] =
    "Windows-Version:\tMicrosoft Windows 7  64 Bit (Version 6.1.7601) Service Pack 1\r\n"
    "Installiertes Control:\tC:\\Windows\\SysWOW64\\MSCOMCTL.OCX Version: 6.01.98.33\r\n"
    "Verfügbares Control:\tC:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX Version: 6.01.98.34\r\n"
    "Reg-Pfad 2.0:\tRegistry-Pfad ist vorhanden: HCR\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0\r\n"
    "Reg-Pfad 2.1:\tRegistry-Pfad ist vorhanden: HCR\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1\r\n"
    "\r\n";

constexpr char kAllSelected[] =
    "Aktuelle Datei MSCOMCTL.OCX gegen neuere Version ersetzen:\tausgewählt\r\n"
    "MSCOMCTL.OCX im Systemverzeichnis (ggf. nach Aktualisierung) de-registrieren und neu registrieren:\t"
    "ausgewählt\r\n"
    "Registry-Pfad 2.0 aus der Registry entfernen:\tausgewählt\r\n";

TEST(StatusReport, BeforeAnyRunHoldsSurveyAndOptionsEndingInALineBreakEachTime) {
  auto session = startSession();
  session->form().cmdStatus_Click();
  const std::string expected = std::string(kDefaultSurveyRows) + kAllSelected;
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
  EXPECT_EQ(session->window().clipboard(),
            std::string(kDefaultSurveyRows) + kAllSelected +
                "\r\nTypeLib-Pfad 2.0 wird gelöscht..."
                "\r\nAktuelles Control de-registrieren..."
                "\r\nAktuelles Control umbenennen in MSCOMCTL.OCX_Backup_2012-08-20 14.05.09..."
                "\r\nEs ist ein Fehler aufgetreten: 5: Zugriff verweigert"
                "\r\nAbbruch!");
}

TEST(StatusReport, OptionWordDependsOnValueAlone) {
  auto session = startSession();
  session->window().setEnabled(frm_main::chkReplaceControl, false);  // checked but disabled
  session->window().setValue(frm_main::chkReRegisterControl, check_value::kGrayed);
  session->window().setValue(frm_main::chkKillRegPath, check_value::kUnchecked);
  session->form().cmdStatus_Click();
  EXPECT_EQ(session->window().clipboard(),
            std::string(kDefaultSurveyRows) +
                "Aktuelle Datei MSCOMCTL.OCX gegen neuere Version ersetzen:\tausgewählt\r\n"
                "MSCOMCTL.OCX im Systemverzeichnis (ggf. nach Aktualisierung) de-registrieren und neu registrieren:\t"
                "nicht ausgewählt\r\n"
                "Registry-Pfad 2.0 aus der Registry entfernen:\tnicht ausgewählt\r\n");
}

// A survey label that cannot be written keeps its "?", in the window and in
// the report; the survey goes on with the next.
TEST(StatusReport, UnwrittenSurveyLabelsAreCopiedAsQuestionMarks) {
  for (const int failing : frm_main::kSysInfoIndices) {
    SCOPED_TRACE(failing);
    auto session = startFailing([&](std::string_view operation, ElementId id) {
      return operation == "setCaption" && id == frm_main::lblSysInfoText(failing);
    });
    for (const int index : frm_main::kSysInfoIndices) {
      EXPECT_EQ(session->window().caption(frm_main::lblSysInfoText(index)) == "?", index == failing) << index;
    }
    EXPECT_EQ(session->window().value(frm_main::chkKillRegPath), check_value::kChecked);
    session->form().cmdStatus_Click();
    EXPECT_NE(session->window().clipboard()->find(":\t?\r\n"), std::string::npos);
  }
}

TEST(StatusReport, ConfirmationIsShownEvenWhenTheClipboardRefuses) {
  auto session = startSession(R"("faults": [{"op": "clipboard", "error": 5}])");
  session->form().cmdStatus_Click();
  EXPECT_EQ(session->window().clipboard(), std::nullopt);
  expectOnlyMessage(*session, texts::kReportCopiedText, texts::kReportCopiedTitle, MessageIcon::Information);
}

}  // namespace
}  // namespace ocx
