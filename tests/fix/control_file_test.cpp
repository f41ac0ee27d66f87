#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "fix/mod_bugfix.h"
#include "tests/osinfo/sim_platform.h"

namespace ocx {
namespace {

TEST(GetFileVersionString, FormatsTheFileVersionWithSignedHalves) {
  // clang-format off
  const struct { nlohmann::json version; std::string text; } rows[] = {
      {{6, 1, 98, 34}, "6.01.98.34"},        {{6, 0, 81, 5}, "6.00.81.05"},
      {{5, 1, 2600, 0}, "5.01.2600.00"},     {{5, 1, 0, 0}, "5.01.0000"},
      {{10, 0, 19041, 1}, "10.00.19041.01"}, {{6, 1, 0, 5}, "6.01.00.05"},
      {{6, 40000, 1, 1}, "6.-25536.01.01"},  {{6, 1, 98, 40000}, "6.01.98.-25536"},
      {{6, 1, 98, 65531}, "6.01.98.-05"},    {{40000, 1, 2, 3}, "-25536.01.02.03"},
      {{6, 1, 40000, 0}, "6.01.-1673527296"},  // the third part turns the whole low field negative
      {{6, 1, 65535, 65535}, "6.01.-0001"},
      {nullptr, ""},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.version.dump());
    const nlohmann::json file = {{"path", "C:\\v\\x.dll"}, {"size", 100}, {"version", row.version}};
    test::SimPlatform sim(nlohmann::json{{"files", {file}}}.dump());
    EXPECT_EQ(modBugfix(sim.platform()).GetFileVersionString("C:\\v\\x.dll"), row.text);
  }
}

TEST(FileExists, TrimsBlanksAndCountsFoldersAndPatterns) {
  test::SimPlatform sim(R"({"files": [{"path": "C:\\D\\a.txt", "size": 1}, {"path": "C:\\D\\c.txt", "size": 1}],
                            "directories": ["C:\\D\\Sub"], "faults": [{"op": "find", "path": "C:\\D\\c.txt", "error": 5}]})");
  modBugfix fix(sim.platform());
  // clang-format off
  const struct { std::string path; bool exists; } rows[] = {
      {"", false}, {"   ", false}, {"C:\\D\\a.txt", true}, {"  C:\\D\\a.txt  ", true}, {"C:\\D\\Sub", true},
      {"C:\\D\\*.txt", true}, {"C:\\D\\*.doc", false}, {"C:\\D\\b.txt", false}, {"C:\\D\\c.txt", false},
  };
  // clang-format on
  for (const auto& row : rows) {
    EXPECT_EQ(fix.FileExists(row.path), row.exists) << "'" << row.path << "'";
  }
}

// The silent calls, a missing file and a start that fails are the repair
// run's and the fault matrix's.
TEST(RegisterControl, StartsRegsvr32WithTheQuotedPath) {
  const std::string file = "C:\\Program Files\\L\\x.ocx";
  // clang-format off
  const struct { std::string path; bool unregister, silent; std::string commandLine; } rows[] = {
      {file, true, false, "regsvr32 /u \"" + file + "\""},
      {file, false, false, "regsvr32 \"" + file + "\""},
      {" " + file + " ", false, true, "regsvr32 /s \" " + file + " \""},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE("'" + row.path + "'");
    test::SimPlatform sim(R"({"files": [{"path": "C:\\Program Files\\L\\x.ocx", "size": 5}]})");
    modBugfix(sim.platform()).RegisterControl(row.path, row.unregister, row.silent);
    const auto& started = sim.machine().startedProcesses();
    ASSERT_EQ(started.size(), 1u);
    EXPECT_EQ(started[0].commandLine, row.commandLine);
  }
}

}  // namespace
}  // namespace ocx
