// The survey run once at start: what the machine has, shown in the window
// and kept as the fix state for the repair run.
#include <exception>
#include <optional>
#include <string>

#include "app/frm_main_ids.h"
#include "app/texts.h"
#include "fix/control_names.h"
#include "fix/mod_bugfix.h"
#include "osinfo/cls_os_info.h"
#include "platform/mod_api.h"

namespace ocx {

namespace {

// A step that fails leaves its result as it was (an empty text, a label at
// "?") and the survey goes on: a half-known machine can still be repaired.
template <typename Step>
void passOver(Step&& step) {
  try {
    step();
  } catch (const std::exception&) {
  }
}

}  // namespace

void modBugfix::SurveySystem() {
  WindowServices& window = platform_.window;

  std::optional<clsOSInfo> info;
  passOver([&] { info.emplace(platform_); });

  passOver([&] {
    clsOSInfo& os = info.value();
    state_.WindowsInfoText = os.Name() + (os.Is64BitOS() ? " 64 Bit" : " 32 Bit") + " (Version " +
                             std::to_string(os.Major()) + "." + std::to_string(os.Minor()) + "." +
                             std::to_string(os.Revision()) + ") " + os.ServicePack();
  });

  passOver([&] {
    // The 32-bit control of 64-bit Windows lives in SysWOW64, not in the
    // system directory, which holds the 64-bit files there.
    if (info.value().Is64BitOS()) {
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

  passOver([&] { window.setCaption(frm_main::lblSysInfoText(0), state_.WindowsInfoText); });
  passOver([&] {
    window.setCaption(frm_main::lblSysInfoText(5),
                      FileExists(state_.InstalledControlPath)
                          ? state_.InstalledControlPath + texts::kVersionInfix + state_.InstalledControlVersion
                          : std::string(texts::kNotDetermined));
  });
  passOver([&] {
    window.setCaption(frm_main::lblSysInfoText(6),
                      FileExists(state_.NewControlPath)
                          ? state_.NewControlPath + texts::kVersionInfix + state_.NewControlVersion
                          : std::string(texts::kNotDetermined));
  });
  passOver([&] {
    window.setCaption(frm_main::lblSysInfoText(7),
                      TypeLib20Exists() ? texts::kRegPathPresent20 : texts::kRegPathMissing);
  });
  passOver([&] {
    window.setCaption(frm_main::lblSysInfoText(8),
                      TypeLib21Exists() ? texts::kRegPathPresent21 : texts::kRegPathMissing);
  });

  passOver([&] {
    // Any difference counts, a newer installed control too. When only one
    // version is known there is nothing to compare, and the window's own
    // preset stands.
    const std::string& installed = state_.InstalledControlVersion;
    const std::string& carried = state_.NewControlVersion;
    if (installed == carried) {
      window.setValue(frm_main::chkReplaceControl, check_value::kUnchecked);
      window.setEnabled(frm_main::chkReplaceControl, false);
    } else if (!installed.empty() && !carried.empty()) {
      window.setValue(frm_main::chkReplaceControl, check_value::kChecked);
      window.setEnabled(frm_main::chkReplaceControl, true);
    }
  });

  passOver([&] {
    // Removing 2.0 only helps when 2.1 is there to take its place.
    const bool has20 = TypeLib20Exists();
    const bool has21 = TypeLib21Exists();
    const bool both = has20 && has21;
    window.setValue(frm_main::chkKillRegPath, both ? check_value::kChecked : check_value::kUnchecked);
    window.setEnabled(frm_main::chkKillRegPath, both);
  });
}

}  // namespace ocx
