// The second baseline of the start-up benchmark: Ocxmedic's own window, made
// from the same layout through the same binding and shown, and nothing else:
// no survey, no control file written out. Against it the benchmark tells what
// the program's start-up work costs apart from what its window costs to make
// and show. It ends on Esc or its exit button, as the program does.
#include "app/frm_main_ids.h"
#include "app/frm_main_layout.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_support.h"
#include "platform/win32/win32_window.h"
#include "resources/resource_ids.h"

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  using namespace ocx;
  win32::prepareForWindows();
  try {
    win32::Win32Window window(instance, frm_main::layout(), OCXMEDIC_IDI_PROGRAM);
    // A caption of its own, so that the benchmark cannot take it for the
    // program's window.
    window.setWindowCaption("Ocxmedic Fenstervergleich");
    window.onClick(frm_main::cmdExit, [&window] { window.unloadAll(); });
    window.setCancelButton(frm_main::cmdExit);
    window.show();
    return window.runMessageLoop();
  } catch (const PlatformError& error) {
    return static_cast<int>(error.number());
  }
}
