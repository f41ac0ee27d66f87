// modBugfix: the fix operations and the fix state they establish.
//
// Like every fix operation, nothing here hands a failure to its caller: a
// step that fails is passed over and shows as a result (an empty text,
// False, a label left at "?").
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/platform.h"

namespace ocx {

// What the survey found, read by the repair run. All empty at start.
struct FixState {
  std::string WindowsInfoText;
  std::string SystemDir;
  std::string InstalledControlPath;
  std::string InstalledControlVersion;
  std::string NewControlPath;
  std::string NewControlVersion;
};

// How the survey sets an option box: its Value and whether it is enabled.
struct OptionPreset {
  int value;
  bool enabled;

  friend bool operator==(const OptionPreset&, const OptionPreset&) = default;
};

// What the survey found beyond the fix state, for the window to show. An
// entry stays empty when its check failed or, for an option box, when the
// survey has no reason to change what the window presets.
struct SurveyFindings {
  std::optional<bool> installedControlFound;
  std::optional<bool> newControlFound;
  std::optional<bool> typeLib20Found;
  std::optional<bool> typeLib21Found;
  std::optional<OptionPreset> replaceControl;
  std::optional<OptionPreset> killRegPath;
};

class modBugfix {
 public:
  explicit modBugfix(Platform& platform) : platform_(platform) {}

  // The survey run by the load sequence: establishes the fix state and
  // returns what the value labels and option boxes are to show.
  [[nodiscard]] SurveyFindings SurveySystem();

  // The fix state, one read per text.
  [[nodiscard]] std::string WindowsInfoText() const { return state_.WindowsInfoText; }
  [[nodiscard]] std::string SystemDir() const { return state_.SystemDir; }
  [[nodiscard]] std::string InstalledControlPath() const { return state_.InstalledControlPath; }
  [[nodiscard]] std::string InstalledControlVersion() const { return state_.InstalledControlVersion; }
  [[nodiscard]] std::string NewControlPath() const { return state_.NewControlPath; }
  [[nodiscard]] std::string NewControlVersion() const { return state_.NewControlVersion; }

  [[nodiscard]] const FixState& state() const { return state_; }

  // Control file handling.
  [[nodiscard]] std::string GetFileVersionString(const std::string& path);
  [[nodiscard]] bool FileExists(const std::string& path);
  void ExtractNewControl();
  void RegisterControl(const std::string& path, bool Unregister, bool Silent);
  // The temporary copy, held so that it cannot change, once it is found to
  // hold exactly the carried bytes; throws PlatformError otherwise (13 when
  // the bytes differ). Copy the control from it, not from the path.
  [[nodiscard]] std::unique_ptr<HeldFile> HoldCarriedControl(const std::string& tempCopy);

  // Type-library keys.
  [[nodiscard]] bool TypeLib20Exists();
  [[nodiscard]] bool TypeLib21Exists();
  void DeleteRegistryKey(const std::string& keyPath, RootKey root);

 private:
  // Whether HKEY_CLASSES_ROOT\subKey opens for reading.
  [[nodiscard]] bool TypeLibKeyExists(const char* subKey);

  Platform& platform_;
  FixState state_;
};

// The signed halves of a 32-bit value.
constexpr std::int32_t HiWord(std::int32_t value) {
  return value >> 16;
}
constexpr std::int32_t LoWord(std::int32_t value) {
  return static_cast<std::int16_t>(value & 0xFFFF);
}

// The version text of a file whose two file-version fields are `high` and
// `low`, such as 6.01.98.34. Reading a saved status report back depends on
// it being the one place that writes it.
[[nodiscard]] std::string FileVersionText(std::int32_t high, std::int32_t low);

}  // namespace ocx
