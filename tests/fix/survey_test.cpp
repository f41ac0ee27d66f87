#include <gtest/gtest.h>

#include <string>

#include "app/frm_main_ids.h"
#include "app/frm_main_layout.h"
#include "app/texts.h"
#include "fix/mod_bugfix.h"
#include "osinfo/cls_os_info.h"
#include "platform/error.h"
#include "sim_platform.h"

namespace ocx {
namespace {

using frm_main::lblSysInfoText;

constexpr char kPresent20[] = "Registry-Pfad ist vorhanden: HCR\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0";
constexpr char kPresent21[] = "Registry-Pfad ist vorhanden: HCR\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1";
constexpr char kMissing[] = "Registry-Pfad existiert nicht!";
constexpr char kUnknown[] = "Konnte nicht ermittelt werden!";
constexpr char kTempCopy[] = "C:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX";
constexpr char kWow[] = "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX";

TEST(SurveySystem, OnTheDefaultMachine) {
  test::SimPlatform sim;
  modBugfix fix(sim.platform());
  fix.SurveySystem();
  auto& w = sim.window();
  EXPECT_EQ(w.caption(lblSysInfoText(0)), "Microsoft Windows 7  64 Bit (Version 6.1.7601) Service Pack 1");
  EXPECT_EQ(w.caption(lblSysInfoText(5)), std::string(kWow) + " Version: 6.01.98.33");
  EXPECT_EQ(w.caption(lblSysInfoText(6)), std::string(kTempCopy) + " Version: 6.01.98.34");
  EXPECT_EQ(w.caption(lblSysInfoText(7)), kPresent20);
  EXPECT_EQ(w.caption(lblSysInfoText(8)), kPresent21);
  for (const int chk : {frm_main::chkReplaceControl, frm_main::chkKillRegPath}) {
    EXPECT_EQ(w.value(chk), 1);
    EXPECT_TRUE(w.enabled(chk));
  }
  EXPECT_EQ(fix.SystemDir(), "C:\\Windows\\SysWOW64");
  EXPECT_EQ(fix.InstalledControlPath(), kWow);
  EXPECT_EQ(fix.WindowsInfoText(), w.caption(lblSysInfoText(0)));
  bool tempCopyFound = false;
  const auto machine = sim.machine().toJson();
  for (const auto& file : machine["files"]) {
    if (file["path"] == kTempCopy) {
      tempCopyFound = true;
      EXPECT_EQ(file["version"], nlohmann::json({6, 1, 98, 34}));
    }
  }
  EXPECT_TRUE(tempCopyFound);
}

// Each row starts from the default machine; both option boxes are preset to
// greyed and disabled so that a box the survey leaves alone shows as such.
struct Scenario {
  const char* name;
  std::string profile;
  std::string systemDir, label5, label6;
  int replace;  // 0 or 1: set by the survey, 2: left alone
  bool has20 = true, has21 = true;
  std::string windowsTail = " 64 Bit (Version 6.1.7601) Service Pack 1";
};

void PrintTo(const Scenario& scenario, std::ostream* out) {
  *out << scenario.name;
}

const std::string kXpFiles = R"("files": [{"path": "C:\\WINDOWS\\system32\\MSCOMCTL.OCX", "size": 5,
                                          "version": [6, 0, 81, 5]}])";
const std::string kWowFile = R"({"files": [{"path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "size": 5, "version": )";
const std::string kLockedCopy = R"({"path": "C:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX",
                                    "size": 9, "version": [6, 1, 98, 20], "locked": true})";
const std::string kOnly =
    R"("registry": "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\)";

const std::string kNew = std::string(kTempCopy) + " Version: 6.01.98.34";
const std::string kOld = std::string(kWow) + " Version: 6.01.98.33";

class SurveyScenario : public testing::TestWithParam<Scenario> {};

