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

  ASSERT_EQ(session->window().messages().size(), 1u);
  EXPECT_EQ(session->window().messages()[0].text, texts::kDoneText);
  EXPECT_EQ(session->window().messages()[0].title, texts::kDoneTitle);
  EXPECT_EQ(session->window().messages()[0].icon, MessageIcon::Information);
  EXPECT_TRUE(session->form().ended());
}

TEST(RepairRun, NoOptionSelectedOnlyWarns) {
  auto session = startSession();
  for (const ElementId box : {chkKillRegPath, chkReplaceControl, chkReRegisterControl}) {
    session->window().setValue(box, check_value::kUnchecked);
  }
  const std::string before = registryText(*session);
  session->form().cmdGo_Click();
  ASSERT_EQ(session->window().messages().size(), 1u);
  EXPECT_EQ(session->window().messages()[0].text, texts::kNoOptionText);
  EXPECT_EQ(session->window().messages()[0].title, texts::kNoOptionTitle);
  EXPECT_EQ(session->window().messages()[0].icon, MessageIcon::Exclamation);
  EXPECT_TRUE(statusLines(*session).empty());
  EXPECT_TRUE(session->window().enabled(frm_main::cmdGo));
  EXPECT_FALSE(session->form().ended());
  EXPECT_TRUE(commandLines(*session).empty());
  EXPECT_EQ(registryText(*session), before);
}

// Boxes that count for the option test but not for their step.
struct InertBoxes {
  const char* name;
  int value;
  bool enabled;
};

class RepairRunInert : public ::testing::TestWithParam<InertBoxes> {};

TEST_P(RepairRunInert, NoStepRunsButTheRunCompletes) {
  auto session = startSession();
  for (const ElementId box : {chkKillRegPath, chkReplaceControl, chkReRegisterControl}) {
    session->window().setValue(box, GetParam().value);
    session->window().setEnabled(box, GetParam().enabled);
  }
  const std::string before = registryText(*session);
  session->form().cmdGo_Click();
  EXPECT_TRUE(statusLines(*session).empty());
  EXPECT_TRUE(commandLines(*session).empty());
  EXPECT_EQ(registryText(*session), before);
  ASSERT_EQ(session->window().messages().size(), 1u);
  EXPECT_EQ(session->window().messages()[0].text, texts::kDoneText);
  EXPECT_TRUE(session->form().ended());
}

INSTANTIATE_TEST_SUITE_P(Boxes, RepairRunInert,
                         ::testing::Values(InertBoxes{"CheckedButDisabled", 1, false},
                                           InertBoxes{"GreyedAndEnabled", 2, true},
                                           InertBoxes{"GreyedAndDisabled", 2, false}),
                         [](const auto& info) { return std::string(info.param.name); });

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

// A run that fails at the rename: the unregistration already happened and
// stays, the message and the two lines carry the Win32 code.
struct RenameFailure {
  const char* name;
  const char* members;
  std::uint32_t code;
};

class RepairRunFailure : public ::testing::TestWithParam<RenameFailure> {};

TEST_P(RepairRunFailure, StopsReportsAndStaysOpen) {
  const RenameFailure failure = GetParam();
  auto session = startSession(failure.members);
  session->form().cmdGo_Click();

  const auto lines = statusLines(*session);
  ASSERT_EQ(lines.size(), 5u);
  EXPECT_EQ(lines[2], kRenameLine);
  const std::string prefix = std::string(texts::kFailureLinePrefix) + std::to_string(failure.code) + ": ";
  EXPECT_EQ(lines[3].substr(0, prefix.size()), prefix);
  EXPECT_GT(lines[3].size(), prefix.size()) << "the description follows the number";
  EXPECT_EQ(lines[4], texts::kAbortLine);

  ASSERT_EQ(session->window().messages().size(), 1u);
  const auto& message = session->window().messages()[0];
  EXPECT_EQ(message.icon, MessageIcon::Critical);
  EXPECT_EQ(message.title, texts::kFailureTitle);
  EXPECT_EQ(message.text,
            std::string(texts::kFailureText) + "\r\n" + lines[3].substr(std::string(texts::kFailureLinePrefix).size()));

  EXPECT_FALSE(session->window().enabled(frm_main::cmdGo));
  EXPECT_EQ(session->window().focus(), frm_main::cmdExit);
  EXPECT_FALSE(session->form().ended());
  EXPECT_EQ(commandLines(*session).size(), 1u) << "only the unregistration was started";
  EXPECT_EQ(registryText(*session).find(kKey20), std::string::npos) << "the key removal stays done";
  EXPECT_EQ(fileEntry(*session, kInstalledPath)["version"], nlohmann::ordered_json({6, 1, 98, 33}));
}

INSTANTIATE_TEST_SUITE_P(
    Causes, RepairRunFailure,
    ::testing::Values(
        RenameFailure{
            "BackupExists",
            R"("files": [{"path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "version": [6, 1, 98, 33], "size": 1066928},
                                  {"path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX_Backup_2012-08-20 14.05.09", "size": 10}])",
            183},
        RenameFailure{
            "Locked",
            R"("files": [{"path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "version": [6, 1, 98, 33], "size": 1066928, "locked": true}])",
            32},
        RenameFailure{"Refused", R"("faults": [{"op": "rename", "error": 5}])", 5}),
    [](const auto& info) { return std::string(info.param.name); });

TEST(RepairRun, CopyFailureLeavesTheOldControlUnderTheBackupName) {
  auto session = startSession(R"("faults": [{"op": "copy", "error": 112}])");
  session->form().cmdGo_Click();
  const auto lines = statusLines(*session);
  ASSERT_GE(lines.size(), 2u);
  EXPECT_EQ(lines[lines.size() - 3], texts::kStatusCopy);
  EXPECT_EQ(lines[lines.size() - 2].substr(0, std::string(texts::kFailureLinePrefix).size() + 5),
            std::string(texts::kFailureLinePrefix) + "112: ");
  EXPECT_EQ(fileEntry(*session, kBackupPath)["version"], nlohmann::ordered_json({6, 1, 98, 33}));
  EXPECT_EQ(fileEntry(*session, kInstalledPath), nullptr);
  EXPECT_FALSE(session->form().ended());
}

TEST(RepairRun, ATemporaryCopyChangedSinceTheSurveyIsNeverInstalled) {
  auto session = startSession();
  const std::vector<std::uint8_t> planted(1070152, 0x90);
  session->machine().files().writeNewFile(kTempCopyPath, planted);
  session->form().cmdGo_Click();

  const auto lines = statusLines(*session);
  ASSERT_GE(lines.size(), 3u);
  EXPECT_EQ(lines[lines.size() - 3], texts::kStatusCopy);
  EXPECT_EQ(lines[lines.size() - 2], std::string(texts::kFailureLinePrefix) + "13: Die Daten sind unzulässig.");
  EXPECT_EQ(fileEntry(*session, kInstalledPath), nullptr) << "nothing but the carried control goes there";
  EXPECT_EQ(fileEntry(*session, kBackupPath)["version"], nlohmann::ordered_json({6, 1, 98, 33}));
  EXPECT_EQ(commandLines(*session).size(), 1u) << "nothing was registered after the refusal";
  EXPECT_FALSE(session->form().ended());
}

}  // namespace
}  // namespace ocx
