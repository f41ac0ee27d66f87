// Reading a customer's regedit export and saved status report into a
// machine profile: what each file tells, what neither tells, and files that
// are not what they should be.
#include "app/sim/machine_import.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <string>

#include "app/sim/saved_report.h"
#include "platform/sim/machine.h"
#include "tests/app/reg_export_text.h"

namespace ocx::sim {
namespace {

using Json = nlohmann::ordered_json;

std::string tempPath(const std::string& name) {
  return ::testing::TempDir() + "import_" + std::to_string(getpid()) + "_" + name;
}

std::string written(const std::string& name, const std::string& bytes) {
  const std::string path = tempPath(name);
  std::ofstream(path, std::ios::binary) << bytes;
  return path;
}

std::string exportOf(const std::string& body) {
  return written("export.reg", "Windows Registry Editor Version 5.00\r\n\r\n" + body);
}

constexpr char kCurrentVersion[] = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n";
constexpr char kProductOptions[] = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\ProductOptions]\r\n";
constexpr char kEnvironment[] =
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]\r\n";
constexpr char kLanguage[] = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\Language]\r\n";

std::string productOptions(const std::string& type, std::initializer_list<std::string_view> suite) {
  return std::string(kProductOptions) + "\"ProductType\"=\"" + type +
         "\"\r\n\"ProductSuite\"=" + testing::multiSz({suite.begin(), suite.size()}) + "\r\n\r\n";
}

ImportedMachine importExport(const std::string& body) {
  return importMachine(exportOf(body), std::nullopt, tempPath("profile.json"));
}

// Each member of `expected` as `actual` has it.
void expectMembers(const Json& actual, const Json& expected) {
  for (const auto& [key, value] : expected.items()) {
    EXPECT_EQ(actual.contains(key) ? actual[key] : Json("(missing)"), value) << key;
  }
}

