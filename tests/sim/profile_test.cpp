#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "machine_fixture.h"

namespace ocx::sim::test {
namespace {

// The common mistakes are also refused end to end by the faults tests; the
// rows here cover the remaining checks.
TEST(Profile, RefusedWithLineAndColumnOfTheOffendingToken) {
  const struct {
    const char* what;
    std::string text;
    const char* at;
  } cases[] = {
      {"missing comma", "{\"admin\": true \"cwd\": 1}", "1:16"},
      {"product_info range", "{\"os\": {\"product_info\": 2147483648}}", "1:25"},
      {"metric name", "{\"os\": {\"metrics\": {\"tablet\": 1}}}", "1:21"},
      {"csd too long", "{\"os\": {\"csd\": \"" + std::string(129, 'x') + "\"}}", "1:16"},
      {"no such day", "{\"clock\": {\"now\": \"2011-02-29 14:05:09\"}}", "1:19"},
      {"relative cwd", "{\"cwd\": \"Desktop\"}", "1:9"},
      {"file without path", "{\"files\": [{\"size\": 1}]}", "1:12"},
      {"fault without error", "{\"faults\": [{\"op\": \"delete\"}]}", "1:13"},
      {"key twice", "{\"admin\": true, \"admin\": false}", "1:17"},
      {"registers root", "{\"payload\": {\"registers\": [\"HKEY_NOWHERE\\\\X\"]}}", "1:28"},
      {"not UTF-8", "{\"description\":\n \"Gr\xFC\xDF\x65\"}", "2:5"},
      {"file on a drive root", "{\"files\": [{\"path\": \"D:\\\\\"}]}", "1:21"},
      {"nested too deeply", "{\"faults\": " + std::string(70, '[') + std::string(70, ']') + "}", "1:75"},
      {"umlaut counts as one column", "{\"description\": \"äö\", \"x\": 1}", "1:23"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(positionOf<ProfileError>([&] { Machine::fromProfileText(c.text, "bad.json"); }), c.at);
  }
}

TEST(Profile, OsMetricsAndClockMergeOtherKeysReplace) {
  auto machine = machineFrom(R"({"os": {"bits": 32, "metrics": {"87": 1}}, "clock": {"utc_offset_minutes": 60},
                                 "folders": {"37": "C:\\WINNT\\system32"}, "files": []})");
  OsVersionRecord record;
  record.size = OsVersionRecord::kExtendedSize;
  ASSERT_TRUE(machine->os().getVersionEx(record));
  EXPECT_EQ(record.majorVersion, 6);
  EXPECT_EQ(machine->os().systemMetrics(SystemMetric::MediaCenter), 1);
  EXPECT_EQ(machine->os().systemMetrics(SystemMetric::TabletPc), 0);
  bool wow64 = true;
  ASSERT_TRUE(machine->os().isWow64Process(wow64));
  EXPECT_FALSE(wow64);
  EXPECT_EQ(machine->shell().specialFolderPath(0, 36), std::nullopt);
  EXPECT_EQ(machine->shell().specialFolderPath(0, 37), "C:\\WINNT\\system32");
  EXPECT_TRUE(machine->toJson()["files"].empty());
}

// A file's refusals are the bad profiles' to check; here what it gives.
TEST(Profile, RegistryFileIsReadFromNextToTheProfile) {
  const auto dir = std::filesystem::temp_directory_path() / "ocx-sim-registry-file";
  std::filesystem::create_directories(dir / "regs");
  std::ofstream(dir / "profile.json") << R"({"registry_file": "regs/good.reg"})";
  std::ofstream(dir / "regs/good.reg", std::ios::binary)
      << "REGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n\"T\"=\"Gr\xFC\"\r\n";
  const std::string registry = registryOf(*Machine::fromProfileFile((dir / "profile.json").string()));
  EXPECT_NE(registry.find("[HKEY_CURRENT_USER\\K]\r\n\"T\"=\"Grü\""), std::string::npos);
  std::filesystem::remove_all(dir);
}

}  // namespace
}  // namespace ocx::sim::test
