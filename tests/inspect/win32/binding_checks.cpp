// Checks of the Windows binding against a real (or Wine's) Windows: the
// promises of the platform contract that only the system itself can show,
// such as the status a missing key gives, an output left untouched on
// failure, or the text the ANSI functions hand back.
//
// A console program without a test framework, since none is built for the
// cross compiler: it prints each failed check with its line and exits with
// the number of failures.
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "app/frm_main_ids.h"
#include "app/frm_main_layout.h"
#include "platform/win32/win32_platform.h"
#include "platform/win32/win32_window.h"
#include "resources/resource_ids.h"
#include "tests/contract/contract_check.h"
#include "tests/contract/file_contract_cases.h"
#include "tests/contract/registry_contract_cases.h"
#include "tests/contract/window_contract_cases.h"

namespace {

using namespace ocx;
using namespace ocx::win32;

int failures = 0;

// The contract cases and the checks of this file report alike.
class PrintingChecker final : public contract::Checker {
 public:
  void fail(const char* file, int line, const std::string& message) override {
    ++failures;
    std::printf("%s:%d: failed: %s\n", file, line, message.c_str());
  }
} checker;

void check(bool ok, const std::string& what, int line) {
  if (!ok) {
    checker.fail("binding_checks.cpp", line, what);
  }
}
#define CHECK(condition) check((condition), #condition, __LINE__)

using contract::describe;

// Evaluates `actual` once: it is often the call under test.
template <typename Actual, typename Expected>
void checkEqual(const Actual& actual, const Expected& expected, const char* what, int line) {
  bool equal = false;
  if constexpr (std::is_integral_v<Actual> && std::is_integral_v<Expected>) {
    equal = std::cmp_equal(actual, expected);
  } else {
    equal = actual == expected;
  }
  check(equal, std::string(what) + " (got " + describe(actual) + ")", line);
}
#define CHECK_EQ(actual, expected) checkEqual((actual), (expected), #actual " == " #expected, __LINE__)
// The system's text of a thrown error, without the line break FormatMessage
// ends it with, is the Wine tests' to see in the failure message.
#define CHECK_THROWS(call, code) CHECK_EQ(contract::outcomeOf([&] { call; }), "error " + std::to_string(code))

// The scratch tree below HKEY_LOCAL_MACHINE\SOFTWARE, written value by
// value in the view each belongs to, over whatever a row before left.
void writeScratchTree() {
  for (const contract::ScratchValue& value : contract::registryContractState()) {
    std::string path = contract::kScratchKey;
    if (*value.subKey != '\0') {
      path = path + "\\" + value.subKey;
    }
    HKEY key = nullptr;
    const REGSAM view = value.view64 ? KEY_WOW64_64KEY : 0;
    CHECK(RegCreateKeyExW(HKEY_LOCAL_MACHINE, widen(path).c_str(), 0, nullptr, 0, KEY_ALL_ACCESS | view, nullptr, &key,
                          nullptr) == ERROR_SUCCESS);
    CHECK(RegSetValueExW(key, widen(value.name).c_str(), 0, static_cast<DWORD>(value.type), value.stored.data(),
                         static_cast<DWORD>(value.stored.size())) == ERROR_SUCCESS);
    RegCloseKey(key);
  }
}

void deleteScratchTree(REGSAM view) {
  HKEY software = nullptr;
  if (RegOpenKeyExW(HKEY_LOCAL_MACHINE, L"SOFTWARE", 0, KEY_ALL_ACCESS | view, &software) == ERROR_SUCCESS) {
    static_cast<void>(Win32Registry().deleteKeyTree(reinterpret_cast<RegHandle>(software), "OcxmedicContract"));
    RegCloseKey(software);
  }
}

void checkRegistryContract() {
  BOOL wow64 = FALSE;
  using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);
  const auto isWow64Process = kernel32Function<IsWow64ProcessFn>("IsWow64Process");
  if (isWow64Process == nullptr || !isWow64Process(GetCurrentProcess(), &wow64) || !wow64) {
    std::printf("binding_checks: not a 32-bit process on a 64-bit Windows, the registry contract is not checked\n");
    return;
  }
  Win32Registry registry;
  contract::checkRegistryContract(
      [&]() -> Registry& {
        writeScratchTree();
        return registry;
      },
      checker);
  deleteScratchTree(0);
  deleteScratchTree(KEY_WOW64_64KEY);
}

