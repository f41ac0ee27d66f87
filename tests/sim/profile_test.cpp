#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>

#include "machine_fixture.h"

namespace ocx::sim::test {
namespace {

struct BadProfile {
  const char* what;
  std::string text;
  int line;
  int column;
};

TEST(Profile, RefusedWithLineAndColumnOfTheOffendingToken) {
  const BadProfile cases[] = {
      {"bad JSON", "{\n  \"admin\": tru\n}", 2, 12},
      {"missing comma", "{\"admin\": true \"cwd\": 1}", 1, 16},
      {"unknown key", "{\n  \"description\": \"x\",\n  \"adminn\": true}", 3, 3},
      {"wrong type", "{\"admin\": 1}", 1, 11},
      {"bits out of domain", "{\"os\": {\n    \"bits\": 16}}", 2, 13},
      {"unknown key in os", "{\"os\": {\"bitz\": 32}}", 1, 9},
      {"wow64 query", "{\"os\": {\"wow64_query\": \"maybe\"}}", 1, 24},
      {"sp_major range", "{\"os\": {\"sp_major\": 65536}}", 1, 21},
      {"product_info range", "{\"os\": {\"product_info\": 2147483648}}", 1, 25},
      {"metric name", "{\"os\": {\"metrics\": {\"tablet\": 1}}}", 1, 21},
      {"csd too long", "{\"os\": {\"csd\": \"" + std::string(129, 'x') + "\"}}", 1, 16},
      {"clock form", "{\"clock\": {\"now\": \"2012-08-20T14:05:09\"}}", 1, 19},
      {"no such day", "{\"clock\": {\"now\": \"2011-02-29 14:05:09\"}}", 1, 19},
      {"version parts", "{\"payload\": {\"version\": [6, 1, 98]}}", 1, 25},
      {"version part range", "{\"files\": [{\"path\": \"C:\\\\a\", \"version\": [6, 1, 98, 65536]}]}", 1, 52},
      {"relative cwd", "{\"cwd\": \"Desktop\"}", 1, 9},
      {"file without path", "{\"files\": [{\"size\": 1}]}", 1, 12},
      {"fault op", "{\"faults\": [{\"op\": \"explode\", \"error\": 5}]}", 1, 20},
      {"fault without error", "{\"faults\": [{\"op\": \"delete\"}]}", 1, 13},
      {"key twice", "{\"admin\": true, \"admin\": false}", 1, 17},
      {"both registries", "{\"registry\": \"\", \"registry_file\": \"x.reg\"}", 1, 18},
      {"registers root", "{\"payload\": {\"registers\": [\"HKEY_NOWHERE\\\\X\"]}}", 1, 28},
      {"not UTF-8", "{\"description\":\n \"Gr\xFC\xDF\x65\"}", 2, 5},
      {"file on a drive root", "{\"files\": [{\"path\": \"D:\\\\\"}]}", 1, 21},
      {"nested too deeply", "{\"faults\": " + std::string(70, '[') + std::string(70, ']') + "}", 1, 75},
      {"umlaut counts as one column", "{\"description\": \"äö\", \"x\": 1}", 1, 23},
      // Registry text errors count within the registry text.
      {"registry text", "{\"registry\": [\"REGEDIT4\", \"[HKEY_CURRENT_USER\\\\A]\", \"\\\"V\\\"=dword:xyz\"]}", 3, 11},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    try {
      static_cast<void>(Machine::fromProfileText(c.text, "bad.json"));
      ADD_FAILURE() << "accepted";
    } catch (const ProfileError& e) {
      EXPECT_EQ(e.file(), "bad.json");
      EXPECT_EQ(e.line(), c.line) << e.what();
      EXPECT_EQ(e.column(), c.column) << e.what();
    }
  }
}

TEST(Profile, DefaultProfileFedBackGivesTheDefaultMachine) {
  const auto profile = Machine::defaultProfile();
  for (const char* key : {"description", "admin", "os", "clock", "folders", "temp", "cwd", "directories", "files",
                          "payload", "registry", "registry_file", "faults"}) {
    EXPECT_TRUE(profile.contains(key)) << key;
  }
  auto fromDefault = Machine::createDefault();
  auto fromText = Machine::fromProfileText(profile.dump(2), "default.json");
  EXPECT_EQ(fromText->toJson(), fromDefault->toJson());
  EXPECT_EQ(fromText->shell().specialFolderPath(0, 37), fromDefault->shell().specialFolderPath(0, 37));
  OsVersionRecord a;
  OsVersionRecord b;
  a.size = b.size = OsVersionRecord::kExtendedSize;
  ASSERT_TRUE(fromText->os().getVersionEx(a));
  ASSERT_TRUE(fromDefault->os().getVersionEx(b));
  EXPECT_EQ(a.csdVersion, b.csdVersion);
  EXPECT_EQ(a.buildNumber, 7601);
}

TEST(Profile, OsMetricsAndClockMergeOtherKeysReplace) {
  auto machine = machineFrom(R"({"os": {"bits": 32, "metrics": {"87": 1}}, "clock": {"utc_offset_minutes": 60},
                                 "folders": {"37": "C:\\WINNT\\system32"}, "files": []})");
  OsVersionRecord record;
  record.size = OsVersionRecord::kExtendedSize;
  ASSERT_TRUE(machine->os().getVersionEx(record));
  EXPECT_EQ(record.majorVersion, 6);
  EXPECT_EQ(machine->os().systemMetrics(87), 1);
  EXPECT_EQ(machine->os().systemMetrics(86), 0);
  bool wow64 = true;
  ASSERT_TRUE(machine->os().isWow64Process(wow64));
  EXPECT_FALSE(wow64);
  EXPECT_EQ(machine->shell().specialFolderPath(0, 36), std::nullopt);
  EXPECT_EQ(machine->shell().specialFolderPath(0, 37), "C:\\WINNT\\system32");
  EXPECT_TRUE(machine->toJson()["files"].empty());
}

class RegistryFile : public ::testing::Test {
 protected:
  void SetUp() override {
    dir_ = std::filesystem::temp_directory_path() /
           ("ocx-sim-" + std::string(::testing::UnitTest::GetInstance()->current_test_info()->name()));
    std::filesystem::create_directories(dir_ / "regs");
  }
  void TearDown() override { std::filesystem::remove_all(dir_); }

