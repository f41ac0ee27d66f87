// The control file itself: its version text, whether it is there, writing out
// the carried copy and handing a file to regsvr32.
//
// Only what the platform reports as a failure is passed over here. Running out
// of memory and faults of the program travel on to where they are shown with
// their number: the repair run's failure message, or the program's own end.
#include <cstdint>
#include <memory>
#include <new>
#include <string>
#include <vector>

#include "fix/control_names.h"
#include "fix/mod_bugfix.h"
#include "platform/error.h"
#include "platform/mod_api.h"

namespace ocx {

namespace {

// GetTempPathA is handed a buffer of this many characters; a longer path
// does not fit and leaves the buffer empty.
constexpr std::uint32_t kTempBufferChars = 255;

// The value with at least `digits` digits, a minus sign in front of them.
std::string padded(std::int32_t value, std::size_t digits) {
  const std::int64_t wide = value;
  std::string text = std::to_string(wide < 0 ? -wide : wide);
  if (text.size() < digits) {
    text.insert(0, digits - text.size(), '0');
  }
  return wide < 0 ? "-" + text : text;
}

}  // namespace

std::string FileVersionText(std::int32_t high, std::int32_t low) {
  std::string text = std::to_string(HiWord(high)) + "." + padded(LoWord(high), 2) + ".";
  if (low <= 0) {
    // A zero or negative low field is shown whole: 5.1.0.0 reads 5.01.0000.
    text += padded(low, 4);
  } else {
    text += padded(HiWord(low), 2) + "." + padded(LoWord(low), 2);
  }
  return text;
}

std::string modBugfix::GetFileVersionString(const std::string& path) {
  try {
    const std::uint32_t size = platform_.versions.fileVersionInfoSize(path);
    // No version block comes near 2 GiB: a size with the top bit set is
    // garbage and counts as none.
    if (static_cast<std::int32_t>(size) <= 0) {
      return {};
    }
    std::vector<std::uint8_t> block(size);
    if (!platform_.versions.fileVersionInfo(path, size, block)) {
      return {};
    }
    FixedFileInfo info;
    if (!platform_.versions.queryRootBlock(block, info)) {
      return {};
    }
    return FileVersionText(static_cast<std::int32_t>(info.fileVersionMS),
                           static_cast<std::int32_t>(info.fileVersionLS));
  } catch (const PlatformError&) {
    return {};
  } catch (const std::bad_alloc&) {
    // The block's size comes from the file; one that no memory holds is a
    // file without a readable version, not a failure of the survey.
    return {};
  }
}

bool modBugfix::FileExists(const std::string& path) {
  const auto first = path.find_first_not_of(' ');
  if (first == std::string::npos) {
    return false;
  }
  // A failing search answers false rather than throwing.
  return platform_.files.findFirstFile(path.substr(first, path.find_last_not_of(' ') - first + 1));
}

void modBugfix::ExtractNewControl() {
  state_.NewControlPath.clear();
  state_.NewControlVersion.clear();

  std::string buffer;
  try {
    buffer = platform_.files.tempPath(kTempBufferChars);
  } catch (const PlatformError&) {
    // An empty buffer leaves a bare file name, which resolves against the
    // current folder.
  }
  const std::string target = modAPI::AddBackslash(modAPI::CutAtNull(buffer)) + control_names::kControlFile;

  if (FileExists(target)) {
    try {
      platform_.files.deleteFile(target);
    } catch (const PlatformError&) {
      // A copy that cannot go cannot be overwritten either; the write says so.
    }
  }

  std::vector<std::uint8_t> bytes;
  try {
    bytes = platform_.resources.resourceBytes(control_names::kResourceType, control_names::kResourceId);
  } catch (const PlatformError&) {
    bytes.clear();
  }

  bool written = false;
  try {
    platform_.files.writeNewFile(target, bytes);
    written = true;
  } catch (const PlatformError&) {
    written = false;
  }
  bytes.clear();
  bytes.shrink_to_fit();

  try {
    platform_.window.processPendingEvents();
  } catch (const PlatformError&) {
    // Waiting events are a courtesy to the window, not part of the copy.
  }

  // A file left there after a failed write is an older copy, perhaps of
  // another version; offering it as the carried control would mislead.
  if (!written || !FileExists(target)) {
    return;
  }
  try {
    if (platform_.files.fileLength(target) > 0) {
      state_.NewControlPath = target;
      state_.NewControlVersion = GetFileVersionString(target);
    }
  } catch (const PlatformError&) {
    state_.NewControlPath.clear();
    state_.NewControlVersion.clear();
  }
}

std::unique_ptr<HeldFile> modBugfix::HoldCarriedControl(const std::string& tempCopy) {
  // The temporary folder belongs to the user, the system folder does not:
  // whatever changed the copy since we wrote it must not be installed and
  // registered as a system control by a program running as administrator.
  std::unique_ptr<HeldFile> copy = platform_.files.holdFile(tempCopy);
  const std::vector<std::uint8_t> carried =
      platform_.resources.resourceBytes(control_names::kResourceType, control_names::kResourceId);
  if (copy->bytes() != carried) {
    throw PlatformError(win32_error::kInvalidData, platform_.os.systemMessage(win32_error::kInvalidData));
  }
  return copy;
}

void modBugfix::RegisterControl(const std::string& path, bool Unregister, bool Silent) {
  if (!FileExists(path)) {
    return;
  }
  std::string commandLine = "regsvr32 ";
  if (Silent) {
    commandLine += "/s ";
  }
  if (Unregister) {
    commandLine += "/u ";
  }
  // Quoted as given, so that a path with blanks stays one argument.
  commandLine += '"' + path + '"';
  try {
    // Waiting keeps an unregistration from landing after the registration
    // that the repair starts next.
    platform_.processes.startProcess(commandLine, window_style::kMinimizedFocus);
  } catch (const PlatformError&) {
    // Nothing is read back from regsvr32, so a failed start or wait shows
    // the same way as a failed registration: in a later look at the keys.
  }
}

}  // namespace ocx