// What the export alone tells of the running Windows.
TEST(MachineImport, ExportGivesTheOsRecord) {
  struct Case {
    const char* what;
    std::string body;
    Json os;
    Json folders;
  };
  const Case cases[] = {
      {"Windows 10: its own version numbers, no service pack, the edition's code",
       std::string(kCurrentVersion) +
           "\"CurrentVersion\"=\"6.3\"\r\n\"CurrentMajorVersionNumber\"=dword:0000000a\r\n"
           "\"CurrentMinorVersionNumber\"=dword:00000000\r\n\"CurrentBuildNumber\"=\"19045\"\r\n"
           "\"EditionID\"=\"Professional\"\r\n\"ProductName\"=\"Windows 10 "
           "Pro\"\r\n\"SystemRoot\"=\"C:\\\\WINDOWS\"\r\n\r\n" +
           productOptions("WinNT", {"Terminal Server"}) + kEnvironment +
           "\"PROCESSOR_ARCHITECTURE\"=\"AMD64\"\r\n\r\n" + kLanguage + "\"Default\"=\"0407\"\r\n",
       {{"bits", 64},
        {"major", 10},
        {"minor", 0},
        {"build", 19045},
        {"csd", ""},
        {"sp_major", 0},
        {"product_type", 1},
        {"suite_mask", 0x100},
        {"product_info", 0x30},
        {"lang_id", 0x407},
        {"wow64_query", "present"}},
       {{"36", "C:\\WINDOWS"}, {"37", "C:\\WINDOWS\\system32"}}},
      {"Windows XP Home SP3: no product code, the personal suite",
       std::string(kCurrentVersion) +
           "\"CurrentVersion\"=\"5.1\"\r\n\"CurrentBuildNumber\"=\"2600\"\r\n\"CSDVersion\"=\"Service Pack 3\"\r\n"
           "\"SystemRoot\"=\"C:\\\\WINDOWS\"\r\n\r\n" +
           productOptions("WinNT", {"Personal", "Terminal Server"}) + kEnvironment +
           "\"PROCESSOR_ARCHITECTURE\"=\"x86\"\r\n\r\n" + kLanguage + "\"InstallLanguage\"=\"0409\"\r\n",
       {{"bits", 32},
        {"major", 5},
        {"minor", 1},
        {"csd", "Service Pack 3"},
        {"sp_major", 3},
        {"suite_mask", 0x300},
        {"product_info", 0},
        {"lang_id", 0x409},
        {"wow64_query", "present"}},
       {{"36", "C:\\WINDOWS"}, {"37", "C:\\WINDOWS\\system32"}}},
      {"Windows XP SP1 has no IsWow64Process",
       std::string(kCurrentVersion) +
           "\"CurrentVersion\"=\"5.1\"\r\n\"CurrentBuildNumber\"=\"2600\"\r\n\"CSDVersion\"=\"Service Pack 1\"\r\n",
       {{"sp_major", 1}, {"wow64_query", "absent"}},
       {{"36", "C:\\Windows"}, {"37", "C:\\Windows\\system32"}}},
      {"Server 2003 R2 x64: the 32-bit view says 64 bits, the product name R2",
       std::string(kCurrentVersion) +
           "\"CurrentVersion\"=\"5.2\"\r\n\"CurrentBuildNumber\"=\"3790\"\r\n\"CSDVersion\"=\"Service Pack 2\"\r\n"
           "\"ProductName\"=\"Microsoft Windows Server 2003 R2\"\r\n\"SystemRoot\"=\"D:\\\\W2K3\"\r\n\r\n"
           "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node]\r\n\r\n" +
           productOptions("ServerNT", {"Enterprise", "Terminal Server"}),
       {{"bits", 64},
        {"product_type", 3},
        {"suite_mask", 0x112},
        {"product_info", 0},
        {"metrics", {{"86", 0}, {"87", 0}, {"88", 0}, {"89", 1}}}},
       {{"36", "D:\\W2K3"}, {"37", "D:\\W2K3\\system32"}}},
      {"Server 2008 R2 domain controller: the server's edition code",
       std::string(kCurrentVersion) +
           "\"CurrentVersion\"=\"6.1\"\r\n\"CurrentBuildNumber\"=\"7601\"\r\n\"EditionID\"="
           "\"ServerEnterprise\"\r\n\r\n" +
           productOptions("LanmanNT", {}),
       {{"product_type", 2}, {"suite_mask", 0}, {"product_info", 0x0A}},
       {{"36", "C:\\Windows"}, {"37", "C:\\Windows\\system32"}}},
      {"Vista without EditionID: the edition at the end of its ProductName",
       std::string(kCurrentVersion) +
           "\"CurrentVersion\"=\"6.0\"\r\n\"CurrentBuildNumber\"=\"6002\"\r\n"
           "\"ProductName\"=\"Windows Vista (TM) Home Premium\"\r\n\r\n" +
           productOptions("WinNT", {}),
       {{"major", 6}, {"minor", 0}, {"product_info", 0x03}},
       {{"36", "C:\\Windows"}, {"37", "C:\\Windows\\system32"}}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    const ImportedMachine imported = importExport(c.body);
    expectMembers(imported.profile["os"], c.os);
    EXPECT_EQ(imported.profile["folders"], c.folders);
  }
}

// Every fact that neither file tells is named, and keeps the default's
// value; an export and a report that tell everything leave only what no
// customer file can show.
TEST(MachineImport, FactsWithoutASourceAreNamedOnce) {
  const auto factsOf = [](const ImportedMachine& imported) {
    std::vector<std::string> facts;
    for (const std::string& note : imported.notes) {
      facts.push_back(note.substr(0, note.find(':')));
    }
    return facts;
  };
  const ImportedMachine bare = importExport("[HKEY_CURRENT_USER\\Software]\r\n");
  EXPECT_EQ(factsOf(bare), (std::vector<std::string>{"os.bits",
                                                     "os.platform",
                                                     "os.major",
                                                     "os.minor",
                                                     "os.build",
                                                     "os.csd",
                                                     "os.product_type",
                                                     "os.suite_mask",
                                                     "os.lang_id",
                                                     "os.language",
                                                     "os.tick_count",
                                                     "os.metrics",
                                                     "os.product_info",
                                                     "folders.36",
                                                     "folders.37",
                                                     "temp",
                                                     "files[0] (the installed control",
                                                     "payload.version",
                                                     "payload.size",
                                                     "payload.registers"}));
  Json os = bare.profile["os"];
  os.erase("wow64_query");
  Json defaults = Machine::defaultProfile()["os"];
  defaults.erase("wow64_query");
  EXPECT_EQ(os, defaults);
  EXPECT_EQ(bare.profile["files"], Machine::defaultProfile()["files"]);
}

TEST(MachineImport, VersionTextsReadBackAsTheVersionsThatMakeThem) {
  const struct {
    const char* text;
    std::optional<FileVersion> version;
  } cases[] = {
      {"6.01.98.34", FileVersion{6, 1, 98, 34}},
      {"5.01.0000", FileVersion{5, 1, 0, 0}},
      {"10.00.19041.01", FileVersion{10, 0, 19041, 1}},
      {"6.-25536.98.34", FileVersion{6, 40000, 98, 34}},  // a minor part above 32767
      {"1.00.-1673527291", FileVersion{1, 0, 40000, 5}},  // a third part above 32767
      {"6.1.98.34", std::nullopt},                        // not as the program pads it
      {"6.01.98", std::nullopt},
      {"6.01.98.34.1", std::nullopt},
      {"6.01.0005", std::nullopt},  // a positive low field has two parts
      {"", std::nullopt},
      {"sechs", std::nullopt},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.text);
    EXPECT_EQ(versionFromText(c.text), c.version);
  }
}

