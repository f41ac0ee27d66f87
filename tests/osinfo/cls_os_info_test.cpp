#include "osinfo/cls_os_info.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "osinfo/os_info_report.h"
#include "platform/time_convert.h"
#include "sim_platform.h"

namespace ocx {
namespace {

using nlohmann::json;
using test::regText;

// The object on a simulated machine, which it must not outlive.
struct Probed {
  explicit Probed(const json& profile) : machine(profile.dump()), info(machine.platform()) {}
  test::SimPlatform machine;
  clsOSInfo info;
};

// Everything the probe decides, in one line: the record, the codes and the name.
std::string describe(clsOSInfo& info) {
  std::ostringstream text;
  text << info.Major() << "." << info.Minor() << "." << info.Revision() << " p" << info.Platform() << " t"
       << info.ProductType() << " m" << info.SuiteMask() << " sp" << info.ServicePackMajor() << "."
       << info.ServicePackMinor() << " '" << info.ServicePack() << "' pi" << info.ProductInfo() << " v"
       << info.Version() << " e" << info.Edition() << (info.IsWindowsHomeServer() ? " home" : "")
       << (info.IsWindowsServer2003R2() ? " r2" : "") << (info.Is64BitOS() ? " x64" : "") << " | " << info.Name();
  return text.str();
}

TEST(Probe, FillsTheRecordFromThePlainOrTheExtendedQuery) {
  // Each profile's "os" object, over the default Windows 7 SP1 Professional.
  const struct {
    const char* os;
    const char* described;
  } rows[] = {
      // NT 4.0 before SP6: the plain record, the service pack from the text
      {R"({"major": 4, "minor": 0, "build": 1381, "csd": "Service Pack 5", "sp_major": 3, "sp_minor": 1,
           "suite_mask": 16, "product_type": 1, "product_info": 7, "bits": 32})",
       "4.0.1381 p2 t0 m0 sp5.0 'Service Pack 5' pi0 v5 e0 | Microsoft Windows NT Server 4.0"},
      {R"({"major": 4, "minor": 0, "build": 1381, "csd": "Service Pack 6a", "sp_major": 6, "sp_minor": 1,
           "suite_mask": 256, "product_type": 1})",
       "4.0.1381 p2 t1 m256 sp6.1 'Service Pack 6a' pi0 v5 e2 x64 | Microsoft Windows NT Workstation 4.0"},
      // no fallback to the plain record
      {R"({"major": 4, "minor": 0, "csd": "Service Pack 6", "sp_major": 6, "extended_query_fails": true})",
       "0.0.0 p0 t0 m0 sp0.0 '' pi0 v0 e0 x64 | Microsoft Windows"},
      {R"({"platform": 1, "major": 4, "minor": 10, "build": 67766446, "csd": " A ", "sp_major": 2,
           "suite_mask": 512, "product_type": 1, "product_info": 5, "bits": 32})",
       "4.10.2222 p1 t0 m0 sp0.0 ' A ' pi0 v2 e0 | Microsoft Windows 98"},
      {R"({"platform": 1, "major": 4, "minor": 0, "build": 67109975, "csd": ""})",
       "4.0.1111 p1 t0 m0 sp0.0 '' pi0 v1 e0 x64 | Microsoft Windows 95 OSR 2"},
      {R"({"platform": 1, "major": 4, "minor": 0, "build": 4294967295, "csd": ""})",
       "4.0.-1 p1 t0 m0 sp0.0 '' pi0 v1 e0 x64 | Microsoft Windows 95"},
      {R"({"major": 5, "minor": 1, "csd": "", "sp_major": 0, "suite_mask": 768, "metrics": {"87": 1},
           "wow64_query": "absent"})",
       "5.1.7601 p2 t1 m768 sp0.0 '' pi0 v7 e7 | Microsoft Windows XP Media Center Edition"},
      {R"({"major": 5, "minor": 2, "build": 3790, "csd": "", "sp_major": 2, "suite_mask": 272, "product_type": 3,
           "metrics": {"89": 1}, "wow64_query": "fails"})",
       "5.2.3790 p2 t3 m272 sp2.0 '' pi0 v8 e3 r2 | Microsoft Windows Server 2003 Standard Edition R2"},
      {R"({"major": 5, "minor": 2, "build": 3790, "csd": "", "sp_major": 2, "suite_mask": 32768,
           "product_type": 3, "metrics": {"89": 1}})",
       "5.2.3790 p2 t3 m-32768 sp2.0 '' pi0 v8 e9 home r2 x64 | Microsoft Windows Home Server"},
      {R"({"major": 6, "minor": 0, "build": 6002, "csd": "", "sp_major": 2, "suite_mask": 32768,
           "product_type": 3, "product_info": 17})",
       "6.0.6002 p2 t3 m-32768 sp2.0 '' pi17 v10 e9 x64 | Microsoft Windows Web Server 2008 "},
      {R"({"product_info": -1412584499, "metrics": {"89": 1}})",
       "6.1.7601 p2 t1 m256 sp1.0 'Service Pack 1' pi-1412584499 v11 e2 r2 x64 | Microsoft Windows 7 [Unlizenziert]"},
      // 128 characters leave no room for the NUL, and the text cannot be cut
      {R"({"csd": "xxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxxx"})",
       "6.1.7601 p2 t1 m256 sp1.0 '' pi48 v11 e2 x64 | Microsoft Windows 7 "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.os);
    Probed probed(json{{"os", json::parse(row.os)}});
    EXPECT_EQ(describe(probed.info), row.described);
  }
}

