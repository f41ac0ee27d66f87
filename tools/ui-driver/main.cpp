// ui-driver: works Ocxmedic's window for the end-to-end tests under Wine.
//
//   ui-driver.exe [--timeout=MS] COMMAND...
//
// Commands run in order, each printing one JSON line on standard output
// (UTF-8); the first one that fails prints "ok": false with the reason and
// ends the run with exit code 1 (2 for a command line it does not know).
//
//   wait                    until the main window is visible and idle
//   dump                    the window and every control in it
//   click:NAME              a button or check box, as the mouse would
//   set:NAME=V              clicks check box NAME until its state is V
//   message | message-open  the open message box, confirmed with OK or left open
//   close | key:esc         the close box, or a key on the keyboard
//   close:message           WM_CLOSE, as taskkill without /F sends it
//   lines:N                 until lstStatus holds at least N lines
//   query-end-session       asks the window, as a log-off does, whether the
//                           session may end
//   click-at:NAME           NAME clicked at its centre, which must lie on the
//                           screen with nothing over it
//   ended                   until the program's process has ended
//   clipboard | clipboard-put:TEXT
//   files:PATTERN | reg:HKCR\PATH | osfacts
//   systemtext:CODE         the system's text for an error number, as FormatMessage gives it
//
// NAME is an element name of the window ("cmdGo", "lblSysInfoText(5)").
// Several commands in one run keep the window and its process between them,
// which "ended" needs once the window is gone.
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdlib>
#include <string>
#include <vector>

#include "tools/ui-driver/driver.h"

namespace ocx::ui_driver {

std::string toUtf8(std::wstring_view text) {
  if (text.empty()) {
    return {};
  }
  const int size = static_cast<int>(text.size());
  const int length = WideCharToMultiByte(CP_UTF8, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), size, out.data(), length, nullptr, nullptr);
  return out;
}

std::wstring toWide(std::string_view utf8) {
  if (utf8.empty()) {
    return {};
  }
  const int size = static_cast<int>(utf8.size());
  const int length = MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, nullptr, 0);
  std::wstring out(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_UTF8, 0, utf8.data(), size, out.data(), length);
  return out;
}

std::string windowText(HWND window) {
  if (window == nullptr) {
    return {};
  }
  // WM_GETTEXT, not GetWindowText, which does not read the text of a
  // control of another process; with a time limit, so that a window whose
  // thread is busy cannot stop the driver.
  constexpr UINT kLimitMs = 5000;
  DWORD_PTR length = 0;
  if (!SendMessageTimeoutW(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, kLimitMs, &length)) {
    throw CommandFailed("window " + std::to_string(reinterpret_cast<std::uintptr_t>(window)) + " does not answer");
  }
  std::wstring text(length + 1, L'\0');
  DWORD_PTR got = 0;
  SendMessageTimeoutW(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(text.data()), SMTO_ABORTIFHUNG,
                      kLimitMs, &got);
  text.resize(std::min<std::size_t>(got, length));
  return toUtf8(text);
}

std::string className(HWND window) {
  wchar_t name[256];
  const int length = GetClassNameW(window, name, 256);
  return toUtf8(std::wstring_view(name, static_cast<std::size_t>(length > 0 ? length : 0)));
}

namespace {

void writeLine(const std::string& line) {
  HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
  const std::string bytes = line + "\n";
  DWORD written = 0;
  WriteFile(out, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
}

struct UnknownCommand {};

JsonObject run(Target& target, const std::string& command, DWORD timeoutMs) {
  const auto colon = command.find(':');
  const std::string verb = command.substr(0, colon);
  const std::string argument = colon == std::string::npos ? "" : command.substr(colon + 1);

  if (verb == "wait") return waitForWindow(target, timeoutMs);
  if (verb == "dump") return dumpWindow(target);
  if (verb == "click") return click(target, argument, timeoutMs);
  if (verb == "set") {
    const auto equals = argument.find('=');
    if (equals == std::string::npos) throw UnknownCommand{};
    return setCheck(target, argument.substr(0, equals), std::atoi(argument.c_str() + equals + 1), timeoutMs);
  }
  if (verb == "message") return answerMessageBox(target, timeoutMs, true);
  if (verb == "message-open") return answerMessageBox(target, timeoutMs, false);
  if (verb == "close") return closeWindow(target, argument);
  if (verb == "lines") return waitForLines(target, std::atoi(argument.c_str()), timeoutMs);
  if (verb == "query-end-session") return queryEndSession(target);
  if (verb == "click-at") return clickAtCentre(target, argument);
  if (verb == "key") return pressKey(target, argument);
  if (verb == "ended") return waitForEnd(target, timeoutMs);
  if (verb == "clipboard") return readClipboard();
  if (verb == "clipboard-put") return fillClipboard(argument);
  if (verb == "files") return listFiles(argument);
  if (verb == "reg") return readRegistryKey(argument);
  if (verb == "osfacts") return readOsFacts();
  if (verb == "systemtext") return readSystemText(argument);
  throw UnknownCommand{};
}

}  // namespace
}  // namespace ocx::ui_driver

int wmain(int argc, wchar_t** argv) {
  using namespace ocx::ui_driver;
  DWORD timeoutMs = 60000;
  std::vector<std::string> commands;
  for (int i = 1; i < argc; ++i) {
    std::string arg = toUtf8(argv[i]);
    if (arg.starts_with("--timeout=")) {
      timeoutMs = static_cast<DWORD>(std::strtoul(arg.c_str() + 10, nullptr, 10));
    } else {
      commands.push_back(std::move(arg));
    }
  }

  Target target;
  for (const auto& command : commands) {
    JsonObject head;
    head.add("cmd", command);
    try {
      const JsonObject result = run(target, command, timeoutMs);
      std::string line = head.add("ok", true).str();
      const std::string body = result.str();
      if (body.size() > 2) {
        line.pop_back();
        line += "," + body.substr(1);
      }
      writeLine(line);
    } catch (const UnknownCommand&) {
      writeLine(head.add("ok", false).add("error", "unknown command").str());
      return 2;
    } catch (const std::exception& e) {
      writeLine(head.add("ok", false).add("error", e.what()).str());
      return 1;
    }
  }
  return 0;
}
