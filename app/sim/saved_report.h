// A status report as a customer sends it: the text that the status button put
// on the clipboard, saved as a file, read back into what its survey rows say.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "platform/sim/file_content.h"

namespace ocx::sim {

// Where a row's value starts in the report file, for messages; from 1.
struct ReportPlace {
  int line = 1;
  int column = 1;
};

// The Windows row, taken apart: the name, the architecture word and the
// numbers and service pack text that the OS information object gave.
struct WindowsRow {
  std::string name;
  int bits = 32;
  std::uint32_t major = 0;
  std::uint32_t minor = 0;
  std::uint32_t build = 0;
  std::string servicePack;
};

// A control row: "?" when the survey could not write it, the words for a
// file that is not there, or a path with the version text read back (none
// for a file without version information).
struct ControlRow {
  enum class State { Unknown, Missing, Found };
  State state = State::Unknown;
  std::string path;
  std::optional<FileVersion> version;
};

struct SavedReport {
  std::optional<WindowsRow> windows;  // nothing for "?"
  ReportPlace windowsAt;
  ControlRow installed;
  ControlRow available;
  std::optional<bool> typeLib20;  // nothing for "?"
  ReportPlace typeLib20At;
  std::optional<bool> typeLib21;
  ReportPlace typeLib21At;
};

// Reads the report file (code page 1252, UTF-8, or UTF-16LE with its
// byte-order mark). Throws ProfileError naming the file, line and column
// when it cannot be read or is not a status report of this program.
SavedReport readSavedReport(const std::string& path);

// The version whose text the program writes as `text` (6.01.98.34 for
// 6.1.98.34); nothing when the program writes no version that way.
std::optional<FileVersion> versionFromText(const std::string& text);

}  // namespace ocx::sim