  void write(const std::string& name, const std::string& bytes) {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
  }
  std::unique_ptr<Machine> load(const std::string& profile) {
    write("profile.json", profile);
    return Machine::fromProfileFile((dir_ / "profile.json").string());
  }

  std::filesystem::path dir_;
};

std::string utf16File(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

TEST_F(RegistryFile, ReadInEveryEncodingRegeditWritesRelativeToTheProfile) {
  const std::string expected = "[HKEY_CURRENT_USER\\K]\r\n\"T\"=\"Gr\xC3\xBC\xC3\x9F\x65\"\r\n";
  const std::pair<const char*, std::string> files[] = {
      {"utf-16", utf16File("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"T\"=\"Gr") +
                     std::string("\xFC\0\xDF\0", 4) + utf16File("e\"\r\n").substr(2)},
      {"cp1252", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"T\"=\"Gr\xFC\xDF\x65\"\r\n"},
      {"utf-8 bom", "\xEF\xBB\xBFREGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n\"T\"=\"Gr\xC3\xBC\xC3\x9F\x65\"\r\n"},
  };
  for (const auto& [what, bytes] : files) {
    SCOPED_TRACE(what);
    write("regs/machine.reg", bytes);
    auto machine = load(R"({"registry_file": "regs/machine.reg"})");
    EXPECT_NE(registryOf(*machine).find(expected), std::string::npos) << registryOf(*machine);
  }
}

TEST_F(RegistryFile, ErrorsNameTheRegistryFile) {
  write("regs/bad.reg", "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n  oops\r\n");
  const std::string badPath = (dir_ / "regs/bad.reg").string();
  try {
    load(R"({"registry_file": "regs/bad.reg"})");
    FAIL() << "accepted";
  } catch (const ProfileError& e) {
    EXPECT_EQ(e.file(), badPath);
    EXPECT_EQ(e.line(), 4);
    EXPECT_EQ(e.column(), 3);
  }
  try {
    load(R"({"registry_file": "regs/missing.reg"})");
    FAIL() << "accepted";
  } catch (const ProfileError& e) {
    EXPECT_EQ(e.file(), (dir_ / "regs/missing.reg").string());
    EXPECT_EQ(e.line(), 1);
    EXPECT_EQ(e.column(), 1);
  }
  try {
    load(R"({"registry_file": "regs"})");
    FAIL() << "read a folder";
  } catch (const ProfileError& e) {
    EXPECT_EQ(e.line(), 1);
    EXPECT_EQ(e.column(), 1);
  }
  write("regs/empty.reg", "");
  EXPECT_EQ(registryOf(*load(R"({"registry_file": "regs/empty.reg"})")),
            "Windows Registry Editor Version 5.00\r\n\r\n");
  try {
    static_cast<void>(Machine::fromProfileFile((dir_ / "none.json").string()));
    FAIL() << "accepted";
  } catch (const ProfileError& e) {
    EXPECT_EQ(e.line(), 1);
    EXPECT_EQ(e.column(), 1);
  }
}

}  // namespace
}  // namespace ocx::sim::test