TEST(Probe, LanguageAndItsIdentifier) {
  for (const auto& [langId, language, expectedId] : {std::tuple{1036, "Français (France)", 1036}, {65535, "", -1}}) {
    SCOPED_TRACE(language);
    Probed probed(json{{"os", {{"lang_id", langId}, {"language", language}}}});
    EXPECT_EQ(probed.info.LangID(), expectedId);
    EXPECT_EQ(probed.info.Language(), language);
  }
}

constexpr char kNtCurrentVersion[] = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]";
constexpr char kNt32[] = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion]";
const json kWin98 = {{"bits", 32}, {"platform", 1}, {"major", 4}, {"minor", 10}};

TEST(OwnerData, ReadsEachValueTypeAsTextFromThe64BitViewAndThePlatformsKey) {
  const struct {
    json os;
    std::vector<std::string> registry;
    std::string user, organization = "";
  } rows[] = {
      {{},
       {kNtCurrentVersion, "\"RegisteredOwner\"=\"Anna Müller\"", "\"RegisteredOrganization\"=\"Wide Ltd\"", kNt32,
        "\"RegisteredOwner\"=\"Narrow\""},
       "Anna Müller",
       "Wide Ltd"},
      {{{"wow64_query", "absent"}},
       {kNtCurrentVersion, "\"RegisteredOwner\"=\"Wide\"", kNt32, "\"RegisteredOwner\"=\"Narrow\"",
        "\"RegisteredOrganization\"=\"Narrow Ltd\""},
       "Narrow",
       "Narrow Ltd"},
      {kWin98,
       {kNtCurrentVersion, "\"RegisteredOwner\"=\"NT\"",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]", "\"RegisteredOwner\"=dword:7",
        "\"RegisteredOrganization\"=\"Nine-X\""},
       "7",
       "Nine-X"},
      {{}, {kNtCurrentVersion, "\"RegisteredOwner\"=hex(2):25,00,41,00,25,00,00,00"}, "%A%"},
      {{}, {kNtCurrentVersion, "\"RegisteredOwner\"=hex(1):61,00,62,00"}, ""},  // no NUL: the default
      {{}, {kNtCurrentVersion, "\"RegisteredOwner\"=dword:ffffffff"}, "-1"},
      {{}, {kNtCurrentVersion, "\"RegisteredOwner\"=hex(4):01,02"}, "513"},  // short data fills the low bytes
      {{}, {kNtCurrentVersion, "\"RegisteredOwner\"=hex(4):01,00,00,00,00"}, ""},
      {{}, {kNtCurrentVersion, "\"RegisteredOwner\"=hex(b):01,00,00,00,00,00,00,00"}, ""},
      {{}, {kNtCurrentVersion, "\"RegisteredOwner\"=hex(7):61,00,00,00,00,00"}, ""},
      {{}, {kNtCurrentVersion, "\"RegisteredOwner\"=hex:41,00"}, ""},
      {{}, {kNtCurrentVersion, "\"SomethingElse\"=\"x\""}, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::PrintToString(row.registry));
    Probed probed({{"os", row.os.is_null() ? json::object() : row.os}, {"registry", regText(row.registry)}});
    EXPECT_EQ(probed.info.RegisteredUser(), row.user);
    EXPECT_EQ(probed.info.Organization(), row.organization);
  }
}

