#include <algorithm>

#include "platform/win32/win32_platform.h"

namespace ocx::win32 {

WindowHandle Win32ShellFolders::activeWindow() {
  return reinterpret_cast<WindowHandle>(GetActiveWindow());
}

std::optional<std::string> Win32ShellFolders::specialFolderPath(WindowHandle owner, std::int32_t csidl) {
  LPITEMIDLIST list = nullptr;
  if (SHGetSpecialFolderLocation(fromInteger<HWND>(owner), csidl, &list) != S_OK) {
    return std::nullopt;
  }
  // Spaces, not NULs, so that a shell that writes no terminator is noticed
  // by the cut below rather than read as an empty path.
  char buffer[MAX_PATH];
  std::fill(std::begin(buffer), std::end(buffer), ' ');
  const BOOL found = SHGetPathFromIDListA(list, buffer);
  CoTaskMemFree(list);
  if (!found) {
    return std::nullopt;
  }
  const std::string_view text(buffer, sizeof buffer);
  return fromAnsi(text.substr(0, text.find('\0')));
}

}  // namespace ocx::win32
