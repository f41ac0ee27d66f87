// ocxmedic-sim import as the support engineer runs it: the status report and
// the registry export of a machine make a profile whose machine gives the
// same report, byte for byte; files of the wrong kind leave nothing behind.
#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <nlohmann/json.hpp>
#include <string>
#include <vector>

#include "platform/sim/text_codec.h"
#include "sim_command.h"
#include "tests/app/reg_export_text.h"

namespace {

using ocx::testing::readWhole;
using ocx::testing::runSim;
using Json = nlohmann::json;

std::string folder() {
  const std::string dir = ::testing::TempDir() + "sim_import_" + std::to_string(getpid()) + "/";
  std::filesystem::create_directories(dir + "customer");
  return dir;
}

void write(const std::string& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

// How a customer's file reaches us: regedit writes UTF-16LE with its mark;
// Notepad saves the report in any of the three encodings.
enum class Encoding { Utf16, Ansi, Utf8WithMark, Utf8 };

std::string encoded(const std::string& text, Encoding encoding) {
  switch (encoding) {
    case Encoding::Utf16: {
      std::string bytes = "\xFF\xFE";
      for (const char16_t unit : ocx::sim::utf8ToUtf16(text)) {
        bytes += static_cast<char>(unit & 0xFF);
        bytes += static_cast<char>(unit >> 8);
      }
      return bytes;
    }
    case Encoding::Ansi:
      return ocx::sim::utf8ToAnsi(text);
    case Encoding::Utf8WithMark:
      return "\xEF\xBB\xBF" + text;
    case Encoding::Utf8:
      return text;
  }
  return text;
}

struct Windows {
  std::string currentVersion;  // the CurrentVersion key's values
  std::string productType;
  std::vector<std::string_view> suite;
  std::string architecture;
  std::string language;
  bool key20 = true;
};

// The registry lines of a machine that a customer's exports hold, written as
// regedit writes them.
Json registryOf(const Windows& w) {
  const std::string typeLib = "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\";
  std::string text = "Windows Registry Editor Version 5.00\r\n\r\n";
  if (w.key20) {
    text += typeLib + "2.0]\r\n@=\"Microsoft Windows Common Controls 6.0 (SP6)\"\r\n\r\n";
  }
  text += typeLib + "2.1]\r\n@=\"Microsoft Windows Common Controls 6.0 (SP6)\"\r\n\r\n";
  text += "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n" + w.currentVersion +
          "\"RegisteredOwner\"=\"Kunde\"\r\n\r\n";
  text += "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\ProductOptions]\r\n\"ProductType\"=\"" +
          w.productType + "\"\r\n\"ProductSuite\"=" + ocx::testing::multiSz(w.suite) + "\r\n\r\n";
  text +=
      "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment]\r\n"
      "\"PROCESSOR_ARCHITECTURE\"=\"" +
      w.architecture + "\"\r\n\r\n";
  text += "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Nls\\Language]\r\n\"Default\"=\"" + w.language +
          "\"\r\n";
  return text;
}

struct Machine {
  const char* what;
  Json profile;
  Encoding report;
};

std::vector<Machine> machines() {
  const Json clock = {{"now", "2012-08-20 14:05:09"}, {"utc_offset_minutes", 120}};
  return {
      {"the default machine", Json::object(), Encoding::Utf16},
      {"Windows XP Professional SP3, 32-bit, English",
       {{"clock", clock},
        {"os",
         {{"bits", 32},
          {"major", 5},
          {"minor", 1},
          {"build", 2600},
          {"csd", "Service Pack 3"},
          {"sp_major", 3},
          {"suite_mask", 0x100},
          {"product_info", 0},
          {"lang_id", 1033}}},
        {"folders", {{"36", "C:\\WINDOWS"}, {"37", "C:\\WINDOWS\\system32"}}},
        {"temp", "C:\\DOKUME~1\\ADMINI~1\\LOKALE~1\\Temp\\"},
        {"directories", {"C:\\DOKUME~1\\ADMINI~1\\LOKALE~1\\Temp"}},
        {"files", {{{"path", "C:\\WINDOWS\\system32\\MSCOMCTL.OCX"}, {"version", {6, 1, 98, 16}}, {"size", 1066176}}}},
        {"registry", registryOf({"\"CurrentVersion\"=\"5.1\"\r\n\"CurrentBuildNumber\"=\"2600\"\r\n"
                                 "\"CSDVersion\"=\"Service Pack 3\"\r\n\"ProductName\"=\"Microsoft Windows XP\"\r\n"
                                 "\"SystemRoot\"=\"C:\\\\WINDOWS\"\r\n",
                                 "WinNT",
                                 {"Terminal Server"},
                                 "x86",
                                 "0409"})}},
       Encoding::Ansi},
      {"Windows XP Media Center Edition, named so by its metric alone",
       {{"os",
         {{"bits", 32},
          {"major", 5},
          {"minor", 1},
          {"build", 2600},
          {"csd", "Service Pack 3"},
          {"sp_major", 3},
          {"suite_mask", 0x100},
          {"product_info", 0},
          {"metrics", {{"87", 1}}}}},
        {"folders", {{"36", "C:\\WINDOWS"}, {"37", "C:\\WINDOWS\\system32"}}},
        {"files", Json::array()},
        {"registry", registryOf({"\"CurrentVersion\"=\"5.1\"\r\n\"CurrentBuildNumber\"=\"2600\"\r\n"
                                 "\"CSDVersion\"=\"Service Pack 3\"\r\n\"SystemRoot\"=\"C:\\\\WINDOWS\"\r\n",
                                 "WinNT",
                                 {"Terminal Server"},
                                 "x86",
                                 "0407"})}},
       Encoding::Utf8},
      {"Windows 10 Pro, 64-bit, a German user whose temporary folder has umlauts, the control already new",
       {{"os", {{"major", 10}, {"minor", 0}, {"build", 19045}, {"csd", ""}, {"sp_major", 0}, {"product_info", 0x30}}},
        {"folders", {{"36", "C:\\WINDOWS"}, {"37", "C:\\WINDOWS\\system32"}}},
        {"temp", "C:\\Users\\Jürgen Groß\\AppData\\Local\\Temp\\"},
        {"directories", {"C:\\Users\\Jürgen Groß\\AppData\\Local\\Temp"}},
        {"files", {{{"path", "C:\\WINDOWS\\SysWOW64\\MSCOMCTL.OCX"}, {"version", {6, 1, 98, 34}}, {"size", 1070152}}}},
        {"registry", registryOf({"\"CurrentVersion\"=\"6.3\"\r\n\"CurrentMajorVersionNumber\"=dword:0000000a\r\n"
                                 "\"CurrentMinorVersionNumber\"=dword:00000000\r\n\"CurrentBuildNumber\"=\"19045\"\r\n"
                                 "\"EditionID\"=\"Professional\"\r\n\"ProductName\"=\"Windows 10 Pro\"\r\n"
                                 "\"SystemRoot\"=\"C:\\\\WINDOWS\"\r\n",
                                 "WinNT",
                                 {"Terminal Server"},
                                 "AMD64",
                                 "0407",
                                 false})}},
       Encoding::Ansi},
      {"Windows Server 2008 R2 Enterprise domain controller without the control",
       {{"os", {{"product_type", 2}, {"suite_mask", 0x112}, {"product_info", 0x0A}}},
        {"files", Json::array()},
        {"registry", registryOf({"\"CurrentVersion\"=\"6.1\"\r\n\"CurrentBuildNumber\"=\"7601\"\r\n"
                                 "\"CSDVersion\"=\"Service Pack 1\"\r\n\"EditionID\"=\"ServerEnterprise\"\r\n"
                                 "\"SystemRoot\"=\"C:\\\\Windows\"\r\n",
                                 "LanmanNT",
                                 {"Enterprise", "Terminal Server"},
                                 "AMD64",
                                 "0407"})}},
       Encoding::Utf8WithMark},
      {"Windows Server 2003 R2 Standard x64 SP2",
       {{"os",
         {{"major", 5},
          {"minor", 2},
          {"build", 3790},
          {"csd", "Service Pack 2"},
          {"sp_major", 2},
          {"product_type", 3},
          {"suite_mask", 0x110},
          {"product_info", 0},
          {"metrics", {{"89", 1}}}}},
        {"registry",
         registryOf({"\"CurrentVersion\"=\"5.2\"\r\n\"CurrentBuildNumber\"=\"3790\"\r\n"
                     "\"CSDVersion\"=\"Service Pack 2\"\r\n\"ProductName\"=\"Microsoft Windows Server 2003 R2\"\r\n"
                     "\"SystemRoot\"=\"C:\\\\WINDOWS\"\r\n",
                     "ServerNT",
                     {"Terminal Server"},
                     "AMD64",
                     "0407"})},
        {"folders", {{"36", "C:\\WINDOWS"}, {"37", "C:\\WINDOWS\\system32"}}}},
       Encoding::Utf16},
      {"Windows Vista Home Premium SP2, 32-bit: a control without version information, no temporary folder",
       {{"os",
         {{"bits", 32},
          {"major", 6},
          {"minor", 0},
          {"build", 6002},
          {"csd", "Service Pack 2"},
          {"sp_major", 2},
          {"product_info", 0x03}}},
        {"temp", "C:\\Users\\Anna\\AppData\\Local\\Temp\\"},
        {"directories", Json::array()},
        {"files", {{{"path", "C:\\Windows\\system32\\MSCOMCTL.OCX"}, {"version", nullptr}, {"size", 1000}}}},
        {"registry", registryOf({"\"CurrentVersion\"=\"6.0\"\r\n\"CurrentBuildNumber\"=\"6002\"\r\n"
                                 "\"CSDVersion\"=\"Service Pack 2\"\r\n\"EditionID\"=\"HomePremium\"\r\n"
                                 "\"SystemRoot\"=\"C:\\\\Windows\"\r\n",
                                 "WinNT",
                                 {"Terminal Server"},
                                 "x86",
                                 "0407"})}},
       Encoding::Utf16},
  };
}

// The report the program copies on `profile`'s machine, and the machine's
// registry as a full regedit export.
std::pair<std::string, std::string> reportAndRegistry(const std::string& profile) {
  const auto outcome = runSim("--machine " + profile + " click:cmdStatus");
  EXPECT_EQ(outcome.exitCode, 0) << outcome.err;
  const Json result = Json::parse(outcome.out);
  return {result["clipboard"].get<std::string>(), result["machine"]["registry"].get<std::string>()};
}

TEST(SimImport, ImportedMachinesGiveTheCustomersReportByteForByte) {
  const std::string dir = folder();
  for (const Machine& machine : machines()) {
    SCOPED_TRACE(machine.what);
    const std::string original = dir + "original.json";
    write(original, machine.profile.dump());
    const auto [report, registry] = reportAndRegistry(original);

    write(dir + "customer/export.reg", encoded(registry, Encoding::Utf16));
    write(dir + "customer/report.txt", encoded(report, machine.report));
    const auto imported =
        runSim("import " + dir + "customer/export.reg --report " + dir + "customer/report.txt --out " + dir + "p.json");
    ASSERT_EQ(imported.exitCode, 0) << imported.err;
    EXPECT_EQ(imported.out, "");
    EXPECT_EQ(Json::parse(readWhole(dir + "p.json"))["registry_file"], "customer/export.reg");

    EXPECT_EQ(reportAndRegistry(dir + "p.json").first, report);
  }
}

TEST(SimImport, FactsWithoutASourceAreNamedOnStandardError) {
  const std::string dir = folder();
  write(dir + "customer/export.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\Software]\r\n");
  const auto imported = runSim("import --out=" + dir + "p.json " + dir + "customer/export.reg");
  ASSERT_EQ(imported.exitCode, 0) << imported.err;
  EXPECT_EQ(imported.out, "");
  std::size_t lines = 0;
  for (std::size_t start = 0; start < imported.err.size(); start = imported.err.find('\n', start) + 1) {
    EXPECT_EQ(imported.err.compare(start, 22, "ocxmedic-sim: import: "), 0) << imported.err.substr(start);
    ++lines;
  }
  EXPECT_EQ(lines, 20u) << imported.err;
  EXPECT_NE(imported.err.find("ocxmedic-sim: import: os.tick_count: "), std::string::npos);
  // The profile stands on its own: the machine runs from it.
  EXPECT_EQ(runSim("--machine " + dir + "p.json").exitCode, 0);
}

// Refused files and command lines leave no profile behind. "@" stands for
// the test's folder.
TEST(SimImport, RefusalsWriteNothing) {
  const std::string dir = folder();
  write(dir + "report.txt", "Windows-Version:\t?\r\n");
  write(dir + "export.reg", "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\x]\r\n");
  const struct {
    const char* args;
    const char* error;  // the start of the line on standard error, after the program's name
  } cases[] = {
      {"import @report.txt --out @p.json", "@report.txt:1:1: "},
      {"import @export.reg --report @export.reg --out @p.json", "@export.reg:1:1: not a status report"},
      {"import @export.reg --report @report.txt --out @p.json", "@report.txt:2:1: "},
      {"import @export.reg --report @missing.txt --out @p.json", "@missing.txt:1:1: cannot read the status report"},
      {"import @export.reg", "import needs --out PROFILE.json"},
      {"import --out @p.json", "import needs a regedit export"},
      {"import @export.reg @export.reg --out @p.json", "import takes one regedit export"},
      {"import @export.reg --out @p.json click:cmdGo", "import takes one regedit export"},
      {"import @export.reg --machine @x.json --out @p.json", "unknown option of import: --machine"},
      {"import @export.reg --out @p.json --out=@q.json", "--out given twice"},
      {"import @export.reg --out @none/p.json", "cannot write @none/p.json"},
  };
  const auto inFolder = [&](std::string text) {
    for (std::size_t at = text.find('@'); at != std::string::npos; at = text.find('@', at + dir.size())) {
      text.replace(at, 1, dir);
    }
    return text;
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.args);
    std::filesystem::remove(dir + "p.json");
    const auto outcome = runSim(inFolder(c.args));
    EXPECT_EQ(outcome.exitCode, 2);
    EXPECT_EQ(outcome.out, "");
    EXPECT_TRUE(outcome.err.starts_with("ocxmedic-sim: " + inFolder(c.error))) << outcome.err;
    EXPECT_EQ(std::count(outcome.err.begin(), outcome.err.end(), '\n'), 1);
    EXPECT_FALSE(std::filesystem::exists(dir + "p.json"));
  }
}

}  // namespace
