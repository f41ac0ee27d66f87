// A stranger's version.dll: every export fails and leaves a line on C: that
// names the module it was called from, so a test can tell the program's own
// calls from those of system DLLs that import version.dll. It exports what
// the program looks up and what Wine's own user32 imports, so that a process
// that loads it early still starts.
#include <windows.h>

namespace {

void leaveMarker(const char* function, void* returnAddress) {
  HMODULE caller = nullptr;
  char line[MAX_PATH + 64] = "?";
  if (GetModuleHandleExA(GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
                         static_cast<LPCSTR>(returnAddress), &caller)) {
    GetModuleFileNameA(caller, line, MAX_PATH);
  }
  lstrcatA(line, "\t");
  lstrcatA(line, function);
  lstrcatA(line, "\r\n");
  const HANDLE file = CreateFileA("C:\\planted-version-dll-called.txt", FILE_APPEND_DATA, FILE_SHARE_READ, nullptr,
                                  OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return;
  }
  DWORD written = 0;
  WriteFile(file, line, lstrlenA(line), &written, nullptr);
  CloseHandle(file);
}

DWORD refuse(const char* function, void* returnAddress) {
  leaveMarker(function, returnAddress);
  SetLastError(ERROR_ACCESS_DENIED);
  return 0;
}

}  // namespace

#define OCX_REFUSE(function) refuse(function, __builtin_return_address(0))

// Exported under the system's names through the .def file; these names keep
// clear of the declarations in <windows.h>.
extern "C" {
DWORD WINAPI ProbeSizeA(LPCSTR, LPDWORD) {
  return OCX_REFUSE("GetFileVersionInfoSizeA");
}
DWORD WINAPI ProbeSizeW(LPCWSTR, LPDWORD) {
  return OCX_REFUSE("GetFileVersionInfoSizeW");
}
BOOL WINAPI ProbeInfoA(LPCSTR, DWORD, DWORD, LPVOID) {
  return OCX_REFUSE("GetFileVersionInfoA");
}
BOOL WINAPI ProbeInfoW(LPCWSTR, DWORD, DWORD, LPVOID) {
  return OCX_REFUSE("GetFileVersionInfoW");
}
BOOL WINAPI ProbeQueryA(LPCVOID, LPCSTR, LPVOID*, PUINT) {
  return OCX_REFUSE("VerQueryValueA");
}
BOOL WINAPI ProbeQueryW(LPCVOID, LPCWSTR, LPVOID*, PUINT) {
  return OCX_REFUSE("VerQueryValueW");
}
}
