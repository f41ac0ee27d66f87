#include "osinfo/cls_os_info.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "os_info_machine.h"
#include "platform/time_convert.h"

namespace ocx {
namespace {

using namespace std::string_literals;
using nlohmann::json;
using test::regText;
using test::utf16Hex;

TEST(Probe, FillsTheRecordFromThePlainOrTheExtendedQuery) {
  const struct {
    const char* what;
    json os;
    std::int32_t major, minor, revision, platform, productType, suiteMask;
    std::int16_t spMajor, spMinor;
    std::string servicePack;
    std::int32_t productInfo, version, edition;
    bool homeServer;
    std::string name;
  } rows[] = {
      {"NT 4.0 SP5 takes the plain record and its service pack from the text",
       {{"platform", 2},
        {"major", 4},
        {"minor", 0},
        {"build", 1381},
        {"csd", "Service Pack 5"},
        {"sp_major", 3},
        {"sp_minor", 1},
        {"suite_mask", 16},
        {"product_type", 1},
        {"product_info", 7}},
       4,
       0,
       1381,
       2,
       0,
       0,
       5,
       0,
       "Service Pack 5",
       0,
       5,
       0,
       false,
       "Microsoft Windows NT Server 4.0"},
      {"NT 4.0 SP6a asks the extended query",
       {{"platform", 2},
        {"major", 4},
        {"minor", 0},
        {"build", 1381},
        {"csd", "Service Pack 6a"},
        {"sp_major", 6},
        {"sp_minor", 1},
        {"suite_mask", 256},
        {"product_type", 1},
        {"product_info", 7}},
       4,
       0,
       1381,
       2,
       1,
       256,
       6,
       1,
       "Service Pack 6a",
       0,
       5,
       2,
       false,
       "Microsoft Windows NT Workstation 4.0"},
      {"a failing extended query leaves the record empty",
       {{"platform", 2},
        {"major", 4},
        {"minor", 0},
        {"build", 1381},
        {"csd", "Service Pack 6"},
        {"sp_major", 6},
        {"product_type", 1},
        {"extended_query_fails", true}},
       0,
       0,
       0,
       0,
       0,
       0,
       0,
       0,
       "",
       0,
       0,
       0,
       false,
       "Microsoft Windows"},
      {"Windows 98 keeps the low word of the build and asks nothing more",
       {{"platform", 1},
        {"major", 4},
        {"minor", 10},
        {"build", 0x040A08AE},
        {"csd", " A "},
        {"sp_major", 2},
        {"suite_mask", 0x200},
        {"product_type", 1},
        {"product_info", 5}},
       4,
       10,
       2222,
       1,
       0,
       0,
       0,
       0,
       " A ",
       0,
       2,
       0,
       false,
       "Microsoft Windows 98"},
      {"Windows 95 OSR 2",
       {{"platform", 1}, {"major", 4}, {"minor", 0}, {"build", 0x04000457}, {"csd", " B "}},
       4,
       0,
       1111,
       1,
       0,
       0,
       0,
       0,
       " B ",
       0,
       1,
       0,
       false,
       "Microsoft Windows 95 OSR 2"},
      {"a build with bit 31 on Windows 95 gives a negative revision",
       {{"platform", 1}, {"major", 4}, {"minor", 0}, {"build", 4294967295u}, {"csd", ""}},
       4,
       0,
       -1,
       1,
       0,
       0,
       0,
       0,
       "",
       0,
       1,
       0,
       false,
       "Microsoft Windows 95"},
      {"XP Home asks no product info",
       {{"platform", 2},
        {"major", 5},
        {"minor", 1},
        {"build", 2600},
        {"csd", "Service Pack 3"},
        {"sp_major", 3},
        {"suite_mask", 0x300},
        {"product_type", 1},
        {"product_info", 48}},
       5,
       1,
       2600,
       2,
       1,
       0x300,
       3,
       0,
       "Service Pack 3",
       0,
       7,
       1,
       false,
       "Microsoft Windows XP Home Edition"},
      {"XP Media Center by its metric",
       {{"platform", 2},
        {"major", 5},
        {"minor", 1},
        {"build", 2600},
        {"csd", "Service Pack 2"},
        {"sp_major", 2},
        {"suite_mask", 0x300},
        {"product_type", 1},
        {"metrics", {{"87", 1}}}},
       5,
       1,
       2600,
       2,
       1,
       0x300,
       2,
       0,
       "Service Pack 2",
       0,
       7,
       7,
       false,
       "Microsoft Windows XP Media Center Edition"},
      {"5.2 on a workstation is XP",
       {{"platform", 2},
        {"major", 5},
        {"minor", 2},
        {"build", 3790},
        {"csd", "Service Pack 2"},
        {"sp_major", 2},
        {"suite_mask", 0x100},
        {"product_type", 1}},
       5,
       2,
       3790,
       2,
       1,
       0x100,
       2,
       0,
       "Service Pack 2",
       0,
       7,
       2,
       false,
       "Microsoft Windows XP Professional"},
      {"Server 2003 R2 by its metric",
       {{"platform", 2},
        {"major", 5},
        {"minor", 2},
        {"build", 3790},
        {"csd", "Service Pack 2"},
        {"sp_major", 2},
        {"suite_mask", 0x110},
        {"product_type", 3},
        {"metrics", {{"89", 1}}}},
       5,
       2,
       3790,
       2,
       3,
       0x110,
       2,
       0,
       "Service Pack 2",
       0,
       8,
       3,
       false,
       "Microsoft Windows Server 2003 Standard Edition R2"},
      {"Home Server: bit 15 reads negative and keeps R2 out of the name",
       {{"platform", 2},
        {"major", 5},
        {"minor", 2},
        {"build", 3790},
        {"csd", "Service Pack 2"},
        {"sp_major", 2},
        {"suite_mask", 0x8000},
        {"product_type", 3},
        {"metrics", {{"89", 1}}}},
       5,
       2,
       3790,
       2,
       3,
       -32768,
       2,
       0,
       "Service Pack 2",
       0,
       8,
       9,
       true,
       "Microsoft Windows Home Server"},
      {"bit 15 on Server 2008 is no Home Server",
       {{"platform", 2},
        {"major", 6},
        {"minor", 0},
        {"build", 6002},
        {"csd", "Service Pack 2"},
        {"sp_major", 2},
        {"suite_mask", 0x8000},
        {"product_type", 3},
        {"product_info", 0x11}},
       6,
       0,
       6002,
       2,
       3,
       -32768,
       2,
       0,
       "Service Pack 2",
       0x11,
       10,
       9,
       false,
       "Microsoft Windows Web Server 2008 "},
      {"Windows 8 has no code but still a product info",
       {{"platform", 2},
        {"major", 6},
        {"minor", 2},
        {"build", 9200},
        {"csd", ""},
        {"sp_major", 0},
        {"suite_mask", 0x100},
        {"product_type", 1},
        {"product_info", 48}},
       6,
       2,
       9200,
       2,
       1,
       0x100,
       0,
       0,
       "",
       48,
       0,
       2,
       false,
       "Microsoft Windows"},
      {"a service pack text of 128 characters has no end and reads empty",
       {{"csd", std::string(128, 'x')}},
       6,
       1,
       7601,
       2,
       1,
       0x100,
       1,
       0,
       "",
       48,
       11,
       2,
       false,
       "Microsoft Windows 7 "},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    test::OsInfoMachine machine(json{{"os", row.os}});
    clsOSInfo info(machine.platform());
    EXPECT_EQ(info.Major(), row.major);
    EXPECT_EQ(info.Minor(), row.minor);
    EXPECT_EQ(info.Revision(), row.revision);
    EXPECT_EQ(info.Platform(), row.platform);
    EXPECT_EQ(info.ProductType(), row.productType);
    EXPECT_EQ(info.SuiteMask(), row.suiteMask);
    EXPECT_EQ(info.ServicePackMajor(), row.spMajor);
    EXPECT_EQ(info.ServicePackMinor(), row.spMinor);
    EXPECT_EQ(info.ServicePack(), row.servicePack);
    EXPECT_EQ(info.ProductInfo(), row.productInfo);
    EXPECT_EQ(info.Version(), row.version);
    EXPECT_EQ(info.Edition(), row.edition);
    EXPECT_EQ(info.IsWindowsHomeServer(), row.homeServer);
    EXPECT_EQ(info.Name(), row.name);
  }
}

TEST(Probe, LanguageAndItsIdentifier) {
  const struct {
    json os;
    std::int16_t langId;
    std::string language;
  } rows[] = {
      {{{"lang_id", 1031}, {"language", "Deutsch (Deutschland)"}}, 1031, "Deutsch (Deutschland)"},
      {{{"lang_id", 1036}, {"language", "Français (France)"}}, 1036, "Français (France)"},
      {{{"lang_id", 65535}, {"language", ""}}, -1, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.language);
    test::OsInfoMachine machine(json{{"os", row.os}});
    clsOSInfo info(machine.platform());
    EXPECT_EQ(info.LangID(), row.langId);
    EXPECT_EQ(info.Language(), row.language);
  }
}

TEST(Is64BitOS, OnlyASucceedingWow64QueryCounts) {
  const struct {
    int bits;
    const char* query;
    bool is64;
  } rows[] = {{64, "present", true}, {64, "absent", false}, {64, "fails", false}, {32, "present", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.bits << " " << row.query);
    test::OsInfoMachine machine(json{{"os", {{"bits", row.bits}, {"wow64_query", row.query}}}});
    clsOSInfo info(machine.platform());
    EXPECT_EQ(info.Is64BitOS(), row.is64);
  }
}

TEST(IsWindowsServer2003R2, FollowsTheMetricOnAnyRelease) {
  test::OsInfoMachine machine(json{{"os", {{"metrics", {{"89", 7}}}}}});
  clsOSInfo info(machine.platform());
  EXPECT_TRUE(info.IsWindowsServer2003R2());
  EXPECT_EQ(info.Version(), 11);
}

constexpr char kNtCurrentVersion[] = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]";

TEST(RegisteredUser, ReadsEachValueTypeAsText) {
  const struct {
    std::string line;
    std::string user;
  } rows[] = {
      {"\"RegisteredOwner\"=\"Anna Müller\"", "Anna Müller"},
      {"\"RegisteredOwner\"=hex(2):" + utf16Hex("%SystemRoot%\\system32\0"s), "%SystemRoot%\\system32"},
      {"\"RegisteredOwner\"=hex(1):" + utf16Hex("ab\0cd\0"s), "ab"},
      {"\"RegisteredOwner\"=hex(1):" + utf16Hex("abc"), ""},  // no NUL: the default
      {"\"RegisteredOwner\"=dword:ffffffff", "-1"},
      {"\"RegisteredOwner\"=hex(4):01,02", "513"},  // short data fills the low bytes
      {"\"RegisteredOwner\"=hex(4):01,00,00,00,00", ""},
      {"\"RegisteredOwner\"=hex(b):01,00,00,00,00,00,00,00", ""},
      {"\"RegisteredOwner\"=hex(7):" + utf16Hex("a\0b\0\0"s), ""},
      {"\"RegisteredOwner\"=hex:41,00", ""},
      {"\"RegisteredOwner\"=hex(0):41,00", ""},
      {"\"SomethingElse\"=\"x\"", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    test::OsInfoMachine machine(json{{"os", {{"bits", 32}}}, {"registry", regText({kNtCurrentVersion, row.line})}});
    clsOSInfo info(machine.platform());
    EXPECT_EQ(info.RegisteredUser(), row.user);
  }
}

TEST(OwnerData, ComesFromThe64BitViewAndThePlatformsKey) {
  const std::string registry =
      regText({kNtCurrentVersion, "\"RegisteredOwner\"=\"Wide\"", "\"RegisteredOrganization\"=\"Wide Ltd\"",
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion]",
               "\"RegisteredOwner\"=\"Narrow\"", "\"RegisteredOrganization\"=\"Narrow Ltd\"",
               "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]", "\"RegisteredOwner\"=dword:7",
               "\"RegisteredOrganization\"=\"Nine-X\""});
  const struct {
    const char* what;
    json os;
    std::string user, organization;
  } rows[] = {
      {"64-bit", {{"bits", 64}}, "Wide", "Wide Ltd"},
      {"64-bit without the WOW64 query", {{"bits", 64}, {"wow64_query", "absent"}}, "Narrow", "Narrow Ltd"},
      {"Windows 98", {{"bits", 32}, {"platform", 1}, {"major", 4}, {"minor", 10}}, "7", "Nine-X"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    test::OsInfoMachine machine(json{{"os", row.os}, {"registry", registry}});
    clsOSInfo info(machine.platform());
    EXPECT_EQ(info.RegisteredUser(), row.user);
    EXPECT_EQ(info.Organization(), row.organization);
  }
}

TEST(ToString, IsBuiltOnceFromTheRecord) {
  test::OsInfoMachine machine(json{{"os", {{"build", 7600}, {"csd", ""}}}});
  clsOSInfo info(machine.platform());
  EXPECT_EQ(info.ToString(), "Microsoft Windows NT 6.1.7600");
  EXPECT_EQ(info.ToString(), "Microsoft Windows NT 6.1.7600");
}

std::string netKey(const std::string& below) {
  return "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\" + below + "]";
}

const std::string kNdp = "NET Framework Setup\\NDP\\";

TEST(NetFramework, DetectsFromTheMarkersOfThe32BitView) {
  struct Check {
    std::int32_t code;
    bool installed;
    std::int32_t servicePack;
    std::string version;
  };
  const struct {
    const char* what;
    json os;
    std::vector<std::string> registry;
    std::vector<std::int32_t> versions;
    std::vector<Check> checks;
  } rows[] = {
      {"none", json::object(), {}, {}, {{0, false, 0, ""}, {2, false, 0, ""}}},
      {"2.0 and 3.5",
       json::object(),
       {netKey(kNdp + "v2.0.50727"), "\"Install\"=dword:1", "\"SP\"=dword:2", "\"Increment\"=\"4927\"",
        netKey(kNdp + "v3.5"), "\"Install\"=\"1\"", "\"SP\"=dword:1", "\"Version\"=\"3.5.30729.01\""},
       {4, 16},
       {{0, true, 0, ""},
        {20, true, 0, ""},  // no single entry has code 20
        {12, false, 0, ""},
        {4, true, 2, "2.0.50727.4927"},
        {16, true, 1, "3.5.30729.01"},
        {8, false, 0, ""}}},
      {"markers in the 64-bit view do not count",
       json::object(),
       {"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\" + kNdp + "v2.0.50727]", "\"Install\"=dword:1"},
       {},
       {{4, false, 0, ""}}},
      {"a marker of 0, a text that is no number or a long DWORD does not count",
       json::object(),
       {netKey(kNdp + "v1.1.4322"), "\"Install\"=dword:0", netKey(kNdp + "v2.0.50727"), "\"Install\"=\"yes\"",
        netKey(kNdp + "v3.5"), "\"Install\"=hex(4):01,00,00,00,00,00,00,00"},
       {},
       {{0, false, 0, ""}}},
      {"1.0 with service pack 3, and all five in order",
       json::object(),
       {netKey(".NETFramework\\policy\\v1.0"), "\"3705\"=\"3321-3705\"",
        netKey("Active Setup\\Installed Components\\{78705f0d-e8db-4b2d-8193-982bdda15ecd}"),
        "\"Version\"=\"1,0,3705,3\"", netKey(kNdp + "v3.5"), "\"Install\"=dword:1", netKey(kNdp + "v1.1.4322"),
        "\"Install\"=dword:1", netKey(kNdp + "v3.0\\Setup"), "\"InstallSuccess\"=dword:1", netKey(kNdp + "v3.0"),
        "\"SP\"=dword:2", netKey(kNdp + "v2.0.50727"), "\"Install\"=dword:ffffffff"},
       {1, 2, 4, 8, 16},
       {{31, true, 0, ""},
        {1, true, 3, "1.0.3705.6018"},
        {2, true, 0, "1.1.4322.573"},
        {4, true, 0, "2.0.50727.0"},
        {8, true, 2, "3.0"},
        {16, true, 0, "3.5"}}},
      {"1.0 needs its marker text exactly",
       json::object(),
       {netKey(".NETFramework\\policy\\v1.0"), "\"3705\"=\"3321-3705 \""},
       {},
       {{1, false, 0, ""}}},
      {"1.0 on Media Center reads its own component",
       {{"product_type", 1}, {"metrics", {{"87", 1}}}},
       {netKey(".NETFramework\\policy\\v1.0"), "\"3705\"=\"3321-3705\"",
        netKey("Active Setup\\Installed Components\\{78705f0d-e8db-4b2d-8193-982bdda15ecd}"),
        "\"Version\"=\"1,0,3705,2\"",
        netKey("Active Setup\\Installed Components\\{FDC11A6F-17D1-48f9-9EA3-9051954BAA24}"),
        "\"Version\"=\"1,0,3705,1\""},
       {1},
       {{1, true, 1, "1.0.3705.209"}}},
      {"1.1 on Server 2003 SP1 whatever its own service pack",
       {{"major", 5}, {"minor", 2}, {"build", 3790}, {"sp_major", 1}, {"product_type", 3}},
       {netKey(kNdp + "v1.1.4322"), "\"Install\"=dword:1", "\"SP\"=dword:0"},
       {2},
       {{2, true, 0, "1.1.4322.2300"}}},
      {"1.1 with its service pack 1 on XP",
       {{"major", 5}, {"minor", 1}, {"build", 2600}, {"sp_major", 2}, {"product_type", 1}},
       {netKey(kNdp + "v1.1.4322"), "\"Install\"=dword:1", "\"SP\"=dword:1"},
       {2},
       {{2, true, 1, "1.1.4322.2032"}}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    json os = row.os;
    os["bits"] = 64;
    test::OsInfoMachine machine(json{{"os", os}, {"registry", regText(row.registry)}});
    clsOSInfo info(machine.platform());
    EXPECT_EQ(info.NETFrameworkVersions(), row.versions);
    for (const Check& check : row.checks) {
      SCOPED_TRACE(check.code);
      EXPECT_EQ(info.NETFrameworkInstalled(check.code), check.installed);
      EXPECT_EQ(info.NETFrameworkServicePack(check.code), check.servicePack);
      EXPECT_EQ(info.NETFrameworkVersion(check.code), check.version);
    }
  }
}

TEST(NetFramework, DetectsOncePerObject) {
  // The first look at the 2.0 key fails; a second detection would find it.
  const json profile = {{"registry", regText({netKey(kNdp + "v2.0.50727"), "\"Install\"=dword:1"})},
                        {"faults",
                         {{{"op", "reg_open"},
                           {"path", "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\" + kNdp + "v2.0.50727"},
                           {"error", 5},
                           {"times", 1}}}}};
  test::OsInfoMachine machine(profile);
  clsOSInfo first(machine.platform());
  EXPECT_FALSE(first.NETFrameworkInstalled(4));
  EXPECT_TRUE(first.NETFrameworkVersions().empty());
  EXPECT_EQ(first.NETFrameworkVersion(4), "");
  clsOSInfo second(machine.platform());
  EXPECT_TRUE(second.NETFrameworkInstalled(4));
}

constexpr char kWindowsControl[] = "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Windows]";

TEST(Dates, ShutdownTimeNeedsEightBinaryBytesAndTakesTodaysOffset) {
  const std::string at10Utc = "hex:00,90,7d,8f,ba,7e,cd,01";  // 2012-08-20 10:00:00 UTC
  const struct {
    std::string line;
    int offset;
    std::string shutdown;
  } rows[] = {
      {"\"ShutdownTime\"=" + at10Utc, 120, "2012-08-20 12:00:00"},
      {"\"ShutdownTime\"=" + at10Utc, 60, "2012-08-20 11:00:00"},
      {"\"ShutdownTime\"=hex:00,90,7d,8f,ba,7e,cd", 120, "1899-12-30 00:00:00"},
      {"\"ShutdownTime\"=hex:00,90,7d,8f,ba,7e,cd,01,00", 120, "1899-12-30 00:00:00"},
      {"\"ShutdownTime\"=hex(b):00,90,7d,8f,ba,7e,cd,01", 120, "1899-12-30 00:00:00"},
      {"\"Other\"=dword:0", 120, "1899-12-30 00:00:00"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    test::OsInfoMachine machine(
        json{{"registry", regText({kWindowsControl, row.line})}, {"clock", {{"utc_offset_minutes", row.offset}}}});
    clsOSInfo info(machine.platform());
    EXPECT_EQ(formatOleDate(info.LastShutdownTime()), row.shutdown);
    EXPECT_EQ(info.pGetShutdownTime(), info.LastShutdownTime());
  }
}

TEST(Dates, InstallDateOnNtIsUnixTimeMovedToLocalTime) {
  const struct {
    std::vector<std::string> registry;
    int offset;
    std::string installed;
  } rows[] = {
      {{kNtCurrentVersion, "\"InstallDate\"=dword:3b9aca00"}, 120, "2001-09-09 03:46:40"},
      {{kNtCurrentVersion, "\"InstallDate\"=\"1000000000\""}, 0, "2001-09-09 01:46:40"},
      {{kNtCurrentVersion, "\"InstallDate\"=dword:80000000"}, 0, "1901-12-13 20:45:52"},
      {{}, 60, "1970-01-01 01:00:00"},  // missing: the start of 1970, not "none"
      {{kNtCurrentVersion, "\"InstallDate\"=hex:01,02,03,04"}, -60, "1969-12-31 23:00:00"},
      // The 64-bit view holds the date; the 32-bit view's must not be read.
      {{kNtCurrentVersion, "\"InstallDate\"=dword:4f1e5e00",
        "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion]",
        "\"InstallDate\"=dword:0"},
       120,
       "2012-01-24 09:30:08"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.installed);
    test::OsInfoMachine machine(
        json{{"registry", regText(row.registry)}, {"clock", {{"utc_offset_minutes", row.offset}}}});
    clsOSInfo info(machine.platform());
    EXPECT_EQ(formatOleDate(info.InstallDate()), row.installed);
  }
}

TEST(Dates, InstallDateElsewhereIsAnMsDosStampInLocalTime) {
  const std::string key = "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows\\CurrentVersion]";
  const struct {
    std::string line;
    std::string installed;
  } rows[] = {
      {"\"FirstInstallDateTime\"=hex:dd,63,b1,26", "1999-05-17 12:30:58"},
      {"\"FirstInstallDateTime\"=hex:dd,63,11,26", "1899-12-30 00:00:00"},  // month 0
      {"\"FirstInstallDateTime\"=hex:dd,63,b1,26,00", "1899-12-30 00:00:00"},
      {"\"FirstInstallDateTime\"=dword:26b163dd", "1899-12-30 00:00:00"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.line);
    test::OsInfoMachine machine(json{{"os", {{"bits", 32}, {"platform", 1}, {"major", 4}, {"minor", 10}}},
                                     {"registry", regText({key, row.line})}});
    clsOSInfo info(machine.platform());
    EXPECT_EQ(formatOleDate(info.InstallDate()), row.installed);
  }
}

TEST(Dates, BootTimeIsNowMinusTheUptimeInWholeSeconds) {
  const struct {
    std::uint32_t ticks;
    std::string boot;
  } rows[] = {
      {90400, "2012-08-20 14:03:39"},       {90600, "2012-08-20 14:03:38"},
      {90500, "2012-08-20 14:03:39"},  // halves go to even
      {91500, "2012-08-20 14:03:37"},       {0, "2012-08-20 14:05:09"},
      {4294967295u, "2012-07-01 21:02:22"},  // the counter as unsigned
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.ticks);
    test::OsInfoMachine machine(json{{"os", {{"tick_count", row.ticks}}}});
    clsOSInfo info(machine.platform());
    EXPECT_EQ(formatOleDate(info.LastBootTime()), row.boot);
  }
}

}  // namespace
}  // namespace ocx
