// Profiles that ocxmedic-sim must refuse before anything runs: one line on
// standard error naming the file, line and column of the offending token,
// exit code 2, nothing on standard output. Every position below is counted
// by hand from the text beside it (columns from 1, a JSON string token
// starting at its opening quote).
#include <gtest/gtest.h>
#include <sys/wait.h>

#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

namespace {

namespace fs = std::filesystem;

struct Outcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

std::string readWhole(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

void writeWhole(const fs::path& path, const std::string& bytes) {
  std::ofstream(path, std::ios::binary) << bytes;
}

Outcome runSim(const std::string& machinePath, const fs::path& scratch) {
  const fs::path out = scratch / "stdout.txt";
  const fs::path err = scratch / "stderr.txt";
  const std::string command = std::string(OCXMEDIC_SIM) + " --machine '" + machinePath + "' >'" + out.string() +
                              "' 2>'" + err.string() + "' </dev/null";
  const int status = std::system(command.c_str());
  Outcome outcome;
  outcome.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  outcome.out = readWhole(out);
  outcome.err = readWhole(err);
  return outcome;
}

// Text as regedit 5.00 writes its files: UTF-16LE behind a byte-order mark.
// The texts here are ASCII, so every character becomes itself and a zero.
std::string utf16le(const std::string& ascii) {
  std::string bytes = "\xFF\xFE";
  for (const char c : ascii) {
    bytes += c;
    bytes += '\0';
  }
  return bytes;
}

enum class Blame { Profile, RegFile };

struct BadProfile {
  const char* name;
  // Absent: no profile file is written.
  std::optional<std::string> profile;
  // Written as export.reg next to the profile when present.
  std::optional<std::string> regFile;
  Blame blame;
  int line;
  int column;
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
  if (bad.profile) writeWhole(profilePath, *bad.profile);
  if (bad.regFile) writeWhole(dir / "export.reg", *bad.regFile);
  const fs::path scratch = dir / "run";
  fs::create_directories(scratch);

  const std::string given = bad.passFolder ? dir.string() : profilePath.string();
  const Outcome outcome = runSim(given, scratch);

  EXPECT_EQ(outcome.exitCode, 2);
  EXPECT_EQ(outcome.out, "");
  ASSERT_FALSE(outcome.err.empty());
  EXPECT_EQ(outcome.err.find('\n'), outcome.err.size() - 1) << "one line, ended by a line break: " << outcome.err;

  const std::string where = ":" + std::to_string(bad.line) + ":" + std::to_string(bad.column) + ": ";
  std::vector<std::string> prefixes;
  if (bad.blame == Blame::Profile) {
    prefixes.push_back("ocxmedic-sim: " + given + where);
  } else {
    // The registry file may be named as the profile gives it or as resolved.
    prefixes.push_back("ocxmedic-sim: export.reg" + where);
    prefixes.push_back("ocxmedic-sim: " + (dir / "export.reg").string() + where);
  }
  bool matched = false;
  for (const std::string& prefix : prefixes) {
    if (outcome.err.starts_with(prefix) && outcome.err.size() > prefix.size() + 1) matched = true;
  }
  EXPECT_TRUE(matched) << "expected " << prefixes.front() << "<what is wrong>\n     got " << outcome.err;
}

const BadProfile kBadProfiles[] = {
    // Files that cannot be read are blamed at their first position.
    {"ProfileMissing", std::nullopt, std::nullopt, Blame::Profile, 1, 1},
    {"ProfileIsAFolder", std::nullopt, std::nullopt, Blame::Profile, 1, 1, true},
    {"RegistryFileMissing", R"({
  "registry_file": "export.reg"
})",
     std::nullopt, Blame::RegFile, 1, 1},

