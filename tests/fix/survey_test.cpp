#include <gtest/gtest.h>

#include <ostream>
#include <string>

#include "app/frm_main_ids.h"
#include "app/survey_view.h"
#include "fix/mod_bugfix.h"
#include "osinfo/cls_os_info.h"
#include "tests/osinfo/sim_platform.h"

namespace ocx {
namespace {

using frm_main::chkKillRegPath;
using frm_main::chkReplaceControl;
using frm_main::lblSysInfoText;

constexpr char kPresent[] = "Registry-Pfad ist vorhanden: HCR\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.";
constexpr char kMissing[] = "Registry-Pfad existiert nicht!";
constexpr char kUnknown[] = "Konnte nicht ermittelt werden!";
constexpr char kTempCopy[] = "C:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX";
constexpr char kWow[] = "C:\\Windows\\SysWOW64";
const std::string kNew = std::string(kTempCopy) + " Version: 6.01.98.34";
const std::string kOld = std::string(kWow) + "\\MSCOMCTL.OCX Version: 6.01.98.33";

struct Scenario {
  const char* name;
  std::string profile, systemDir, label5, label6;
  int replace;  // 2: left as it was
  bool has20 = true, has21 = true;
  std::string windowsTail = " 64 Bit (Version 6.1.7601) Service Pack 1";
};
// A temporary folder of 240 characters, of which 235 umlauts: it fits the
// ANSI buffer of 255 characters although its UTF-8 text is far longer.
std::string umlautTemp(const char* separator) {
  std::string path = std::string("C:") + separator;
  for (int i = 0; i < 235; ++i) {
    path += i == 117 ? std::string(separator) + "\xC3\x96" : "\xC3\x84";
  }
  return path + separator;
}

void PrintTo(const Scenario& scenario, std::ostream* out) {
  *out << scenario.name;
}

const std::string kXp = R"({"os": {"bits": 32, "major": 5, "minor": 1, "build": 2600, "csd": "Service Pack 3"},
    "folders": {"36": "C:\\WINDOWS", "37": "C:\\WINDOWS\\system32"},
    "files": [{"path": "C:\\WINDOWS\\system32\\MSCOMCTL.OCX", "size": 5, "version": [6, 0, 81, 5]}]})";
const std::string kInstalled = R"({"files": [{"path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "size": 5, "version": )";
const std::string kLockedCopy = R"(, {"path": "C:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX",
    "size": 9, "version": [6, 1, 98, 20], "locked": true})";
const std::string kOneKey =
    R"({"registry": "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.)";

class SurveyScenario : public testing::TestWithParam<Scenario> {};

// Both option boxes start greyed and disabled, so that one the survey leaves
// alone shows as such.
TEST_P(SurveyScenario, FillsLabelsFixStateAndOptions) {
  const Scenario& s = GetParam();
  test::SimPlatform sim(s.profile);
  auto& w = sim.window();
  for (const int chk : {chkReplaceControl, chkKillRegPath}) {
    w.setValue(chk, 2);
    w.setEnabled(chk, false);
  }
  modBugfix fix(sim.platform());
  bool copyThereWhilePending = false;
  w.setOperationHook([&](std::string_view op, ElementId) {
    if (op != "processPendingEvents") return;
    copyThereWhilePending = sim.machine().files().findFirstFile(kTempCopy);
    EXPECT_EQ(fix.NewControlPath(), "");
  });
  const SurveyFindings findings = fix.SurveySystem();
  ShowSurveyFindings(w, fix.state(), findings);

  EXPECT_EQ(w.caption(lblSysInfoText(0)), clsOSInfo(sim.platform()).Name() + s.windowsTail);
  EXPECT_EQ(w.caption(lblSysInfoText(0)), fix.WindowsInfoText());
  EXPECT_EQ(fix.SystemDir(), s.systemDir);
  EXPECT_EQ(w.caption(lblSysInfoText(5)), s.label5);
  EXPECT_EQ(w.caption(lblSysInfoText(6)), s.label6);
  EXPECT_EQ(fix.NewControlPath() == kTempCopy, s.label6 == kNew);
  EXPECT_EQ(w.pendingEventRuns(), 1);
  EXPECT_TRUE(copyThereWhilePending || s.label6 != kNew);
  EXPECT_EQ(w.caption(lblSysInfoText(7)), s.has20 ? kPresent + std::string("0") : kMissing);
  EXPECT_EQ(w.caption(lblSysInfoText(8)), s.has21 ? kPresent + std::string("1") : kMissing);
  EXPECT_EQ(w.value(chkReplaceControl), s.replace);
  EXPECT_EQ(w.enabled(chkReplaceControl), s.replace == 1);
  EXPECT_EQ(w.value(chkKillRegPath), s.has20 && s.has21 ? 1 : 0);
  EXPECT_EQ(w.enabled(chkKillRegPath), s.has20 && s.has21);
}

