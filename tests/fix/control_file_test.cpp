#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <string>

#include "fix/mod_bugfix.h"
#include "sim_platform.h"

namespace ocx {
namespace {

constexpr char kTempCopy[] = "C:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX";

TEST(HalfWords, AreSigned) {
  const struct {
    std::uint32_t value;
    std::int32_t hi, lo;
  } rows[] = {{0x00060001, 6, 1},
              {0x9C400000, -25536, 0},
              {0x0000FFFF, 0, -1},
              {0xFFFFFFFF, -1, -1},
              {0x7FFF8000, 32767, -32768}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.value);
    EXPECT_EQ(HiWord(static_cast<std::int32_t>(row.value)), row.hi);
    EXPECT_EQ(LoWord(static_cast<std::int32_t>(row.value)), row.lo);
  }
}

TEST(GetFileVersionString, FormatsTheFileVersion) {
  const struct {
    nlohmann::json version;
    std::string text;
  } rows[] = {
      {{6, 1, 98, 34}, "6.01.98.34"},
      {{6, 0, 81, 5}, "6.00.81.05"},
      {{5, 1, 2600, 0}, "5.01.2600.00"},
      {{5, 1, 0, 0}, "5.01.0000"},
      {{10, 0, 19041, 1}, "10.00.19041.01"},
      {{6, 1, 0, 5}, "6.01.00.05"},
      {{6, 40000, 1, 1}, "6.-25536.01.01"},
      {{6, 1, 98, 40000}, "6.01.98.-25536"},
      {{6, 1, 98, 65531}, "6.01.98.-05"},
      {{6, 1, 40000, 0}, "6.01.-1673527296"},  // the third part makes the low field negative
      {{6, 1, 65535, 65535}, "6.01.-0001"},
      {{40000, 1, 2, 3}, "-25536.01.02.03"},
      {nullptr, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.version.dump());
    const nlohmann::json profile = {{"files", {{{"path", "C:\\v\\x.dll"}, {"size", 100}, {"version", row.version}}}}};
    test::SimPlatform sim(profile.dump());
    modBugfix fix(sim.platform());
    EXPECT_EQ(fix.GetFileVersionString("C:\\v\\x.dll"), row.text);
  }
}

TEST(FileExists, TrimsSpacesAndCountsFoldersAndPatterns) {
  test::SimPlatform sim(R"({"files": [{"path": "C:\\Data\\a.txt", "size": 1}, {"path": "C:\\Data\\c.txt", "size": 1}],
                          "directories": ["C:\\Data\\Sub"],
                          "faults": [{"op": "find", "path": "C:\\Data\\c.txt", "error": 5}]})");
  modBugfix fix(sim.platform());
  const struct {
    std::string path;
    bool exists;
  } rows[] = {{"", false},
              {"   ", false},
              {"C:\\Data\\a.txt", true},
              {"  C:\\Data\\a.txt  ", true},
              {"C:\\Data\\Sub", true},
              {"C:\\Data\\*.txt", true},
              {"C:\\Data\\*.doc", false},
              {"C:\\Data\\b.txt", false},
              {"C:\\Data\\c.txt", false}};
  for (const auto& row : rows) {
    SCOPED_TRACE("'" + row.path + "'");
    EXPECT_EQ(fix.FileExists(row.path), row.exists);
  }
}

TEST(ExtractNewControl, WritesTheCarriedCopyOrLeavesTheFixStateEmpty) {
  const struct {
    const char* name;
    std::string profile;
    std::string path, version;
  } rows[] = {
      {"clean temp folder", "{}", kTempCopy, "6.01.98.34"},
      {"stale copy replaced",
       R"({"files": [{"path": "C:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX", "size": 9,
                     "version": [6, 1, 98, 20]}]})",
       kTempCopy, "6.01.98.34"},
      {"temp folder missing", R"({"temp": "C:\\Gone\\"})", "", ""},
      {"disk full", R"({"faults": [{"op": "write", "error": 112}]})", "", ""},
      {"old copy locked",
       R"({"files": [{"path": "C:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX", "size": 9,
                     "version": [6, 1, 98, 20], "locked": true}]})",
       "", ""},
      {"no carried control", R"({"payload": null})", "", ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::SimPlatform sim(row.profile);
    modBugfix fix(sim.platform());
    fix.NewControlPath("left from before");
    fix.NewControlVersion("left from before");
    // The written file must be there when waiting events run, the fix state not yet.
    bool fileThereWhilePending = false;
    sim.window().setOperationHook([&](std::string_view op, ElementId) {
      if (op == "processPendingEvents") {
        fileThereWhilePending = sim.machine().files().findFirstFile(kTempCopy);
        EXPECT_EQ(fix.NewControlPath(), "");
      }
    });
    fix.ExtractNewControl();
    EXPECT_EQ(fix.NewControlPath(), row.path);
    EXPECT_EQ(fix.NewControlVersion(), row.version);
    EXPECT_EQ(sim.window().pendingEventRuns(), 1);
    if (!row.path.empty()) {
      EXPECT_TRUE(fileThereWhilePending);
      EXPECT_EQ(sim.machine().files().fileLength(kTempCopy), 1070152u);
    }
  }
}

TEST(RegisterControl, StartsRegsvr32WithTheQuotedPathOrNothing) {
  const std::string file = "C:\\Program Files\\Lumarest\\x.ocx";
  const struct {
    std::string path;
    bool unregister, silent;
    std::string commandLine;  // empty: nothing started
  } rows[] = {
      {file, true, true, "regsvr32 /s /u \"" + file + "\""},
      {file, true, false, "regsvr32 /u \"" + file + "\""},
      {file, false, true, "regsvr32 /s \"" + file + "\""},
      {file, false, false, "regsvr32 \"" + file + "\""},
      {"  " + file + " ", false, true, "regsvr32 /s \"  " + file + " \""},
      {"C:\\Program Files\\Lumarest\\missing.ocx", false, true, ""},
      {"C:\\Program Files\\Lumarest\\nostart.ocx", false, true, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE("'" + row.path + "'");
    test::SimPlatform sim(R"({"files": [{"path": "C:\\Program Files\\Lumarest\\x.ocx", "size": 5},
                                        {"path": "C:\\Program Files\\Lumarest\\nostart.ocx", "size": 5}],
                              "faults": [{"op": "start_process", "error": 2,
                                          "path": "C:\\Program Files\\Lumarest\\nostart.ocx"}]})");
    modBugfix fix(sim.platform());
    fix.RegisterControl(row.path, row.unregister, row.silent);
    const auto& started = sim.machine().startedProcesses();
    if (row.commandLine.empty()) {
      EXPECT_TRUE(started.empty());
    } else {
      ASSERT_EQ(started.size(), 1u);
      EXPECT_EQ(started[0].commandLine, row.commandLine);
      EXPECT_EQ(started[0].windowStyle, 2);
    }
  }
}

}  // namespace
}  // namespace ocx
