#include "app/survey_view.h"

#include <optional>
#include <string>

#include "app/frm_main_ids.h"
#include "app/texts.h"
#include "platform/pass_over.h"

namespace ocx {

namespace {

std::string fileText(bool found, const std::string& path, const std::string& version) {
  return found ? path + texts::kVersionInfix + version : std::string(texts::kNotDetermined);
}

void showPreset(WindowServices& window, ElementId box, const std::optional<OptionPreset>& preset) {
  if (!preset) {
    return;
  }
  passOver([&] {
    window.setValue(box, preset->value);
    window.setEnabled(box, preset->enabled);
  });
}

}  // namespace

void ShowSurveyFindings(WindowServices& window, const FixState& state, const SurveyFindings& findings) {
  using frm_main::lblSysInfoText;
  const auto show = [&](int index, const std::optional<bool>& found, auto&& text) {
    if (found) {
      passOver([&] { window.setCaption(lblSysInfoText(index), text(*found)); });
    }
  };
  passOver([&] { window.setCaption(lblSysInfoText(0), state.WindowsInfoText); });
  show(5, findings.installedControlFound,
       [&](bool found) { return fileText(found, state.InstalledControlPath, state.InstalledControlVersion); });
  show(6, findings.newControlFound,
       [&](bool found) { return fileText(found, state.NewControlPath, state.NewControlVersion); });
  show(7, findings.typeLib20Found,
       [](bool found) { return std::string(found ? texts::kRegPathPresent20 : texts::kRegPathMissing); });
  show(8, findings.typeLib21Found,
       [](bool found) { return std::string(found ? texts::kRegPathPresent21 : texts::kRegPathMissing); });
  showPreset(window, frm_main::chkReplaceControl, findings.replaceControl);
  showPreset(window, frm_main::chkKillRegPath, findings.killRegPath);
}

}  // namespace ocx