void checkFileContract() {
  Win32FileSystem files;
  const std::string temp = files.tempPath(MAX_PATH + 1);
  CHECK(!temp.empty() && temp.back() == '\\');
  const std::string folder = temp + "ocx contract";
  const auto empty = [&folder] {
    for (const char* name : {"a.bin", "b.bin", "c.bin", "d.bin"}) {
      DeleteFileA((folder + "\\" + name).c_str());
    }
  };
  CreateDirectoryA(folder.c_str(), nullptr);
  contract::checkFileContract(
      [&]() -> FileSystem& {
        empty();
        files.writeNewFile(folder + "\\a.bin", std::vector<std::uint8_t>{1, 2, 3, 0, 5});
        files.writeNewFile(folder + "\\b.bin", std::vector<std::uint8_t>{9});
        return files;
      },
      folder, checker);
  empty();
  RemoveDirectoryA(folder.c_str());
}

// What the calls give where they work the Wine tests mostly see: the
// survey's versions, the payload copied out, and the regsvr32 runs of a
// repair, each waited for. Here is how they fail.
void checkServices() {
  // The survey would take a trailing backslash as well; the contract has none.
  const std::optional<std::string> system = Win32ShellFolders().specialFolderPath(0, csidl::kSystem);
  CHECK(system && lstrcmpiA(toAnsi(*system).c_str(), toAnsi(narrow(systemDirectory())).c_str()) == 0);

  Win32VersionInfo versions;
  const std::string missing = "C:\\ocx-no-such-file.dll";
  CHECK_EQ(versions.fileVersionInfoSize(missing), 0u);
  std::vector<std::uint8_t> untouched = {7};
  CHECK(!versions.fileVersionInfo(missing, 100, untouched));
  CHECK(untouched == std::vector<std::uint8_t>{7});

  Win32Resources resources(GetModuleHandleW(nullptr));
  const std::vector<std::uint8_t> carried = resources.resourceBytes("CUSTOM", 7);
  CHECK(std::string(carried.begin(), carried.end()) == "carried bytes\n");
  CHECK_THROWS(static_cast<void>(resources.resourceBytes("NOSUCHTYPE", 7)), 1813);
  CHECK_THROWS(static_cast<void>(resources.resourceBytes("CUSTOM", 8)), 1814);

  CHECK_THROWS(Win32Processes().startProcess("ocx-no-such-program /s", window_style::kHide), 2);
  CHECK(!Win32ShellFolders().specialFolderPath(0, 0x7ff).has_value());
}

// The numbers of both records the Wine tests see in every survey's Windows
// line, the product type in the names of the servers.
void checkOsFacts() {
  Win32OsFacts os;
  OsVersionRecord plain;
  plain.size = OsVersionRecord::kPlainSize;
  plain.productType = 77;  // not part of the plain form
  CHECK(os.getVersionEx(plain));
  CHECK_EQ(plain.productType, 77);
  CHECK_EQ(plain.csdVersion.size(), OsVersionRecord::kCsdChars);

  OsVersionRecord wrong;
  wrong.size = 100;
  wrong.majorVersion = -5;
  CHECK(!os.getVersionEx(wrong));
  CHECK_EQ(wrong.majorVersion, -5);

  std::string name = "untouched";
  CHECK(os.verLanguageName(0x0407, name, 128) > 0);
  CHECK(name != "untouched" && !name.empty());
}

void checkWindowContract() {
  contract::checkWindowContract(
      [] {
        return std::make_unique<Win32Window>(GetModuleHandleW(nullptr), contract::windowContractLayout(),
                                             OCXMEDIC_IDI_PROGRAM);
      },
      checker);
}