std::string netKey(const std::string& below) {
  return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\" + below + "]";
}

// The detected frameworks in one line: the code list, then code, service
// pack and version text of each installed one.
std::string describeNet(clsOSInfo& info) {
  std::ostringstream text;
  text << (info.NETFrameworkInstalled() ? "any" : "none");
  for (const std::int32_t code : info.NETFrameworkVersions()) {
    text << " | " << code << " sp" << info.NETFrameworkServicePack(code) << " " << info.NETFrameworkVersion(code);
  }
  return text.str();
}

TEST(NetFramework, DetectsFromTheMarkersOfThe32BitView) {
  const std::string setup = "NET Framework Setup\\NDP\\";
  const std::string activeSetup = "Active Setup\\Installed Components\\";
  const std::string net10 = netKey(".NETFramework\\policy\\v1.0");
  const struct {
    const char* what;
    json os;
    std::vector<std::string> registry;
    std::string described;
  } rows[] = {
      {"all five, found in their order",
       json::object(),
       {net10, "\"3705\"=\"3321-3705\"", netKey(activeSetup + "{78705f0d-e8db-4b2d-8193-982bdda15ecd}"),
        "\"Version\"=\"1,0,3705,3\"", netKey(setup + "v3.5"), "\"Install\"=dword:1", "\"SP\"=dword:1",
        "\"Version\"=\"3.5.30729.01\"", netKey(setup + "v1.1.4322"), "\"Install\"=\"1\"", netKey(setup + "v3.0\\Setup"),
        "\"InstallSuccess\"=dword:1", netKey(setup + "v3.0"), "\"SP\"=dword:2", netKey(setup + "v2.0.50727"),
        "\"Install\"=dword:ffffffff", "\"SP\"=dword:2", "\"Increment\"=\"4927\""},
       "any | 1 sp3 1.0.3705.6018 | 2 sp0 1.1.4322.573 | 4 sp2 2.0.50727.4927 | 8 sp2 3.0 | 16 sp1 3.5.30729.01"},
      {"the defaults of the info routines",
       json::object(),
       {net10, "\"3705\"=\"3321-3705\"", netKey(setup + "v2.0.50727"), "\"Install\"=dword:1"},
       "any | 1 sp0 1.0.3705.0 | 4 sp0 2.0.50727.0"},
      {"markers that do not count",
       json::object(),
       {net10, "\"3705\"=\"3321-3705 \"", netKey(setup + "v1.1.4322"), "\"Install\"=dword:0",
        netKey(setup + "v2.0.50727"), "\"Install\"=\"yes\"", netKey(setup + "v3.5"),
        "\"Install\"=hex(4):01,00,00,00,00,00,00,00",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\" + setup + "v3.0\\Setup]", "\"InstallSuccess\"=dword:1"},
       "none"},
      {"1.0 on Media Center reads its own component; a service pack without build",
       {{"metrics", {{"87", 1}}}},
       {net10, "\"3705\"=\"3321-3705\"", netKey(activeSetup + "{78705f0d-e8db-4b2d-8193-982bdda15ecd}"),
        "\"Version\"=\"1,0,3705,2\"", netKey(activeSetup + "{FDC11A6F-17D1-48f9-9EA3-9051954BAA24}"),
        "\"Version\"=\"1,0,3705,6\""},
       "any | 1 sp6 "},
      {"1.1 asks for the Windows version and both service packs",
       {{"major", 5}, {"minor", 2}, {"sp_major", 1}, {"product_type", 3}},
       {netKey(setup + "v1.1.4322"), "\"Install\"=dword:1", "\"SP\"=dword:1"},
       "any | 2 sp1 1.1.4322.2300"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    Probed probed({{"os", row.os}, {"registry", regText(row.registry)}});
    EXPECT_EQ(describeNet(probed.info), row.described);
  }
}

