#include <vector>

#include "platform/win32/win32_platform.h"

namespace ocx::win32 {
namespace {

// The program's name: the first word of the command line, or its first
// quoted part.
std::wstring programName(const std::wstring& commandLine) {
  if (!commandLine.empty() && commandLine.front() == L'"') {
    const auto end = commandLine.find(L'"', 1);
    return commandLine.substr(1, end == std::wstring::npos ? std::wstring::npos : end - 1);
  }
  return commandLine.substr(0, commandLine.find_first_of(L" \t"));
}

// The system folder's copy of a program named without a folder; empty for a
// program named with one, which is then started as named.
std::wstring systemProgram(const std::wstring& name) {
  if (name.empty() || name.find_first_of(L"\\/:") != std::wstring::npos) {
    return {};
  }
  const std::wstring folder = systemDirectory();
  if (folder.empty()) {
    throwLastError();
  }
  std::wstring path = folder + L'\\' + name;
  if (name.find(L'.') == std::wstring::npos) {
    path += L".exe";
  }
  return path;
}

}  // namespace

void Win32Processes::startProcess(const std::string& commandLine, int windowStyle,
                                  std::chrono::milliseconds waitLimit) {
  const std::wstring line = widen(commandLine);
  const std::wstring application = systemProgram(programName(line));
  // CreateProcessW may write into the command line.
  std::vector<wchar_t> mutableLine(line.begin(), line.end());
  mutableLine.push_back(L'\0');

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESHOWWINDOW;
  startup.wShowWindow = static_cast<WORD>(windowStyle);
  PROCESS_INFORMATION started{};
  if (!CreateProcessW(application.empty() ? nullptr : application.c_str(), mutableLine.data(), nullptr, nullptr, FALSE,
                      0, nullptr, nullptr, &startup, &started)) {
    throwLastError();
  }
  const ScopedKernelHandle process(started.hProcess);
  const ScopedKernelHandle thread(started.hThread);

  // INFINITE is the one value that would never return.
  const auto limit = std::min<long long>(std::max<long long>(waitLimit.count(), 0), INFINITE - 1);
  WaitForSingleObject(process.get(), static_cast<DWORD>(limit));
}

}  // namespace ocx::win32
