// The survey run once at start: what the machine has, kept as the fix state
// for the repair run and handed to the window to show.
#include <optional>
#include <string>

#include "fix/control_names.h"
#include "fix/mod_bugfix.h"
#include "osinfo/cls_os_info.h"
#include "platform/mod_api.h"
#include "platform/pass_over.h"

namespace ocx {

SurveyFindings modBugfix::SurveySystem() {
  // A step that fails leaves its result as it was (an empty text, a label at
  // "?") and the survey goes on: a half-known machine can still be repaired.
  // Without the OS object, the steps that need it have nothing to go on.
  SurveyFindings findings;
  std::optional<clsOSInfo> info;
  passOver([&] { info.emplace(platform_); });

  passOver([&] {
    if (!info) {
      return;
    }
    clsOSInfo& os = *info;
    state_.WindowsInfoText = os.Name() + (os.Is64BitOS() ? " 64 Bit" : " 32 Bit") + " (Version " +
                             std::to_string(os.Major()) + "." + std::to_string(os.Minor()) + "." +
                             std::to_string(os.Revision()) + ") " + os.ServicePack();
  });

  passOver([&] {
    if (!info) {
      return;
    }
    // The 32-bit control of 64-bit Windows lives in SysWOW64, not in the
    // system directory, which holds the 64-bit files there.
    if (info->Is64BitOS()) {
      state_.SystemDir =
          modAPI::AddBackslash(modAPI::GetSpecialFolderPath(platform_.shell, csidl::kWindows)) + "SysWOW64";
    } else {
      state_.SystemDir = modAPI::GetSpecialFolderPath(platform_.shell, csidl::kSystem);
    }
  });
  info.reset();

  passOver([&] { state_.InstalledControlPath = modAPI::AddBackslash(state_.SystemDir) + control_names::kControlFile; });
  passOver([&] { state_.InstalledControlVersion = GetFileVersionString(state_.InstalledControlPath); });
  passOver([&] { ExtractNewControl(); });

  passOver([&] { findings.installedControlFound = FileExists(state_.InstalledControlPath); });
  passOver([&] { findings.newControlFound = FileExists(state_.NewControlPath); });
  passOver([&] { findings.typeLib20Found = TypeLib20Exists(); });
  passOver([&] { findings.typeLib21Found = TypeLib21Exists(); });

  passOver([&] {
    // Any difference counts, a newer installed control too. When only one
    // version is known there is nothing to compare, and the window's own
    // preset stands.
    const std::string& installed = state_.InstalledControlVersion;
    const std::string& carried = state_.NewControlVersion;
    if (installed == carried) {
      findings.replaceControl = OptionPreset{check_value::kUnchecked, false};
    } else if (!installed.empty() && !carried.empty()) {
      findings.replaceControl = OptionPreset{check_value::kChecked, true};
    }
  });

  passOver([&] {
    // Removing 2.0 only helps when 2.1 is there to take its place. Asked
    // again rather than taken from above: each check is its own probe.
    const bool has20 = TypeLib20Exists();
    const bool has21 = TypeLib21Exists();
    const bool both = has20 && has21;
    findings.killRegPath = OptionPreset{both ? check_value::kChecked : check_value::kUnchecked, both};
  });
  return findings;
}

}  // namespace ocx