TEST(NetFramework, CombinedCodesAskForEveryFrameworkAndDetectionHappensOncePerObject) {
  // 2.0 and 3.5 are installed, but the first look at the 2.0 key fails.
  test::SimPlatform machine(json{
      {"registry", regText({netKey("NET Framework Setup\\NDP\\v2.0.50727"), "\"Install\"=dword:1", "\"SP\"=dword:2",
                            netKey("NET Framework Setup\\NDP\\v3.5"), "\"Install\"=dword:1", "\"SP\"=dword:1"})},
      {"faults", json::parse(R"([{"op": "reg_open", "error": 5, "times": 1,
          "path": "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v2.0.50727"}])")}}
                                .dump());
  clsOSInfo first(machine.platform());
  EXPECT_FALSE(first.NETFrameworkInstalled(4));
  EXPECT_EQ(first.NETFrameworkVersion(4), "");
  EXPECT_EQ(describeNet(first), "any | 16 sp1 3.5");
  clsOSInfo second(machine.platform());
  EXPECT_TRUE(second.NETFrameworkInstalled(20));
  EXPECT_FALSE(second.NETFrameworkInstalled(12));
  EXPECT_FALSE(second.NETFrameworkInstalled(8));
  // No single entry carries code 20.
  EXPECT_EQ(second.NETFrameworkServicePack(20), 0);
  EXPECT_EQ(second.NETFrameworkVersion(20), "");
  EXPECT_EQ(second.NETFrameworkServicePack(8), 0);
}

TEST(Dates, ShutdownInstallAndBootTimes) {
  const std::string control = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Windows]";
  const std::string at10Utc = "\"ShutdownTime\"=hex:00,90,7d,8f,ba,7e,cd,01";  // 2012-08-20 10:00:00 UTC
  const std::string nine = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]";
  const char* none = "1899-12-30 00:00:00";
  const struct {
    char date;  // shutdown, install or boot
    json os;
    std::vector<std::string> registry;
    int offset;
    const char* expected;
  } rows[] = {
      // The shutdown time needs eight binary bytes and takes today's offset.
      {'s', {}, {control, at10Utc}, 60, "2012-08-20 11:00:00"},
      {'s', {}, {control, "\"ShutdownTime\"=hex:00,90,7d,8f,ba,7e,cd"}, 120, none},
      // On NT the install date is Unix time from the 64-bit view moved to
      // local time; a missing one is the start of 1970, not "none".
      {'i', {}, {kNtCurrentVersion, "\"InstallDate\"=dword:3b9aca00"}, 120, "2001-09-09 03:46:40"},
      {'i', {}, {kNtCurrentVersion, "\"InstallDate\"=\"1000000000\""}, 0, "2001-09-09 01:46:40"},
      {'i', {}, {kNtCurrentVersion, "\"InstallDate\"=dword:80000000"}, 0, "1901-12-13 20:45:52"},
      {'i', {}, {}, 60, "1970-01-01 01:00:00"},
      {'i', {}, {kNtCurrentVersion, "\"InstallDate\"=hex:01,02,03,04"}, -60, "1969-12-31 23:00:00"},
      {'i',
       {},
       {kNtCurrentVersion, "\"InstallDate\"=dword:4f1e5e00", kNt32, "\"InstallDate\"=dword:0"},
       120,
       "2012-01-24 09:30:08"},
      // Elsewhere it is an MS-DOS stamp of four binary bytes, in local time.
      {'i', kWin98, {nine, "\"FirstInstallDateTime\"=hex:dd,63,b1,26"}, 120, "1999-05-17 12:30:58"},
      {'i', kWin98, {nine, "\"FirstInstallDateTime\"=hex:dd,63,11,26"}, 120, none},  // month 0
      {'i', kWin98, {nine, "\"FirstInstallDateTime\"=dword:26b163dd"}, 120, none},
      // The boot time is now less the uptime in whole seconds, halves to even.
      {'b', {{"tick_count", 90400}}, {}, 120, "2012-08-20 14:03:39"},
      {'b', {{"tick_count", 90500}}, {}, 120, "2012-08-20 14:03:39"},
      {'b', {{"tick_count", 91500}}, {}, 120, "2012-08-20 14:03:37"},
      {'b', {{"tick_count", 4294967295u}}, {}, 120, "2012-07-01 21:02:22"},  // the counter as unsigned
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.date << " " << row.os << " " << testing::PrintToString(row.registry));
    Probed probed({{"os", row.os.is_null() ? json::object() : row.os},
                   {"registry", regText(row.registry)},
                   {"clock", {{"utc_offset_minutes", row.offset}}}});
    clsOSInfo& info = probed.info;
    const double date = row.date == 's'   ? info.LastShutdownTime()
                        : row.date == 'i' ? info.InstallDate()
                                          : info.LastBootTime();
    EXPECT_EQ(formatOleDate(date), row.expected);
  }
}

