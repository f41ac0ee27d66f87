// cmdGo on simulated machines: which steps run, in which order, and what
// the machine holds afterwards.
#include <gtest/gtest.h>

#include "app/texts.h"
#include "session_fixture.h"

namespace ocx {
namespace {

using namespace testing;
using frm_main::chkKillRegPath;
using frm_main::chkReplaceControl;
using frm_main::chkReRegisterControl;

const std::string kRenameLine = std::string(texts::kStatusRenamePrefix) + kBackupName + "...";
const std::string kBackupPath = std::string("C:\\Windows\\SysWOW64\\") + kBackupName;
constexpr char kKey20[] = "HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0]";
constexpr char kKey21[] = "HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1]";

std::string registryText(sim::Session& session) {
  return session.machine().toJson()["registry"];
}

// The file entry of `path` in the machine's file list, or null.
nlohmann::ordered_json fileEntry(sim::Session& session, const std::string& path) {
  const auto machine = session.machine().toJson();
  for (const auto& file : machine["files"]) {
    if (file["path"] == path) return file;
  }
  return nullptr;
}

std::vector<std::string> commandLines(sim::Session& session) {
  std::vector<std::string> lines;
  for (const sim::StartedProcess& process : session.machine().startedProcesses()) {
    EXPECT_EQ(process.windowStyle, 2);
    lines.push_back(process.commandLine);
  }
  return lines;
}

TEST(RepairRun, AllOptionsOnTheDefaultMachineRepairAndEnd) {
  auto session = startSession();
  session->form().cmdGo_Click();

  EXPECT_EQ(statusLines(*session), (std::vector<std::string>{texts::kStatusDeleteKey, texts::kStatusUnregister,
                                                             kRenameLine, texts::kStatusCopy, texts::kStatusRegisterNew,
                                                             texts::kStatusUnregister, texts::kStatusRegister}));
  const std::string quoted = std::string("\"") + kInstalledPath + "\"";
  EXPECT_EQ(commandLines(*session), (std::vector<std::string>{"regsvr32 /s /u " + quoted, "regsvr32 /s " + quoted,
                                                              "regsvr32 /s /u " + quoted, "regsvr32 /s " + quoted}));
  const std::string registry = registryText(*session);
  EXPECT_EQ(registry.find(kKey20), std::string::npos);
  EXPECT_NE(registry.find(kKey21), std::string::npos);
  EXPECT_EQ(fileEntry(*session, kInstalledPath)["version"], nlohmann::ordered_json({6, 1, 98, 34}));
  EXPECT_EQ(fileEntry(*session, kBackupPath)["version"], nlohmann::ordered_json({6, 1, 98, 33}));
  EXPECT_EQ(fileEntry(*session, kTempCopyPath), nullptr);

  expectOnlyMessage(*session, texts::kDoneText, texts::kDoneTitle, MessageIcon::Information);
  EXPECT_TRUE(session->form().ended());
}

// Boxes that leave every step out: all unchecked, the run only warns;
// checked but disabled, or greyed, they count as options but run no step.
TEST(RepairRun, BoxesThatLeaveEveryStepOutChangeNothing) {
  const struct {
    const char* name;
    int value;
    bool enabled;
    bool warns;
  } rows[] = {{"none selected", 0, true, true},
              {"checked but disabled", 1, false, false},
              {"greyed and enabled", 2, true, false},
              {"greyed and disabled", 2, false, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto session = startSession();
    for (const ElementId box : {chkKillRegPath, chkReplaceControl, chkReRegisterControl}) {
      session->window().setValue(box, row.value);
      session->window().setEnabled(box, row.enabled);
    }
    const std::string before = registryText(*session);
    session->form().cmdGo_Click();
    EXPECT_TRUE(statusLines(*session).empty());
    EXPECT_TRUE(commandLines(*session).empty());
    EXPECT_EQ(registryText(*session), before);
    if (row.warns) {
      expectOnlyMessage(*session, texts::kNoOptionText, texts::kNoOptionTitle, MessageIcon::Exclamation);
      EXPECT_TRUE(session->window().enabled(frm_main::cmdGo));
    } else {
      expectOnlyMessage(*session, texts::kDoneText, texts::kDoneTitle, MessageIcon::Information);
    }
    EXPECT_EQ(session->form().ended(), !row.warns);
  }
}

TEST(RepairRun, KeyRemovalNeedsKey21) {
  auto session = startSession(
      R"("registry": "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0]\r\n")");
  session->window().setValue(chkKillRegPath, check_value::kChecked);
  session->window().setEnabled(chkKillRegPath, true);
  session->window().setValue(chkReRegisterControl, check_value::kUnchecked);
  session->window().setValue(chkReplaceControl, check_value::kUnchecked);
  session->form().cmdGo_Click();
  EXPECT_TRUE(statusLines(*session).empty());
  EXPECT_NE(registryText(*session).find(kKey20), std::string::npos);
  EXPECT_TRUE(session->form().ended());
}

TEST(RepairRun, ReplacementWithoutTheInstalledFileIsSkippedButReRegistrationStillWrites) {
  auto session = startSession(R"("files": [])");
  session->window().setValue(chkReplaceControl, check_value::kChecked);
  session->window().setEnabled(chkReplaceControl, true);
  session->form().cmdGo_Click();
  EXPECT_EQ(statusLines(*session),
            (std::vector<std::string>{texts::kStatusDeleteKey, texts::kStatusUnregister, texts::kStatusRegister}));
  EXPECT_TRUE(commandLines(*session).empty()) << "nothing is started for a missing file";
  EXPECT_TRUE(session->form().ended());
}

// A temporary copy that no longer holds the carried control, changed by
// another process after the survey, stops the run before the replacement
// touches anything: the installed control stays in place and registered, no
// backup. Failing calls, such as a rename that stops the run, are the fault
// matrix's.
TEST(RepairRun, AChangedTemporaryCopyStopsTheRunBeforeTheReplacement) {
  auto session = startSession();
  session->machine().overwriteFromOutside(kTempCopyPath);
  const auto tempCopy = fileEntry(*session, kTempCopyPath);
  session->form().cmdGo_Click();

  const std::string reason = "13: Die Daten sind unzulässig.";
  EXPECT_EQ(statusLines(*session),
            (std::vector<std::string>{texts::kStatusDeleteKey, texts::kFailureLinePrefix + reason, texts::kAbortLine}));
  expectOnlyMessage(*session, std::string(texts::kFailureText) + "\r\n" + reason, texts::kFailureTitle,
                    MessageIcon::Critical);
  EXPECT_TRUE(commandLines(*session).empty()) << "the installed control was unregistered";
  EXPECT_NE(registryText(*session).find(kKey21), std::string::npos);
  const auto installed = fileEntry(*session, kInstalledPath);
  EXPECT_EQ(installed["version"], nlohmann::ordered_json({6, 1, 98, 33}));
  EXPECT_EQ(installed["size"], 1066928);
  EXPECT_EQ(fileEntry(*session, kBackupPath), nullptr);
  EXPECT_EQ(fileEntry(*session, kTempCopyPath), tempCopy) << "the temporary copy is left for inspection";
}

}  // namespace
}  // namespace ocx
