#include "osinfo/os_info_report.h"

#include <gtest/gtest.h>

#include "os_info_machine.h"

namespace ocx {
namespace {

TEST(OsInfoReport, DefaultMachine) {
  test::OsInfoMachine machine;
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
  const nlohmann::json profile = {
      {"registry", test::regText({"[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]",
                                  "\"RegisteredOwner\"=\"Anna\"", "\"InstallDate\"=dword:3b9aca00",
                                  "[HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Windows]",
                                  "\"ShutdownTime\"=hex:00,90,7d,8f,ba,7e,cd,01"})},
      {"faults", nlohmann::json::parse(R"([
        {"op": "reg_open", "error": 5, "times": 1,
         "path": "HKEY_LOCAL_MACHINE\\SYSTEM\\CurrentControlSet\\Control\\Windows"},
        {"op": "reg_open", "error": 5, "times": 1,
         "path": "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion"}])")}};
  test::OsInfoMachine machine(profile);
  const auto report = osInfoReport(machine.platform());
  EXPECT_EQ(report["LastShutdownTime"], "2012-08-20 12:00:00");
  EXPECT_EQ(report["InstallDate"], "1970-01-01 02:00:00");
  EXPECT_EQ(report["RegisteredUser"], "Anna");
}

}  // namespace
}  // namespace ocx
