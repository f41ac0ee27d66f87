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
#include <functional>
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

namespace {

using namespace ocx;
using namespace ocx::win32;

int failures = 0;

void check(bool ok, const std::string& what, int line) {
  if (!ok) {
    ++failures;
    std::printf("binding_checks.cpp:%d: failed: %s\n", line, what.c_str());
  }
}
#define CHECK(condition) check((condition), #condition, __LINE__)

std::string describe(const std::string& text) {
  return "\"" + text + "\"";
}
template <typename Number>
std::string describe(Number number) {
  return std::to_string(number);
}

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

// The error a call throws, or nothing.
std::optional<PlatformError> thrown(const std::function<void()>& call) {
  try {
    call();
  } catch (const PlatformError& error) {
    return error;
  }
  return std::nullopt;
}

// A thrown error must carry its code and the system's text without the
// line break that FormatMessage ends it with.
void checkThrows(const std::function<void()>& call, std::uint32_t code, const char* what, int line) {
  const std::optional<PlatformError> error = thrown(call);
  check(error.has_value(), std::string(what) + " throws", line);
  if (error) {
    check(error->number() == code,
          std::string(what) + " gives " + std::to_string(code) + ", got " + std::to_string(error->number()), line);
    const std::string& text = error->description();
    check(!text.empty() && text.back() != '\n' && text.back() != '\r',
          std::string(what) + " has a trimmed description: \"" + text + "\"", line);
  }
}
#define CHECK_THROWS(call, code) checkThrows([&] { call; }, (code), #call, __LINE__)

constexpr char kTestKey[] = "Software\\OcxmedicBindingChecks";
constexpr RegHandle kSentinelKey = 0x5a5a5a5a;

void checkRegistry() {
  Win32Registry registry;
  HKEY root = nullptr;
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\OcxmedicBindingChecks\\Tree\\Leaf");
  RegDeleteKeyA(HKEY_CURRENT_USER, "Software\\OcxmedicBindingChecks\\Tree");
  CHECK(RegCreateKeyExA(HKEY_CURRENT_USER, "Software\\OcxmedicBindingChecks\\Tree\\Leaf", 0, nullptr, 0, KEY_ALL_ACCESS,
                        nullptr, &root, nullptr) == ERROR_SUCCESS);
  RegCloseKey(root);
  CHECK(RegOpenKeyExA(HKEY_CURRENT_USER, kTestKey, 0, KEY_ALL_ACCESS, &root) == ERROR_SUCCESS);
  // "Grüße" in the ANSI code page: five bytes and the NUL.
  const char umlauts[] =
      "Gr\xfc\xdf"
      "e";
  RegSetValueExA(root, "Text", 0, REG_SZ, reinterpret_cast<const BYTE*>(umlauts), sizeof umlauts);
  const DWORD number = 0x01020304;
  RegSetValueExA(root, "Number", 0, REG_DWORD, reinterpret_cast<const BYTE*>(&number), sizeof number);

  RegHandle key = kSentinelKey;
  CHECK_EQ(registry.openKey(RootKey::CurrentUser, "Software\\OcxmedicNoSuchKey", reg_access::kReadValues, key), 2);
  CHECK_EQ(key, kSentinelKey);
  CHECK_EQ(registry.openKey(RootKey::CurrentUser, kTestKey, reg_access::kReadValues, key), 0);

  std::uint32_t type = 99;
  std::uint32_t size = 99;
  CHECK_EQ(registry.queryValueInfo(key, "Missing", type, size), 2);
  CHECK(type == 99 && size == 99);
  CHECK_EQ(registry.queryValueInfo(key, "Number", type, size), 0);
  CHECK(type == reg_type::kDword && size == 4);

  if (GetACP() == 1252) {
    CHECK_EQ(registry.queryValueInfo(key, "Text", type, size), 0);
    CHECK(type == reg_type::kSz && size == 6);
    std::vector<std::uint8_t> buffer(6, 0xAA);
    CHECK_EQ(registry.queryValue(key, "Text", type, buffer, size), 0);
    CHECK(std::memcmp(buffer.data(), umlauts, 6) == 0);
  } else {
    std::printf("binding_checks: ANSI code page %u, not 1252: the umlaut value is not checked\n", GetACP());
  }

  // Too small, and empty: 234 with the size needed, the buffer as it was.
  for (const std::size_t capacity : {std::size_t{3}, std::size_t{0}}) {
    std::vector<std::uint8_t> buffer(capacity, 0xAA);
    size = 0;
    type = 99;
    CHECK_EQ(registry.queryValue(key, "Number", type, buffer, size), 234);
    CHECK_EQ(size, 4u);
    CHECK(std::ranges::all_of(buffer, [](std::uint8_t b) { return b == 0xAA; }));
  }
  std::vector<std::uint8_t> exact(4);
  CHECK_EQ(registry.queryValue(key, "Number", type, exact, size), 0);
  CHECK(exact == (std::vector<std::uint8_t>{4, 3, 2, 1}));
  CHECK_EQ(registry.closeKey(key), 0);

  RegHandle parent = 0;
  CHECK_EQ(registry.openKey(RootKey::CurrentUser, kTestKey, reg_access::kAllAccess, parent), 0);
  CHECK_EQ(registry.deleteKeyTree(parent, "NoSuchChild"), 2);
  CHECK_EQ(registry.deleteKeyTree(parent, "Tree"), 0);
  CHECK_EQ(registry.openSubKey(parent, "Tree", reg_access::kReadValues, key), 2);
  static_cast<void>(registry.closeKey(parent));
  RegCloseKey(root);
  RegDeleteKeyA(HKEY_CURRENT_USER, kTestKey);
}

void checkFiles() {
  Win32FileSystem files;
  const std::string temp = files.tempPath(MAX_PATH + 1);
  CHECK(!temp.empty() && temp.back() == '\\');
  const std::string folder = temp + "ocx binding checks";
  CreateDirectoryA(folder.c_str(), nullptr);
  const std::string a = folder + "\\a.bin";
  const std::string b = folder + "\\b.bin";
  DeleteFileA(a.c_str());
  DeleteFileA(b.c_str());

  const std::vector<std::uint8_t> bytes = {1, 2, 3, 0, 5};
  files.writeNewFile(a, bytes);
  CHECK_EQ(files.fileLength(a), 5u);
  files.writeNewFile(b, std::vector<std::uint8_t>{9});

  const struct {
    std::string pattern;
    bool found;
  } searches[] = {
      {a, true},                     // a file
      {folder, true},                // a folder counts
      {folder + "\\*.bin", true},    // a pattern
      {folder + "\\*.none", false},  // a pattern matching nothing
      {folder + "\\missing", false},
  };
  for (const auto& row : searches) {
    check(files.findFirstFile(row.pattern) == row.found, "findFirstFile(" + row.pattern + ")", __LINE__);
  }

  CHECK_THROWS(files.renameFile(a, b), 183u);
  CHECK_THROWS(files.renameFile(folder + "\\missing", folder + "\\c.bin"), 2u);
  CHECK_THROWS(files.deleteFile(folder + "\\missing"), 2u);
  CHECK_THROWS(static_cast<void>(files.fileLength(folder + "\\missing")), 2u);
  CHECK_EQ(files.fileLength(b), 1u);  // the failed rename left it alone

  files.copyFile(a, b);  // over the existing file
  CHECK_EQ(files.fileLength(b), 5u);
  files.deleteFile(b);
  files.renameFile(a, b);
  CHECK(!files.findFirstFile(a) && files.findFirstFile(b));
  files.deleteFile(b);
  RemoveDirectoryA(folder.c_str());
}

void checkVersionInfo() {
  Win32VersionInfo versions;
  std::string kernel32 = narrow(systemDirectory()) + "\\kernel32.dll";
  const std::uint32_t size = versions.fileVersionInfoSize(kernel32);
  CHECK(size > 0);
  std::vector<std::uint8_t> block;
  CHECK(versions.fileVersionInfo(kernel32, size, block));
  FixedFileInfo info;
  CHECK(versions.queryRootBlock(block, info));
  CHECK_EQ(info.signature, FixedFileInfo::kSignature);

  const std::string missing = "C:\\ocx-no-such-file.dll";
  CHECK_EQ(versions.fileVersionInfoSize(missing), 0u);
  std::vector<std::uint8_t> untouched = {7};
  CHECK(!versions.fileVersionInfo(missing, 100, untouched));
  CHECK(untouched == std::vector<std::uint8_t>{7});
}

void checkResources() {
  Win32Resources resources(GetModuleHandleW(nullptr));
  const std::vector<std::uint8_t> carried = resources.resourceBytes("CUSTOM", 7);
  CHECK(std::string(carried.begin(), carried.end()) == "carried bytes\n");
  CHECK_THROWS(static_cast<void>(resources.resourceBytes("NOSUCHTYPE", 7)), 1813u);
  CHECK_THROWS(static_cast<void>(resources.resourceBytes("CUSTOM", 8)), 1814u);
}

void checkProcesses() {
  Win32Processes processes;
  Win32FileSystem files;
  const std::string marker = files.tempPath(MAX_PATH + 1) + "ocx-binding-marker.txt";
  DeleteFileA(marker.c_str());
  // The program is found in the system folder, and the call returns only
  // once it has written the file.
  processes.startProcess("cmd /c echo done> \"" + marker + "\"", window_style::kHide);
  CHECK(files.findFirstFile(marker));
  DeleteFileA(marker.c_str());
  CHECK_THROWS(processes.startProcess("ocx-no-such-program /s", window_style::kHide), 2u);
}

void checkShellFolders() {
  Win32ShellFolders shell;
  const std::optional<std::string> system = shell.specialFolderPath(0, csidl::kSystem);
  CHECK(system.has_value());
  if (system) {
    CHECK(lstrcmpiA(toAnsi(*system).c_str(), toAnsi(narrow(systemDirectory())).c_str()) == 0);
    CHECK(!system->empty() && system->back() != '\\');
  }
  CHECK(!shell.specialFolderPath(0, 0x7ff).has_value());
}

void checkOsFacts() {
  Win32OsFacts os;
  OsVersionRecord plain;
  plain.size = OsVersionRecord::kPlainSize;
  plain.productType = 77;  // not part of the plain form
  CHECK(os.getVersionEx(plain));
  CHECK(plain.majorVersion >= 5 && plain.platformId == 2);
  CHECK_EQ(plain.productType, 77);
  CHECK_EQ(plain.csdVersion.size(), OsVersionRecord::kCsdChars);

  OsVersionRecord extended;
  extended.size = OsVersionRecord::kExtendedSize;
  CHECK(os.getVersionEx(extended));
  CHECK(extended.productType != 0);

  OsVersionRecord wrong;
  wrong.size = 100;
  wrong.majorVersion = -5;
  CHECK(!os.getVersionEx(wrong));
  CHECK_EQ(wrong.majorVersion, -5);

  std::string name = "untouched";
  CHECK(os.verLanguageName(0x0407, name, 128) > 0);
  CHECK(name != "untouched" && !name.empty());
}

void checkWindow() {
  Win32Window window(GetModuleHandleW(nullptr), frm_main::layout(), OCXMEDIC_IDI_PROGRAM);
  const std::string caption = window.windowCaption();
  CHECK_EQ(caption, std::string(frm_main::layout().caption));
  window.setWindowCaption(caption + " 1.0.6");
  CHECK_EQ(window.windowCaption(), caption + " 1.0.6");
  CHECK_EQ(window.caption(frm_main::cmdGo), std::string("Bugfix durchführen"));

  for (const int value : {check_value::kGrayed, check_value::kUnchecked, check_value::kChecked}) {
    window.setValue(frm_main::chkKillRegPath, value);
    CHECK_EQ(window.value(frm_main::chkKillRegPath), value);
  }
  CHECK_THROWS(window.setValue(frm_main::chkKillRegPath, 3), 87u);
  CHECK_THROWS(static_cast<void>(window.value(frm_main::cmdGo)), 1400u);  // not a check box
  CHECK_THROWS(static_cast<void>(window.caption(4711)), 1400u);

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
  CHECK(!window.enabled(frm_main::cmdExit));
  SendMessageW(window.hwnd(), WM_COMMAND, IDCANCEL, 0);  // Esc on a disabled button
  CHECK_EQ(clicks, 1);

  // Lines stay in the order they came, never sorted.
  for (const char* line : {"zweite Zeile", "Änderung", "a"}) {
    window.appendLine(frm_main::lstStatus, line);
  }
  CHECK_EQ(window.lineCount(frm_main::lstStatus), 3);
  CHECK_EQ(window.line(frm_main::lstStatus, 0), std::string("zweite Zeile"));
  CHECK_EQ(window.line(frm_main::lstStatus, 1), std::string("Änderung"));
  CHECK_THROWS(static_cast<void>(window.line(frm_main::lstStatus, 3)), 87u);
  CHECK_THROWS(static_cast<void>(window.line(frm_main::lstStatus, -1)), 87u);

  const ProgramVersion version = window.programVersion();
  CHECK(version.major == 1 && version.minor == 0 && version.revision == 6);
}

void checkClipboard() {
  Win32Window window(GetModuleHandleW(nullptr), frm_main::layout(), OCXMEDIC_IDI_PROGRAM);
  window.setClipboardText("Grüße\r\nZeile 2");
  if (OpenClipboard(nullptr)) {
    const auto* wide = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
    CHECK(wide != nullptr && narrow(wide) == "Grüße\r\nZeile 2");
    GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
    // The standard text format holds the code page's bytes.
    const auto* ansi = static_cast<const char*>(GlobalLock(GetClipboardData(CF_TEXT)));
    CHECK(ansi != nullptr && std::string(ansi) ==
                                 "Gr\xFC\xDF"
                                 "e\r\nZeile 2");
    GlobalUnlock(GetClipboardData(CF_TEXT));
    CloseClipboard();
  }
  window.clearClipboard();
  CHECK(!IsClipboardFormatAvailable(CF_UNICODETEXT));
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
  const std::optional<PlatformError> error =
      thrown([] { Win32Window second(GetModuleHandleW(nullptr), frm_main::layout(), OCXMEDIC_IDI_PROGRAM); });
  UnhookWindowsHookEx(hook);
  CHECK(error.has_value());
  if (error) {
    CHECK_EQ(error->number(), static_cast<unsigned>(ERROR_GEN_FAILURE));
  }
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
  } groups[] = {{"registry", checkRegistry},
                {"files", checkFiles},
                {"version info", checkVersionInfo},
                {"resources", checkResources},
                {"processes", checkProcesses},
                {"shell folders", checkShellFolders},
                {"OS facts", checkOsFacts},
                {"window", checkWindow},
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