    // Not JSON at all.
    {"MisspelledLiteral", R"({
  "admin": tru,
  "files": []
})",
     std::nullopt, Blame::Profile, 2, 12},
    {"MissingValue", R"({
  "description": "x",
  "admin": ,
})",
     std::nullopt, Blame::Profile, 3, 12},
    {"StringBrokenByLineEnd", "{\n  \"description\": \"abc\n}", std::nullopt, Blame::Profile, 2, 18},
    {"SecondDocument", "{}\n{}\n", std::nullopt, Blame::Profile, 2, 1},

    // Keys the format does not have, at every level.
    {"UnknownTopKey", R"({
  "admin": true,
  "admn": true
})",
     std::nullopt, Blame::Profile, 3, 3},
    {"UnknownOsKey", R"({
  "os": {"bits": 64, "bitz": 32}
})",
     std::nullopt, Blame::Profile, 2, 22},
    {"UnknownFileKey", R"({
  "files": [
    {"path": "C:\\x.ocx", "sise": 5}
  ]
})",
     std::nullopt, Blame::Profile, 3, 27},

    // The right key with a value of the wrong kind.
    {"AdminAsText", R"({
  "admin": "yes"
})",
     std::nullopt, Blame::Profile, 2, 12},
    {"FilesAsObject", R"({
  "files": {}
})",
     std::nullopt, Blame::Profile, 2, 12},
    {"FaultErrorAsText", R"({
  "faults": [{"op": "rename", "error": "5"}]
})",
     std::nullopt, Blame::Profile, 2, 40},
    {"ServicePackAboveSixteenBits", R"({
  "os": {"sp_major": 70000}
})",
     std::nullopt, Blame::Profile, 2, 22},
    {"NegativeFileSize", R"({
  "files": [{"path": "C:\\a.ocx", "size": -1}]
})",
     std::nullopt, Blame::Profile, 2, 43},

    {"NumberBeyondDouble", R"({
  "os": {"tick_count": 1e999}
})",
     std::nullopt, Blame::Profile, 2, 24},

    // Values outside their domain.
    {"BitsNeither32Nor64", R"({
  "os": {"bits": 48}
})",
     std::nullopt, Blame::Profile, 2, 18},
    {"UnknownWow64Query", R"({
  "os": {"wow64_query": "maybe"}
})",
     std::nullopt, Blame::Profile, 2, 25},
    {"UnknownFaultOp", R"({
  "faults": [{"op": "move", "error": 5}]
})",
     std::nullopt, Blame::Profile, 2, 21},
    {"FileVersionPartAbove65535", R"({
  "files": [
    {"path": "C:\\a.ocx", "version": [6, 1, 65536, 0]}
  ]
})",
     std::nullopt, Blame::Profile, 3, 45},
    {"FileVersionOfThreeParts", R"({
  "files": [
    {"path": "C:\\a.ocx", "version": [6, 1, 98]}
  ]
})",
     std::nullopt, Blame::Profile, 3, 38},
    {"PayloadVersionPartAbove65535", R"({
  "payload": {"version": [6, 1, 98, 99999]}
})",
     std::nullopt, Blame::Profile, 2, 37},
    {"ClockWithIsoSeparator", R"({
  "clock": {"now": "2012-08-20T14:05:09"}
})",
     std::nullopt, Blame::Profile, 2, 20},
    {"ClockWithOneDigitMonth", R"({
  "clock": {"now": "2012-8-20 14:05:09"}
})",
     std::nullopt, Blame::Profile, 2, 20},
    {"RegistryTextAndFileBoth", R"({
  "registry": "REGEDIT4\r\n",
  "registry_file": "export.reg"
})",
     "REGEDIT4\r\n", Blame::Profile, 3, 3},

    // Registry text inside the profile: positions count within that text.
    {"RegistryTextGarbageLine", R"({
  "registry": "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\X]\r\nbogus\r\n"
})",
     std::nullopt, Blame::Profile, 4, 1},
    {"RegistryLinesUnknownData", R"({
  "registry": ["Windows Registry Editor Version 5.00", "", "[HKEY_CLASSES_ROOT\\X]", "\"a\"=bogus"]
})",
     std::nullopt, Blame::Profile, 4, 5},
    {"RegistryTextValueBeforeKey", R"({
  "registry": "REGEDIT4\r\n\r\n\"a\"=\"b\"\r\n"
})",
     std::nullopt, Blame::Profile, 3, 1},
    {"RegistryTextWithoutHeader", R"({
  "registry": "REGEDIT5\r\n"
})",
     std::nullopt, Blame::Profile, 1, 1},

    // A registry file, in each encoding regedit and editors leave behind.
    {"RegistryFileUtf16", R"({
  "registry_file": "export.reg"
})",
     utf16le("Windows Registry Editor Version 5.00\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\X]\r\n"
             "\"v\"=dword:00000001\r\n\"w\"=bogus\r\n"),
     Blame::RegFile, 5, 5},
    {"RegistryFileCodePage", R"({
  "registry_file": "export.reg"
})",
     "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\X]\r\n@=\"ok\"\r\nnonsense\r\n", Blame::RegFile, 5, 1},
    {"RegistryFileUtf8WithMark", R"({
  "registry_file": "export.reg"
})",
     "\xEF\xBB\xBFWindows Registry Editor Version 5.00\r\n\r\n\"v\"=\"before any key\"\r\n", Blame::RegFile, 3, 1},
};

INSTANTIATE_TEST_SUITE_P(Simulator, BadProfileTest, ::testing::ValuesIn(kBadProfiles),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
