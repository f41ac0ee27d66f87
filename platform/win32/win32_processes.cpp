#include <optional>
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

// Hands on what arrived for this thread's windows while a process runs,
// except keyboard and mouse input, which is dropped: the window repaints and
// answers the system, but nothing can be pressed before the process ends.
// A WM_QUIT is kept in `quit` for the message loop after the wait.
void dispatchAllButInput(std::optional<int>& quit) {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_INPUT)) {
  }
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE | PM_QS_PAINT | PM_QS_POSTMESSAGE | PM_QS_SENDMESSAGE)) {
    if (message.message == WM_QUIT) {
      quit = static_cast<int>(message.wParam);
      continue;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

// Until the process has ended, however long that takes; messages that come
// meanwhile are handled as dispatchAllButInput says.
void waitForEnd(HANDLE process) {
  std::optional<int> quit;
  for (;;) {
    const HANDLE handles[] = {process};
    const DWORD woken = MsgWaitForMultipleObjects(1, handles, FALSE, INFINITE, QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0 + 1) {
      dispatchAllButInput(quit);
      continue;
    }
    const DWORD error = GetLastError();
    if (quit) {
      PostQuitMessage(*quit);
    }
    if (woken != WAIT_OBJECT_0) {
      throwError(error == ERROR_SUCCESS ? ERROR_GEN_FAILURE : error);
    }
    return;
  }
}

}  // namespace

void Win32Processes::startProcess(const std::string& commandLine, int windowStyle) {
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
  waitForEnd(process.get());
}

}  // namespace ocx::win32
