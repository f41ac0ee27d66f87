#include "app/frm_main.h"

#include <string>

#include "app/survey_view.h"
#include "platform/pass_over.h"

namespace ocx {

void frmMain::Start() {
  Form_Load();
  passOver([&] { platform_.window.show(); });
}

void frmMain::Form_Load() {
  const RunningHandler running(*this);
  WindowServices& window = platform_.window;
  passOver([&] {
    const ProgramVersion version = window.programVersion();
    window.setWindowCaption(window.windowCaption() + " " + std::to_string(version.major) + "." +
                            std::to_string(version.minor) + "." + std::to_string(version.revision));
  });
  passOver([&] { window.setWaitCursor(true); });
  passOver([&] { window.processPendingEvents(); });
  passOver([&] {
    const SurveyFindings findings = bugfix_.SurveySystem();
    ShowSurveyFindings(window, bugfix_.state(), findings);
  });
  passOver([&] { window.setWaitCursor(false); });
  passOver([&] { window.processPendingEvents(); });
}

void frmMain::cmdExit_Click() {
  ExitApp();
}

void frmMain::Form_Unload() {
  if (handlerRunning()) {
    return;
  }
  ExitApp();
}

void frmMain::ExitApp() {
  passOver([&] { platform_.window.unloadAll(); });
  ended_ = true;
  passOver([&] { platform_.window.endProgram(); });
}

}  // namespace ocx
