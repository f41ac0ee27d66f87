// A regsvr32.exe that takes its time and registers nothing, put in place of
// the system's for the Wine test of the wait. Each run appends one line to a
// log on C:, times as FILETIME counts:
//
//   start <TAB> end <TAB> repaint <TAB> command line
//
// While it runs it invalidates the program's window and notes after how many
// milliseconds the window had painted itself again (repaint), -1 when it had
// not within the run; a program that blocks while it waits never does.
#include <windows.h>

#include <algorithm>
#include <cstdio>

namespace {

constexpr DWORD kRunMs = 3000;
constexpr DWORD kStepMs = 50;

ULONGLONG now() {
  FILETIME time;
  GetSystemTimeAsFileTime(&time);
  return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

// Milliseconds until `window` had no invalid area left, -1 for never.
long repaintWithin(HWND window, DWORD limitMs) {
  if (window == nullptr || !InvalidateRect(window, nullptr, TRUE)) {
    return -1;
  }
  for (DWORD waited = 0; waited < limitMs; waited += kStepMs) {
    Sleep(kStepMs);
    if (!GetUpdateRect(window, nullptr, FALSE)) {
      return static_cast<long>(waited + kStepMs);
    }
  }
  return -1;
}

}  // namespace

int main() {
  const ULONGLONG started = now();
  const long repaint = repaintWithin(FindWindowW(L"OcxmedicMainWindow", nullptr), kRunMs);
  const ULONGLONG elapsedMs = (now() - started) / 10000;
  if (elapsedMs < kRunMs) {
    Sleep(static_cast<DWORD>(kRunMs - elapsedMs));
  }
  char line[2048];
  const int length =
      std::snprintf(line, sizeof line, "%llu\t%llu\t%ld\t%s\r\n", started, now(), repaint, GetCommandLineA());
  const HANDLE log = CreateFileA("C:\\slow-regsvr32.txt", FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                 OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (log == INVALID_HANDLE_VALUE || length <= 0) {
    return 1;
  }
  DWORD written = 0;
  WriteFile(log, line, static_cast<DWORD>(std::min<int>(length, sizeof line - 1)), &written, nullptr);
  CloseHandle(log);
  return 0;
}
