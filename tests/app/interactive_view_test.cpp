#include <gtest/gtest.h>

#include <sstream>

#include "app/frm_main_ids.h"
#include "app/frm_main_layout.h"
#include "app/sim/interactive.h"

namespace ocx::sim {
namespace {

using namespace frm_main;

// The long texts are shortened so that the picture stays readable; the
// order is the layout's positions, not its tab order.
TEST(InteractiveView, DrawsTheWindowInReadingOrderWithEachFramesContentsUnderItsHeading) {
  HeadlessWindow window(layout(), nullptr);
  std::ostringstream empty;
  drawWindow(window, empty);
  EXPECT_NE(empty.str().find("  -- Status --\n    |\n  <Status in die"), std::string::npos) << empty.str();

  window.setCaption(lblInfo, "Info");
  window.setCaption(lblAdmin, "Achtung");
  window.setCaption(lblSysInfoText(0), "Windows 7");
  window.setValue(chkKillRegPath, check_value::kGrayed);
  window.setEnabled(chkKillRegPath, false);
  window.setEnabled(cmdGo, false);
  window.appendLine(lstStatus, "TypeLib-Pfad 2.0 wird gelöscht...");
  window.appendLine(lstStatus, "Abbruch");

  std::ostringstream drawn;
  drawWindow(window, drawn);
  EXPECT_EQ(drawn.str(),
            "=== Lumarest Professional - Vantrellis - Problemlösung zum Microsoft Update ===\n"
            "  Info\n"
            "  -- Zu diesem System wurden folgende Informationen ermittelt: --\n"
            "    Windows-Version:  Windows 7\n"
            "    Installiertes Control:  ?\n"
            "    Verfügbares Control:  ?\n"
            "    Reg-Pfad 2.0:  ?\n"
            "    Reg-Pfad 2.1:  ?\n"
            "  -- Optionen für die Problemlösung --\n"
            "    [x] Aktuelle Datei MSCOMCTL.OCX gegen neuere Version ersetzen\n"
            "    [x] MSCOMCTL.OCX im Systemverzeichnis (ggf. nach Aktualisierung) de-registrieren und neu "
            "registrieren\n"
            "    [-] Registry-Pfad 2.0 aus der Registry entfernen (gesperrt)\n"
            "  Achtung\n"
            "  <Bugfix durchführen> (gesperrt)\n"
            "  -- Status --\n"
            "    | TypeLib-Pfad 2.0 wird gelöscht...\n"
            "    | Abbruch\n"
            "  <Status in die Zwischenablage kopieren>  <Beenden>\n");
}

}  // namespace
}  // namespace ocx::sim
