// The UI driver works Ocxmedic's window from a second process in the same
// Wine prefix, as a user would, and reports what it sees. Each command
// prints one JSON line; a command that cannot do its work throws
// CommandFailed, which ends the run with exit code 1.
#pragma once

#include <windows.h>

#include <stdexcept>
#include <string>
#include <string_view>

#include "tools/ui-driver/json_line.h"

namespace ocx::ui_driver {

struct CommandFailed : std::runtime_error {
  using std::runtime_error::runtime_error;
};

std::string toUtf8(std::wstring_view text);
std::wstring toWide(std::string_view utf8);
std::string windowText(HWND window);
std::string className(HWND window);

// The program under test, once found. The process handle is kept so that a
// later command can still wait for the end after the window is gone.
struct Target {
  HWND window = nullptr;
  DWORD threadId = 0;
  HANDLE process = nullptr;
};

// Commands on the window (window_probe.cpp).
JsonObject waitForWindow(Target& target, DWORD timeoutMs);
JsonObject dumpWindow(const Target& target);
JsonObject click(const Target& target, std::string_view name, DWORD timeoutMs);
JsonObject setCheck(const Target& target, std::string_view name, int value, DWORD timeoutMs);
JsonObject answerMessageBox(const Target& target, DWORD timeoutMs, bool confirm);
JsonObject closeWindow(const Target& target, std::string_view how);
JsonObject waitForLines(const Target& target, int count, DWORD timeoutMs);
JsonObject queryEndSession(const Target& target);
JsonObject clickAtCentre(const Target& target, std::string_view name);
JsonObject pressKey(const Target& target, std::string_view key);
JsonObject waitForEnd(const Target& target, DWORD timeoutMs);

// Commands on the machine around it (system_probe.cpp).
JsonObject readClipboard();
JsonObject fillClipboard(std::string_view text);
JsonObject listFiles(std::string_view pattern);
JsonObject readRegistryKey(std::string_view path);
JsonObject readOsFacts();
JsonObject readSystemText(std::string_view code);

}  // namespace ocx::ui_driver