TEST_P(SurveyScenario, FillsTheLabelsTheFixStateAndTheOptions) {
  const Scenario& s = GetParam();
  test::SimPlatform sim(s.profile);
  auto& w = sim.window();
  for (const int chk : {frm_main::chkReplaceControl, frm_main::chkKillRegPath}) {
    w.setValue(chk, 2);
    w.setEnabled(chk, false);
  }
  modBugfix fix(sim.platform());
  fix.SurveySystem();

  clsOSInfo os(sim.platform());
  EXPECT_EQ(fix.WindowsInfoText(), os.Name() + s.windowsTail);
  EXPECT_EQ(w.caption(lblSysInfoText(0)), fix.WindowsInfoText());
  EXPECT_EQ(fix.SystemDir(), s.systemDir);
  EXPECT_EQ(w.caption(lblSysInfoText(5)), s.label5);
  EXPECT_EQ(w.caption(lblSysInfoText(6)), s.label6);
  EXPECT_EQ(fix.NewControlPath().empty(), s.label6 == kUnknown);
  EXPECT_EQ(w.caption(lblSysInfoText(7)), s.has20 ? kPresent20 : kMissing);
  EXPECT_EQ(w.caption(lblSysInfoText(8)), s.has21 ? kPresent21 : kMissing);
  EXPECT_EQ(w.value(frm_main::chkReplaceControl), s.replace);
  EXPECT_EQ(w.enabled(frm_main::chkReplaceControl), s.replace == 1);
  EXPECT_EQ(w.value(frm_main::chkKillRegPath), s.has20 && s.has21 ? 1 : 0);
  EXPECT_EQ(w.enabled(frm_main::chkKillRegPath), s.has20 && s.has21);
}

INSTANTIATE_TEST_SUITE_P(
    Machines, SurveyScenario,
    testing::Values(
        Scenario{"xp32",
                 R"({"os": {"bits": 32, "major": 5, "minor": 1, "build": 2600, "csd": "Service Pack 3", "sp_major": 3},
                     "folders": {"36": "C:\\WINDOWS", "37": "C:\\WINDOWS\\system32"}, )" +
                     kXpFiles + "}",
                 "C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32\\MSCOMCTL.OCX Version: 6.00.81.05", kNew, 1, true,
                 true, " 32 Bit (Version 5.1.2600) Service Pack 3"},
        Scenario{"shell_fails64", R"({"folders": {}})", "SysWOW64", kUnknown, kNew, 2},
        Scenario{"shell_fails32", R"({"folders": {}, "os": {"bits": 32}})", "", kUnknown, kNew, 2, true, true,
                 " 32 Bit (Version 6.1.7601) Service Pack 1"},
        Scenario{"installed_missing", R"({"files": []})", "C:\\Windows\\SysWOW64", kUnknown, kNew, 2},
        Scenario{"no_version_info", kWowFile + "null}]}", "C:\\Windows\\SysWOW64",
                 std::string(kWow) + " Version: ", kNew, 2},
        Scenario{"equal", kWowFile + "[6, 1, 98, 34]}]}", "C:\\Windows\\SysWOW64",
                 std::string(kWow) + " Version: 6.01.98.34", kNew, 0},
        Scenario{"newer", kWowFile + "[6, 1, 98, 40]}]}", "C:\\Windows\\SysWOW64",
                 std::string(kWow) + " Version: 6.01.98.40", kNew, 1},
        Scenario{"temp_missing", R"({"temp": "C:\\Gone\\"})", "C:\\Windows\\SysWOW64", kOld, kUnknown, 2},
        Scenario{"disk_full", R"({"faults": [{"op": "write", "error": 112}]})", "C:\\Windows\\SysWOW64", kOld, kUnknown,
                 2},
        Scenario{"copy_locked", kWowFile + "[6, 1, 98, 33]}, " + kLockedCopy + "]}", "C:\\Windows\\SysWOW64", kOld,
                 kUnknown, 2},
        Scenario{"nothing_known", R"({"files": [], "payload": null})", "C:\\Windows\\SysWOW64", kUnknown, kUnknown, 0},
        Scenario{"only20", "{" + kOnly + R"(2.0]\r\n"})", "C:\\Windows\\SysWOW64", kOld, kNew, 1, true, false},
        Scenario{"only21", "{" + kOnly + R"(2.1]\r\n"})", "C:\\Windows\\SysWOW64", kOld, kNew, 1, false, true},
        Scenario{"no_service_pack", R"({"os": {"csd": "", "sp_major": 0}})", "C:\\Windows\\SysWOW64", kOld, kNew, 1,
                 true, true, " 64 Bit (Version 6.1.7601) "}),
    [](const testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });

TEST(SurveySystem, PassesOverAFailingLabelAndGoesOn) {
  for (const int failing : frm_main::kSysInfoIndices) {
    SCOPED_TRACE(failing);
    test::SimPlatform sim;
    sim.window().setOperationHook([&](std::string_view op, ElementId id) {
      if (op == "setCaption" && id == lblSysInfoText(failing)) throw PlatformError(1400, "Ungültiges Fensterhandle.");
    });
    modBugfix fix(sim.platform());
    fix.SurveySystem();
    for (const int index : frm_main::kSysInfoIndices) {
      EXPECT_EQ(sim.window().caption(lblSysInfoText(index)) == "?", index == failing) << index;
    }
    EXPECT_EQ(sim.window().value(frm_main::chkKillRegPath), 1);
  }
}

}  // namespace
}  // namespace ocx