// What only the real window has: clicks and keys through the dialog manager.
void checkWindowInput() {
  Win32Window window(GetModuleHandleW(nullptr), frm_main::layout(), OCXMEDIC_IDI_PROGRAM);
  // A click on a check box flips checked and unchecked, and grey to unchecked.
  for (const auto& [before, after] : {std::pair{check_value::kChecked, check_value::kUnchecked},
                                      std::pair{check_value::kUnchecked, check_value::kChecked},
                                      std::pair{check_value::kGrayed, check_value::kUnchecked}}) {
    window.setValue(frm_main::chkReRegisterControl, before);
    SendMessageW(window.hwnd(), WM_COMMAND, MAKEWPARAM(frm_main::chkReRegisterControl, BN_CLICKED), 0);
    CHECK_EQ(window.value(frm_main::chkReRegisterControl), after);
  }

  int clicks = 0;
  window.onClick(frm_main::cmdExit, [&clicks] { ++clicks; });
  window.setCancelButton(frm_main::cmdExit);
  SendMessageW(window.hwnd(), WM_COMMAND, IDCANCEL, 0);  // Esc
  window.setEnabled(frm_main::cmdExit, false);
  SendMessageW(window.hwnd(), WM_COMMAND, IDCANCEL, 0);  // Esc on a disabled button
  CHECK_EQ(clicks, 1);
}

// What the report puts on the clipboard, in both text formats, is the Wine
// tests' to check; clearing must leave neither.
void checkClipboard() {
  Win32Window window(GetModuleHandleW(nullptr), frm_main::layout(), OCXMEDIC_IDI_PROGRAM);
  window.setClipboardText("Zeile");
  window.clearClipboard();
  CHECK(!IsClipboardFormatAvailable(CF_UNICODETEXT) && !IsClipboardFormatAvailable(CF_TEXT));
}

LRESULT CALLBACK refuseWindows(int code, WPARAM wParam, LPARAM lParam) {
  return code == HCBT_CREATEWND ? 1 : CallNextHookEx(nullptr, code, wParam, lParam);
}

// A window refused without an error code of its own (here by a hook) must
// not be reported with the code of the class registration before it, which
// fails whenever the class exists already.
void checkRefusedWindow() {
  Win32Window first(GetModuleHandleW(nullptr), frm_main::layout(), OCXMEDIC_IDI_PROGRAM);
  const HHOOK hook = SetWindowsHookExW(WH_CBT, refuseWindows, nullptr, GetCurrentThreadId());
  CHECK(hook != nullptr);
  const std::string outcome = contract::outcomeOf(
      [] { Win32Window second(GetModuleHandleW(nullptr), frm_main::layout(), OCXMEDIC_IDI_PROGRAM); });
  UnhookWindowsHookEx(hook);
  CHECK_EQ(outcome, "error " + std::to_string(ERROR_GEN_FAILURE));
}

// A DLL beside the program is found by its name until the search is
// confined; from then on only the system folder is searched. Taking the
// current folder out alone would still find it.
void checkDllSearch() {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  if (kernel32Function<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories") == nullptr) {
    std::printf("binding_checks: no SetDefaultDllDirectories here, the DLL search is not checked\n");
    return;
  }
  const wchar_t besideProgram[] = L"standin-mscomctl-6.1.98.34.ocx";
  const HMODULE found = LoadLibraryW(besideProgram);
  CHECK(found != nullptr);
  if (found != nullptr) {
    FreeLibrary(found);
  }
  confineDllSearch();
  SetLastError(ERROR_SUCCESS);
  CHECK(LoadLibraryW(besideProgram) == nullptr);
  CHECK_EQ(GetLastError(), static_cast<DWORD>(ERROR_MOD_NOT_FOUND));
  // System DLLs that are no KnownDLLs still load.
  CHECK(SystemLibrary(L"version.dll").loaded());
  CHECK(Win32VersionInfo().fileVersionInfoSize(narrow(systemDirectory()) + "\\kernel32.dll") > 0);
}

}  // namespace

int main() {
  const struct {
    const char* name;
    void (*run)();
  } groups[] = {{"registry contract", checkRegistryContract},
                {"file contract", checkFileContract},
                {"services", checkServices},
                {"OS facts", checkOsFacts},
                {"window contract", checkWindowContract},
                {"window input", checkWindowInput},
                {"clipboard", checkClipboard},
                {"refused window", checkRefusedWindow},
                // Last: the confined search stays for the rest of the process.
                {"DLL search", checkDllSearch}};
  for (const auto& group : groups) {
    // A call that should have worked and threw ends its group, not the run.
    try {
      group.run();
    } catch (const PlatformError& error) {
      ++failures;
      std::printf("FAILED %s: a call threw %u (%s)\n", group.name, error.number(), error.description().c_str());
    }
  }
  std::printf("binding_checks: %d failed\n", failures);
  return failures == 0 ? 0 : 1;
}