// clang-format off
INSTANTIATE_TEST_SUITE_P(Machines, SurveyScenario, testing::Values(
    Scenario{"default", "{}", kWow, kOld, kNew, 1},
    Scenario{"xp32", kXp, "C:\\WINDOWS\\system32", "C:\\WINDOWS\\system32\\MSCOMCTL.OCX Version: 6.00.81.05", kNew, 1,
             true, true, " 32 Bit (Version 5.1.2600) Service Pack 3"},
    Scenario{"shell_fails64", R"({"folders": {}})", "SysWOW64", kUnknown, kNew, 2},
    Scenario{"shell_fails32", R"({"folders": {}, "os": {"bits": 32}})", "", kUnknown, kNew, 2, true, true,
             " 32 Bit (Version 6.1.7601) Service Pack 1"},
    Scenario{"installed_missing", R"({"files": []})", kWow, kUnknown, kNew, 2},
    Scenario{"no_version_info", kInstalled + "null}]}", kWow, kWow + std::string("\\MSCOMCTL.OCX Version: "), kNew, 2},
    Scenario{"equal", kInstalled + "[6, 1, 98, 34]}]}", kWow, kWow + std::string("\\MSCOMCTL.OCX Version: 6.01.98.34"), kNew, 0},
    Scenario{"newer", kInstalled + "[6, 1, 98, 40]}]}", kWow, kWow + std::string("\\MSCOMCTL.OCX Version: 6.01.98.40"), kNew, 1},
    Scenario{"temp_missing", R"({"temp": "C:\\Gone\\"})", kWow, kOld, kUnknown, 2},
    Scenario{"temp_umlauts", R"({"temp": ")" + umlautTemp("\\\\") + R"(", "directories": [")" + umlautTemp("\\\\") + R"("]})",
             kWow, kOld, umlautTemp("\\") + "MSCOMCTL.OCX Version: 6.01.98.34", 1},
    Scenario{"disk_full", R"({"faults": [{"op": "write", "error": 112}]})", kWow, kOld, kUnknown, 2},
    Scenario{"copy_locked", kInstalled + "[6, 1, 98, 33]}" + kLockedCopy + "]}", kWow, kOld, kUnknown, 2},
    Scenario{"nothing_known", R"({"files": [], "payload": null})", kWow, kUnknown, kUnknown, 0},
    Scenario{"only20", kOneKey + R"(0]\r\n"})", kWow, kOld, kNew, 1, true, false},
    Scenario{"only21", kOneKey + R"(1]\r\n"})", kWow, kOld, kNew, 1, false, true},
    Scenario{"no_service_pack", R"({"os": {"csd": "", "sp_major": 0}})", kWow, kOld, kNew, 1, true, true,
             " 64 Bit (Version 6.1.7601) "}),
    [](const testing::TestParamInfo<Scenario>& info) { return std::string(info.param.name); });
// clang-format on

}  // namespace
}  // namespace ocx