constexpr char kReportTail[] =
    "\r\n"
    "Aktuelle Datei MSCOMCTL.OCX gegen neuere Version ersetzen:\tausgewählt\r\n"
    "MSCOMCTL.OCX im Systemverzeichnis (ggf. nach Aktualisierung) de-registrieren und neu registrieren:\t"
    "ausgewählt\r\n"
    "Registry-Pfad 2.0 aus der Registry entfernen:\tnicht ausgewählt\r\n";

std::string reportOf(const std::string& windows, const std::string& installed, const std::string& available,
                     const std::string& key20, const std::string& key21) {
  return "Windows-Version:\t" + windows + "\r\nInstalliertes Control:\t" + installed + "\r\nVerfügbares Control:\t" +
         available + "\r\nReg-Pfad 2.0:\t" + key20 + "\r\nReg-Pfad 2.1:\t" + key21 + "\r\n" + kReportTail;
}

constexpr char kPresent20[] = "Registry-Pfad ist vorhanden: HCR\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0";
constexpr char kMissing[] = "Registry-Pfad existiert nicht!";
constexpr char kWindows7[] = "Microsoft Windows 7  64 Bit (Version 6.1.7601) Service Pack 1";

// The report's rows become the disk: the installed control, the carried
// copy's folder and version; the key rows are held against the export.
TEST(MachineImport, ReportRowsGiveTheDiskAndAreHeldAgainstTheExport) {
  const std::string report =
      written("report.txt", reportOf(kWindows7, "Konnte nicht ermittelt werden!",
                                     "C:\\Users\\Jürgen Groß\\AppData\\Local\\Temp\\MSCOMCTL.OCX Version: 6.01.98.34",
                                     kPresent20, kMissing));
  const std::string exported = exportOf(
      "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1]\r\n@=\"Common Controls\"\r\n");
  const ImportedMachine imported = importMachine(exported, report, tempPath("profile.json"));
  expectMembers(imported.profile, {{"temp", "C:\\Users\\Jürgen Groß\\AppData\\Local\\Temp\\"},
                                   {"files", Json::array()},
                                   {"directories",
                                    {"C:\\Users\\Jürgen Groß\\AppData\\Local\\Temp",
                                     "C:\\Users\\Administrator\\Desktop", "C:\\Windows\\SysWOW64"}}});
  EXPECT_EQ(imported.profile["payload"]["version"], Json({6, 1, 98, 34}));
  expectMembers(imported.profile["os"], {{"bits", 64}, {"major", 6}, {"build", 7601}, {"csd", "Service Pack 1"}});
  // Both rows disagree with the export, each where its value starts.
  std::vector<std::string> mismatches;
  for (const std::string& note : imported.notes) {
    if (note.starts_with(report)) {
      mismatches.push_back(note.substr(report.size()));
    }
  }
  ASSERT_EQ(mismatches.size(), 2u);
  EXPECT_TRUE(
      mismatches[0].starts_with(":4:15: the row shows the key, the export lacks "
                                "HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0"))
      << mismatches[0];
  EXPECT_TRUE(mismatches[1].starts_with(":5:15: the row does not show the key, the export holds")) << mismatches[1];
}

