#include <gtest/gtest.h>

#include "machine_fixture.h"

namespace ocx::sim::test {
namespace {

// The fields a query may fill, the text up to its first NUL and the NULs
// that pad it.
std::string fieldsOf(const OsVersionRecord& r) {
  const std::string csd = r.csdVersion.substr(0, r.csdVersion.find('\0'));
  return std::to_string(r.majorVersion) + " b" + std::to_string(r.buildNumber) + " sp" +
         std::to_string(r.servicePackMajor) + " m" + std::to_string(r.suiteMask) + " t" +
         std::to_string(r.productType) + " '" + csd + "' +" + std::to_string(r.csdVersion.size() - csd.size());
}

TEST(OsFacts, VersionRecordInItsPlainAndExtendedForms) {
  const std::string extendedFails = R"({"os": {"extended_query_fails": true}})";
  const std::string omega =
      R"({"os": {"csd": "Ωmega Πack 6€", "sp_major": 6, "suite_mask": 32768, "build": 4294967295}})";
  const struct {
    std::string profile;
    std::uint32_t size;
    bool answered;
    std::string fields;
  } cases[] = {
      // Code page 1252 has neither omega nor capital pi: the omega takes its
      // best fit, the pi "?". The buffer keeps its NUL padding.
      {omega, OsVersionRecord::kExtendedSize, true, "6 b-1 sp6 m32768 t1 'Omega ?ack 6€' +115"},
      // The plain form has no service-pack numbers, suite mask or product type.
      {omega, OsVersionRecord::kPlainSize, true, "6 b-1 sp-7 m30583 t77 'Omega ?ack 6€' +115"},
      {omega, 150, false, "-7 b0 sp-7 m30583 t77 'untouched' +0"},
      {extendedFails, OsVersionRecord::kPlainSize, true, "6 b7601 sp-7 m30583 t77 'Service Pack 1' +114"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.profile + " size " + std::to_string(c.size));
    OsVersionRecord record;
    record.size = c.size;
    record.majorVersion = -7;
    record.csdVersion = "untouched";
    record.servicePackMajor = -7;
    record.suiteMask = 0x7777;
    record.productType = 77;
    EXPECT_EQ(machineFrom(c.profile)->os().getVersionEx(record), c.answered);
    EXPECT_EQ(fieldsOf(record), c.fields);
  }
}

// A present query's answer is the OS information tests'; an absent or
// failing one looks the same from there, so the difference is checked here.
TEST(OsFacts, Wow64QueryAbsentOrFailingLeavesTheAnswerAlone) {
  for (const auto& [query, found] : {std::pair{"absent", false}, {"fails", true}}) {
    SCOPED_TRACE(query);
    auto machine = machineFrom(nlohmann::json{{"os", {{"wow64_query", query}}}}.dump());
    OsFacts& os = machine->os();
    const ModuleHandle kernel = os.loadLibrary("KERNEL32.DLL");
    ASSERT_NE(kernel, 0u);
    EXPECT_EQ(os.hasProcAddress(kernel, "IsWow64Process"), found);
    os.freeLibrary(kernel);
    bool answer = true;
    EXPECT_FALSE(os.isWow64Process(answer));
    EXPECT_TRUE(answer);
  }
}

// Product info, language, metrics and ticks reach the OS information tests
// whole; only the cut-off name and the empty answer are checked here.
TEST(OsFacts, LanguageNameIsCutToTheBufferOrNotGiven) {
  auto machine = machineFrom(R"({"os": {"lang_id": 1036, "language": "Français"}})");
  std::string name;
  EXPECT_EQ(machine->os().verLanguageName(1036, name, 128), 8u);
  EXPECT_EQ(name, "Français");
  EXPECT_EQ(machine->os().verLanguageName(1036, name, 5), 4u);
  EXPECT_EQ(name, "Fran");
  name = "kept";
  EXPECT_EQ(machineFrom(R"({"os": {"language": ""}})")->os().verLanguageName(1031, name, 128), 0u);
  EXPECT_EQ(name, "kept");
}

TEST(OsServices, ClockResourcesAndFolders) {
  auto machine = machineFrom(R"({"clock": {"now": "2012-08-20 14:05:09", "utc_offset_minutes": 120}})");
  EXPECT_EQ(machine->clock().localNow(), (SystemTime{2012, 8, 20, 14, 5, 9, 0}));
  std::uint64_t local = 0;
  ASSERT_TRUE(machine->clock().fileTimeToLocalFileTime(116444736000000000ull, local));
  EXPECT_EQ(local, 116444736000000000ull + 2ull * 3600 * 10'000'000);
  EXPECT_FALSE(machineFrom(R"({"clock": {"utc_offset_minutes": -300}})")->clock().fileTimeToLocalFileTime(0, local));

  // The payload is resource CUSTOM 101, the type named in any case.
  ProgramResources& resources = machine->resources();
  EXPECT_EQ(resources.resourceBytes("custom", 101).size(), 1070152u);
  EXPECT_EQ(errorOf([&] { static_cast<void>(resources.resourceBytes("CUSTOM", 102)); }), 1814u);
  EXPECT_EQ(errorOf([&] { static_cast<void>(resources.resourceBytes("RCDATA", 101)); }), 1813u);
  auto without = machineFrom(R"({"payload": null})");
  EXPECT_EQ(errorOf([&] { static_cast<void>(without->resources().resourceBytes("CUSTOM", 101)); }), 1813u);

  EXPECT_EQ(machine->shell().specialFolderPath(0, 37), "C:\\Windows\\system32");
  EXPECT_EQ(machine->shell().specialFolderPath(0, 38), std::nullopt);
  EXPECT_EQ(machineFrom(R"({"folders": {}})")->shell().specialFolderPath(0, 36), std::nullopt);
}

}  // namespace
}  // namespace ocx::sim::test
