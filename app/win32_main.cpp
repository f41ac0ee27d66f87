// The Windows program: the real services, frmMain on top of them, and the
// message loop.
#include <exception>

#include "app/frm_main.h"
#include "app/frm_main_ids.h"
#include "app/frm_main_layout.h"
#include "app/standin_guard.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_window.h"
#include "resources/resource_ids.h"

namespace {

int run(HINSTANCE instance) {
  using namespace ocx;
  using namespace ocx::win32;

  prepareForWindows();

  Win32Registry registry;
  Win32Window window(instance, frm_main::layout(), OCXMEDIC_IDI_PROGRAM);
  Win32FileSystem files;
  Win32VersionInfo versions;
  Win32ShellFolders shell;
  Win32Resources resources(instance);
  Win32Processes processes;
  Win32OsFacts os;
  Win32Clock clock;
  Platform platform{registry, window, files, versions, shell, resources, processes, os, clock};
#ifdef OCXMEDIC_CARRIES_STANDIN
  if (!StandinBuildMayRun(os, window)) {
    return 1;
  }
#endif

  frmMain form(platform);
  window.onClick(frm_main::cmdGo, [&form] { form.cmdGo_Click(); });
  window.onClick(frm_main::cmdStatus, [&form] { form.cmdStatus_Click(); });
  window.onClick(frm_main::cmdExit, [&form] { form.cmdExit_Click(); });
  window.onClose([&form] { form.Form_Unload(); });
  window.setCancelButton(frm_main::cmdExit);

  form.Start();
  return window.runMessageLoop();
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  try {
    return run(instance);
  } catch (const ocx::PlatformError& error) {
    // Only the window's creation throws this far; without a window there is
    // nothing to run.
    MessageBoxW(nullptr, ocx::win32::widen(error.description()).c_str(), L"Ocxmedic", MB_OK | MB_ICONSTOP);
    return static_cast<int>(error.number());
  } catch (const std::exception& error) {
    // A fault of the program itself, such as running out of memory, that no
    // handler could pass over.
    MessageBoxW(nullptr, ocx::win32::widen(error.what()).c_str(), L"Ocxmedic", MB_OK | MB_ICONSTOP);
    return static_cast<int>(ocx::failureNumber(error));
  }
}