// Where the report's Windows row and the export disagree, the export wins
// and each fact is named; a control where this machine does not look is
// named too.
TEST(MachineImport, DisagreementsAreNamedAndTheExportWins) {
  const std::string exported =
      exportOf(std::string(kCurrentVersion) + "\"CurrentVersion\"=\"6.1\"\r\n\"CurrentBuildNumber\"=\"7600\"\r\n\r\n" +
               kEnvironment + "\"PROCESSOR_ARCHITECTURE\"=\"AMD64\"\r\n");
  const std::string report =
      written("report.txt", reportOf("Microsoft Windows 7  32 Bit (Version 6.1.7601) Service Pack 1",
                                     "C:\\Windows\\system32\\MSCOMCTL.OCX Version: 6.01.98.33", "?", "?", "?"));
  const ImportedMachine imported = importMachine(exported, report, tempPath("profile.json"));
  expectMembers(imported.profile["os"], {{"bits", 64}, {"build", 7600}, {"csd", "Service Pack 1"}});
  std::vector<std::string> disagreements;
  for (const std::string& note : imported.notes) {
    if (note.find("neither the export nor the report") == std::string::npos) {
      disagreements.push_back(note);
    }
  }
  EXPECT_EQ(
      disagreements,
      (std::vector<std::string>{
          "os.bits: the export gives 64, the report 32; the export's is used",
          "os.build: the export gives 7600, the report 7601; the export's is used",
          "files[0].path: the report shows the control at \"C:\\\\Windows\\\\system32\\\\MSCOMCTL.OCX\", the machine "
          "made from the files looks for it at \"C:\\\\Windows\\\\SysWOW64\\\\MSCOMCTL.OCX\""}));
}

// What the export leaves open of the product name is read from the name
// the report shows; a name the export cannot give is reported.
TEST(MachineImport, ReportedNameDecidesTheEditionMetrics) {
  const std::string xp = std::string(kCurrentVersion) +
                         "\"CurrentVersion\"=\"5.1\"\r\n\"CurrentBuildNumber\"=\"2600\"\r\n"
                         "\"CSDVersion\"=\"Service Pack 3\"\r\n\"ProductName\"=\"Microsoft Windows XP\"\r\n\r\n" +
                         productOptions("WinNT", {"Terminal Server"});
  const std::string row = " 32 Bit (Version 5.1.2600) Service Pack 3";
  const std::string control = "C:\\Windows\\system32\\MSCOMCTL.OCX Version: 6.01.98.33";
  const auto importWith = [&](const std::string& name) {
    return importMachine(exportOf(xp), written("report.txt", reportOf(name + row, control, "?", "?", "?")),
                         tempPath("profile.json"));
  };
  EXPECT_EQ(importWith("Microsoft Windows XP Media Center Edition").profile["os"]["metrics"],
            Json({{"86", 0}, {"87", 1}, {"88", 0}, {"89", 0}}));
  EXPECT_EQ(importWith("Microsoft Windows XP Professional").profile["os"]["metrics"],
            Json({{"86", 0}, {"87", 0}, {"88", 0}, {"89", 0}}));
  const ImportedMachine home = importWith("Microsoft Windows XP Home Edition");
  const bool named = std::ranges::any_of(home.notes, [](const std::string& note) {
    return note.ends_with(
        ":1:18: the report names the product \"Microsoft Windows XP Home Edition\", the machine "
        "made from the export \"Microsoft Windows XP Professional\"");
  });
  EXPECT_TRUE(named);
}

