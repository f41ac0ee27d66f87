// A stranger's regsvr32.exe: it registers nothing and claims success, so a
// program that starts it would carry on as if all went well. Only the marker
// on C: tells. It imports version.dll by name, as careless programs do,
// which shows whether a planted version.dll beside it is picked up.
#include <windows.h>

int main() {
  const HANDLE file = CreateFileA("C:\\planted-regsvr32-started.txt", GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_NORMAL, nullptr);
  if (file == INVALID_HANDLE_VALUE) {
    return 0;
  }
  const char text[] = "planted regsvr32.exe started\r\n";
  DWORD written = 0;
  WriteFile(file, text, sizeof text - 1, &written, nullptr);
  CloseHandle(file);
  DWORD ignored = 0;
  GetFileVersionInfoSizeA("C:\\windows\\system32\\kernel32.dll", &ignored);
  return 0;
}
