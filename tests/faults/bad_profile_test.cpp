// Profiles that ocxmedic-sim must refuse before anything runs: one line on
// standard error naming the file, line and column of the offending token,
// exit code 2, nothing on standard output. Every position below is counted
// by hand from the text beside it (columns from 1, a JSON string token
// starting at its opening quote).
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <optional>
#include <string>

#include "tests/app/sim_command.h"

namespace {

namespace fs = std::filesystem;

// Text as regedit 5.00 writes its files: UTF-16LE behind a byte-order mark.
// The texts here are ASCII, so every character becomes itself and a zero.
std::string utf16le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) bytes.append({c, '\0'});
  return bytes;
}

enum class Blame { Profile, RegFile };

struct BadProfile {
  const char* name;
  int line;
  int column;
  // Absent: no profile file is written.
  std::optional<std::string> profile;
  // Written as export.reg next to the profile when present.
  std::optional<std::string> regFile = std::nullopt;
  Blame blame = Blame::Profile;
  // Hand the folder itself to the simulator instead of a file in it.
  bool passFolder = false;
};

void PrintTo(const BadProfile& bad, std::ostream* os) {
  *os << bad.name;
}

class BadProfileTest : public ::testing::TestWithParam<BadProfile> {};

TEST_P(BadProfileTest, RefusedWithItsPositionBeforeAnythingRuns) {
  const BadProfile& bad = GetParam();
  const fs::path dir = fs::path(::testing::TempDir()) / "ocx_bad_profiles" / bad.name;
  fs::remove_all(dir);
  fs::create_directories(dir);
  const fs::path profilePath = dir / "machine.json";
  if (bad.profile) std::ofstream(profilePath, std::ios::binary) << *bad.profile;
  if (bad.regFile) std::ofstream(dir / "export.reg", std::ios::binary) << *bad.regFile;

  const std::string given = bad.passFolder ? dir.string() : profilePath.string();
  const ocx::testing::SimOutcome outcome = ocx::testing::runSim("--machine '" + given + "'");

  EXPECT_EQ(outcome.exitCode, 2);
  EXPECT_EQ(outcome.out, "");
  ASSERT_FALSE(outcome.err.empty());
  EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << "one line, ended by a line break: " << outcome.err;
  // A registry file is named as resolved against the profile's folder.
  const std::string prefix = "ocxmedic-sim: " + (bad.blame == Blame::Profile ? given : (dir / "export.reg").string()) +
                             ":" + std::to_string(bad.line) + ":" + std::to_string(bad.column) + ": ";
  EXPECT_TRUE(outcome.err.starts_with(prefix) && outcome.err.size() > prefix.size() + 1)
      << "expected " << prefix << "<what is wrong>\n     got " << outcome.err;
}

// A profile of the one member `text`, which stands on line 2 behind two blanks.
std::string member(const std::string& text) {
  return "{\n  " + text + "\n}";
}
const std::string kRegFileProfile = member(R"("registry_file": "export.reg")");

const BadProfile kBadProfiles[] = {
    // Files that cannot be read are blamed at their first position.
    {"ProfileMissing", 1, 1, std::nullopt},
    {"ProfileIsAFolder", 1, 1, std::nullopt, std::nullopt, Blame::Profile, true},
    {"RegistryFileMissing", 1, 1, kRegFileProfile, std::nullopt, Blame::RegFile},

    // Not JSON at all.
    {"MisspelledLiteral", 2, 12, R"({
  "admin": tru,
  "files": []
})"},
    {"MissingValue", 3, 12, R"({
  "description": "x",
  "admin": ,
})"},
    {"StringBrokenByLineEnd", 2, 18, "{\n  \"description\": \"abc\n}"},
    {"SecondDocument", 2, 1, "{}\n{}\n"},
    // A token is blamed where it starts, not where the reader gave up.
    {"NumberWithLeadingZero", 2, 18, member(R"("os": {"bits": 064})")},
    {"UnknownEscape", 2, 18, member(R"("description": "a\qb")")},
    {"UnknownKeyWithALineBreak", 2, 3, member(R"("a\nb": 1)")},

    // A key the format does not have; every object is read by the same rule.
    {"UnknownTopKey", 3, 3, R"({
  "admin": true,
  "admn": true
})"},

    // The right key with a value of the wrong kind.
    {"AdminAsText", 2, 12, member(R"("admin": "yes")")},
    {"FilesAsObject", 2, 12, member(R"("files": {})")},
    {"FaultErrorAsText", 2, 40, member(R"("faults": [{"op": "rename", "error": "5"}])")},
    {"ServicePackAboveSixteenBits", 2, 22, member(R"("os": {"sp_major": 70000})")},
    {"NegativeFileSize", 2, 43, member(R"("files": [{"path": "C:\\a.ocx", "size": -1}])")},
    {"NumberBeyondDouble", 2, 24, member(R"("os": {"tick_count": 1e999})")},

    // Values outside their domain.
    {"BitsNeither32Nor64", 2, 18, member(R"("os": {"bits": 48})")},
    {"UnknownWow64Query", 2, 25, member(R"("os": {"wow64_query": "maybe"})")},
    {"UnknownFaultOp", 2, 21, member(R"("faults": [{"op": "move", "error": 5}])")},
    {"FileVersionPartAbove65535", 3, 45, R"({
  "files": [
    {"path": "C:\\a.ocx", "version": [6, 1, 65536, 0]}
  ]
})"},
    {"FileVersionOfThreeParts", 3, 38, R"({
  "files": [
    {"path": "C:\\a.ocx", "version": [6, 1, 98]}
  ]
})"},
    {"ClockWithIsoSeparator", 2, 20, member(R"("clock": {"now": "2012-08-20T14:05:09"})")},
    {"ClockWithTrailingDigit", 2, 20, member(R"("clock": {"now": "2012-08-20 14:05:099"})")},
    {"RegistryTextAndFileBoth", 3, 3, R"({
  "registry": "REGEDIT4\r\n",
  "registry_file": "export.reg"
})",
     "REGEDIT4\r\n"},

    // Registry text inside the profile: positions count within that text.
    {"RegistryLinesUnknownData", 4, 5,
     member(R"("registry": ["Windows Registry Editor Version 5.00", "", "[HKEY_CLASSES_ROOT\\X]", "\"a\"=bogus"])")},
    {"RegistryTextValueBeforeKey", 3, 1, member(R"("registry": "REGEDIT4\r\n\r\n\"a\"=\"b\"\r\n")")},
    {"RegistryTextWithoutHeader", 1, 1, member(R"("registry": "REGEDIT5\r\n")")},

    // A registry file, in each encoding regedit and editors leave behind.
    {"RegistryFileUtf16", 5, 5, kRegFileProfile,
     utf16le("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n"
             "\"v\"=dword:00000001\r\n\"w\"=bogus\r\n"),
     Blame::RegFile},
    {"RegistryFileCodePage", 5, 1, kRegFileProfile,
     "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\X]\r\n@=\"ok\"\r\nnonsense\r\n", Blame::RegFile},
    {"RegistryFileUtf8WithMark", 3, 1, kRegFileProfile,
     "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n\"v\"=\"before any key\"\r\n", Blame::RegFile},
};

INSTANTIATE_TEST_SUITE_P(Simulator, BadProfileTest, ::testing::ValuesIn(kBadProfiles),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