// A file that is not what it should be is refused where it goes wrong.
TEST(MachineImport, FilesOfTheWrongKindAreRefusedWithTheirPlace) {
  const std::string goodExport = exportOf("[HKEY_CURRENT_USER\\Software]\r\n");
  const std::string goodRows = reportOf(kWindows7, "?", "?", "?", "?");
  const struct {
    const char* what;
    std::string exportBytes;  // empty: the good export
    std::string reportBytes;  // empty: the good report
    const char* refused;      // which file, "export" or "report"
    const char* place;
  } cases[] = {
      {"a text that is no export", "Hallo\r\n", "", "export", "1:1"},
      {"a malformed export line", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\nfoo\r\n", "",
       "export", "4:1"},
      {"an export given as the report", "", "Windows Registry Editor Version 5.00\r\n", "report", "1:1"},
      {"an empty report", "", "\r\n", "report", "1:1"},
      {"a row out of its place", "", "Windows-Version:\t?\r\nVerfügbares Control:\t?\r\nInstalliertes Control:\t?\r\n",
       "report", "2:1"},
      {"a report cut short", "", "Windows-Version:\t?\r\nInstalliertes Control:\t?\r\n", "report", "3:1"},
      {"a Windows row without its bits", "", reportOf("Microsoft Windows 7 (Version 6.1.7601) ", "?", "?", "?", "?"),
       "report", "1:18"},
      {"a Windows row without its build", "", reportOf("Microsoft Windows 7 64 Bit (Version 6.1) ", "?", "?", "?", "?"),
       "report", "1:54"},
      {"a version the program does not write", "",
       reportOf(kWindows7, "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX Version: 6.1.98.33", "?", "?", "?"), "report", "2:66"},
      {"a control row without a version", "", reportOf(kWindows7, "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "?", "?", "?"),
       "report", "2:24"},
      {"a key row of another program", "", reportOf(kWindows7, "?", "?", "Ja", "?"), "report", "4:15"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    const std::string exportPath = c.exportBytes.empty() ? goodExport : written("bad.reg", c.exportBytes);
    const std::string reportPath = written("bad.txt", c.reportBytes.empty() ? goodRows : c.reportBytes);
    const std::string expectedFile = std::string(c.refused) == "export" ? exportPath : reportPath;
    try {
      importMachine(exportPath, reportPath, tempPath("profile.json"));
      ADD_FAILURE() << "accepted";
    } catch (const ProfileError& e) {
      EXPECT_EQ(e.file() + ":" + std::to_string(e.line()) + ":" + std::to_string(e.column()),
                expectedFile + ":" + c.place)
          << e.what();
    }
  }
  for (const char* missing : {"export", "report"}) {
    SCOPED_TRACE(missing);
    const std::string nowhere = tempPath("nowhere");
    try {
      importMachine(std::string(missing) == "export" ? nowhere : goodExport,
                    std::string(missing) == "report" ? nowhere : written("good.txt", goodRows),
                    tempPath("profile.json"));
      ADD_FAILURE() << "accepted";
    } catch (const ProfileError& e) {
      EXPECT_EQ(e.file() + ":" + std::to_string(e.line()) + ":" + std::to_string(e.column()), nowhere + ":1:1");
    }
  }
}

}  // namespace
}  // namespace ocx::sim
