// The baseline of the start-up benchmark: the least a Win32 program does to
// put a window on the screen, built with the same toolchain and options as
// Ocxmedic.exe. It ends on Esc, its button or the close box, so the script
// closes both programs the same way.
#include <windows.h>

#include "minimal_dialog_ids.h"

namespace {

INT_PTR CALLBACK dialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM) {
  switch (message) {
    case WM_INITDIALOG:
      return TRUE;
    case WM_COMMAND:
      if (LOWORD(wParam) == IDCANCEL || LOWORD(wParam) == IDOK) {
        EndDialog(dialog, 0);
        return TRUE;
      }
      return FALSE;
    case WM_CLOSE:
      EndDialog(dialog, 0);
      return TRUE;
    default:
      return FALSE;
  }
}

}  // namespace

int WINAPI WinMain(HINSTANCE instance, HINSTANCE, LPSTR, int) {
  const INT_PTR result = DialogBoxParamW(instance, MAKEINTRESOURCEW(MINIMAL_DIALOG_IDD), nullptr, dialogProc, 0);
  return result == -1 ? 1 : 0;
}
