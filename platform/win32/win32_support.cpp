#include "platform/win32/win32_support.h"

#include <string_view>
#include <vector>

namespace ocx::win32 {
namespace {

// The error numbers and names the rest of the program uses are Windows' own.
#define OCX_CHECK_WIN32_ERROR(constant, number, name) \
  static_assert(win32_error::constant == (name) && (number) == (name));
OCX_WIN32_ERRORS(OCX_CHECK_WIN32_ERROR)
#undef OCX_CHECK_WIN32_ERROR
static_assert(std::string_view(win32ErrorName(ERROR_MORE_DATA)) == "ERROR_MORE_DATA",
              "a name is spelled as written, not as the number the header makes of it");

std::wstring toWide(UINT codePage, std::string_view text) {
  if (text.empty()) {
    return {};
  }
  const int length = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
  return wide;
}

std::string fromWide(UINT codePage, std::wstring_view wide) {
  if (wide.empty()) {
    return {};
  }
  const int length =
      WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), nullptr, 0, nullptr, nullptr);
  std::string text(static_cast<std::size_t>(length), '\0');
  WideCharToMultiByte(codePage, 0, wide.data(), static_cast<int>(wide.size()), text.data(), length, nullptr, nullptr);
  return text;
}

}  // namespace

std::wstring widen(std::string_view utf8) {
  return toWide(CP_UTF8, utf8);
}
std::string narrow(std::wstring_view wide) {
  return fromWide(CP_UTF8, wide);
}
std::string toAnsi(std::string_view utf8) {
  return fromWide(CP_ACP, widen(utf8));
}
std::string fromAnsi(std::string_view ansi) {
  return narrow(toWide(CP_ACP, ansi));
}

std::string systemMessage(DWORD code) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) {
    return {};
  }
  std::wstring_view text(buffer, length);
  while (!text.empty() && (text.back() == L'\r' || text.back() == L'\n')) {
    text.remove_suffix(1);
  }
  std::string message = narrow(text);
  LocalFree(buffer);
  return message;
}

void throwError(DWORD code) {
  throw PlatformError(code, systemMessage(code));
}

void throwLastError() {
  // Some calls fail without setting a code (OpenClipboard while another
  // program holds the clipboard, on some systems); "0: success" would be no
  // help to anyone reading the failure.
  const DWORD code = GetLastError();
  throwError(code == ERROR_SUCCESS ? ERROR_GEN_FAILURE : code);
}

std::wstring systemDirectory() {
  std::vector<wchar_t> buffer(MAX_PATH + 1);
  for (;;) {
    const UINT length = GetSystemDirectoryW(buffer.data(), static_cast<UINT>(buffer.size()));
    if (length == 0) {
      return {};
    }
    if (length < buffer.size()) {
      return std::wstring(buffer.data(), length);
    }
    buffer.resize(length + 1);  // too small: length is the size it needs
  }
}

HMODULE loadSystemDll(const wchar_t* fileName) noexcept {
  // By full path: a bare name would be answered with any module of that
  // name already in the process, wherever it was loaded from.
  const std::wstring folder = systemDirectory();
  if (folder.empty()) {
    return nullptr;
  }
  const std::wstring path = folder + L'\\' + fileName;
  // Older systems without the loader update refuse the flag as an invalid
  // parameter; any other failure is the DLL's own.
  if (const HMODULE module = LoadLibraryExW(path.c_str(), nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return module;
  }
  if (GetLastError() != ERROR_INVALID_PARAMETER) {
    return nullptr;
  }
  return LoadLibraryExW(path.c_str(), nullptr, LOAD_WITH_ALTERED_SEARCH_PATH);
}

void confineDllSearch() noexcept {
  using SetDefaultDllDirectoriesFn = BOOL(WINAPI*)(DWORD);
  using SetDllDirectoryFn = BOOL(WINAPI*)(LPCWSTR);
  const auto setDefault = kernel32Function<SetDefaultDllDirectoriesFn>("SetDefaultDllDirectories");
  if (setDefault != nullptr && setDefault(LOAD_LIBRARY_SEARCH_SYSTEM32)) {
    return;
  }
  if (const auto setDllDirectory = kernel32Function<SetDllDirectoryFn>("SetDllDirectoryW")) {
    setDllDirectory(L"");
  }
}

void prepareForWindows() noexcept {
  confineDllSearch();
  INITCOMMONCONTROLSEX controls{sizeof(INITCOMMONCONTROLSEX), ICC_WIN95_CLASSES};
  InitCommonControlsEx(&controls);
}

SystemLibrary::SystemLibrary(const wchar_t* fileName) : module_(loadSystemDll(fileName)) {}

}  // namespace ocx::win32