TEST(OsInfoReport, DefaultMachine) {
  test::SimPlatform machine;
  auto expected = nlohmann::ordered_json::parse(R"json({
    "Major": 6, "Minor": 1, "Revision": 7601, "Platform": 2, "ProductType": 1, "SuiteMask": 256,
    "ServicePackMajor": 1, "ServicePackMinor": 0, "ServicePack": "Service Pack 1",
    "ProductInfo": 48, "ProductInfoString": "", "LangID": 1031, "Language": "Deutsch (Deutschland)",
    "Version": 11, "Edition": 2, "Is64BitOS": true, "IsWindowsHomeServer": false, "IsWindowsServer2003R2": false,
    "Name": "Microsoft Windows 7 ", "ToString": "Microsoft Windows NT 6.1.7601 Service Pack 1",
    "Organization": "", "RegisteredUser": "Administrator", "InstallDate": "2012-01-24 09:30:08",
    "LastBootTime": "2012-08-20 14:03:39", "LastShutdownTime": "1899-12-30 00:00:00",
    "NETFrameworkInstalled": false, "NETFrameworkVersions": [], "NETFramework": {}})json");
  nlohmann::ordered_json& net = expected["NETFramework"];
  for (const char* code : {"1", "2", "4", "8", "16"}) {
    net[code] = {{"installed", false}, {"service_pack", 0}, {"version", ""}};
  }
  EXPECT_EQ(osInfoReport(machine.platform()).dump(2), expected.dump(2));
}

TEST(OsInfoReport, ReadsInSlotOrder) {
  // One failing open of each key: the shutdown time is read first and
  // unprinted, so the printed one succeeds; the install date comes before
  // the owner data, so it takes the fault and the owner does not.
  const json profile = {{"registry", regText({"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]",
                                              "\"RegisteredOwner\"=\"Anna\"", "\"InstallDate\"=dword:3b9aca00",
                                              "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Windows]",
                                              "\"ShutdownTime\"=hex:00,90,7d,8f,ba,7e,cd,01"})},
                        {"faults", json::parse(R"([
        {"op": "reg_open", "error": 5, "times": 1,
         "path": "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Windows"},
        {"op": "reg_open", "error": 5, "times": 1,
         "path": "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"}])")}};
  test::SimPlatform machine(profile.dump());
  const auto report = osInfoReport(machine.platform());
  EXPECT_EQ(report["LastShutdownTime"], "2012-08-20 12:00:00");
  EXPECT_EQ(report["InstallDate"], "1970-01-01 02:00:00");
  EXPECT_EQ(report["RegisteredUser"], "Anna");
}

}  // namespace
}  // namespace ocx
