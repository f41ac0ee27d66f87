// What the tests check around the window: the clipboard, files with their
// versions, registry keys, and the facts the running Windows reports about
// itself (from which a test derives the Windows line it expects).
#include <shlobj.h>
#include <windows.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "tools/ui-driver/driver.h"

namespace ocx::ui_driver {
namespace {

class ClipboardOpen {
 public:
  explicit ClipboardOpen(HWND owner) {
    // Another process may hold it for a moment; a user would retry too.
    for (int attempt = 0; attempt < 40 && !open_; ++attempt) {
      open_ = OpenClipboard(owner) != FALSE;
      if (!open_) {
        Sleep(50);
      }
    }
    if (!open_) {
      throw CommandFailed("cannot open the clipboard");
    }
  }
  ~ClipboardOpen() { CloseClipboard(); }
  ClipboardOpen(const ClipboardOpen&) = delete;
  ClipboardOpen& operator=(const ClipboardOpen&) = delete;

 private:
  bool open_ = false;
};

std::string formatName(UINT format) {
  switch (format) {
    case CF_TEXT:
      return "CF_TEXT";
    case CF_OEMTEXT:
      return "CF_OEMTEXT";
    case CF_UNICODETEXT:
      return "CF_UNICODETEXT";
    case CF_LOCALE:
      return "CF_LOCALE";
    default:
      break;
  }
  wchar_t name[256];
  const int length = GetClipboardFormatNameW(format, name, 256);
  return length > 0 ? toUtf8(std::wstring_view(name, static_cast<std::size_t>(length))) : "#" + std::to_string(format);
}

std::string hex(const std::string& bytes) {
  std::string out;
  char two[3];
  for (const char c : bytes) {
    std::snprintf(two, sizeof two, "%02x", static_cast<unsigned char>(c));
    out += two;
  }
  return out;
}

// The bytes of a clipboard text up to its NUL, never past the block.
std::string clipboardBytes(UINT format, std::size_t unit) {
  HANDLE data = GetClipboardData(format);
  if (data == nullptr) {
    return {};
  }
  const auto* first = static_cast<const char*>(GlobalLock(data));
  if (first == nullptr) {
    return {};
  }
  const std::size_t size = GlobalSize(data);
  std::size_t end = 0;
  while (end + unit <= size) {
    bool nul = true;
    for (std::size_t k = 0; k < unit; ++k) {
      nul = nul && first[end + k] == 0;
    }
    if (nul) {
      break;
    }
    end += unit;
  }
  std::string bytes(first, end);
  GlobalUnlock(data);
  return bytes;
}

HGLOBAL globalCopy(const void* bytes, std::size_t size) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  if (block != nullptr) {
    std::memcpy(GlobalLock(block), bytes, size);
    GlobalUnlock(block);
  }
  return block;
}

std::string fileVersion(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) {
    return {};
  }
  std::vector<char> block(size);
  VS_FIXEDFILEINFO* fixed = nullptr;
  UINT length = 0;
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data()) ||
      !VerQueryValueW(block.data(), L"\\", reinterpret_cast<void**>(&fixed), &length) || length < sizeof *fixed) {
    return {};
  }
  char text[64];
  std::snprintf(text, sizeof text, "%u.%u.%u.%u", static_cast<unsigned>(HIWORD(fixed->dwFileVersionMS)),
                static_cast<unsigned>(LOWORD(fixed->dwFileVersionMS)),
                static_cast<unsigned>(HIWORD(fixed->dwFileVersionLS)),
                static_cast<unsigned>(LOWORD(fixed->dwFileVersionLS)));
  return text;
}

std::string shellFolder(int csidl) {
  wchar_t path[MAX_PATH];
  if (FAILED(SHGetFolderPathW(nullptr, csidl, nullptr, SHGFP_TYPE_CURRENT, path))) {
    return {};
  }
  return toUtf8(path);
}

std::string ansiToUtf8(const char* text) {
  const int length = MultiByteToWideChar(CP_ACP, 0, text, -1, nullptr, 0);
  if (length <= 1) {
    return {};
  }
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  MultiByteToWideChar(CP_ACP, 0, text, -1, wide.data(), length);
  wide.resize(static_cast<std::size_t>(length - 1));
  return toUtf8(wide);
}

}  // namespace

JsonObject readClipboard() {
  const ClipboardOpen open(nullptr);
  std::vector<std::string> formats;
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    formats.push_back(formatName(format));
  }
  JsonObject json;
  json.add("formats", formats);
  if (IsClipboardFormatAvailable(CF_TEXT)) {
    const std::string bytes = clipboardBytes(CF_TEXT, 1);
    json.add("text_hex", hex(bytes)).add("text", ansiToUtf8(bytes.c_str()));
  } else {
    json.addNull("text_hex").addNull("text");
  }
  if (IsClipboardFormatAvailable(CF_UNICODETEXT)) {
    const std::string bytes = clipboardBytes(CF_UNICODETEXT, 2);
    json.add("unicode", toUtf8(std::wstring_view(reinterpret_cast<const wchar_t*>(bytes.data()), bytes.size() / 2)));
  } else {
    json.addNull("unicode");
  }
  return json;
}

JsonObject fillClipboard(std::string_view text) {
  // Putting data there needs an owner window; it lives as long as the driver.
  static HWND owner = CreateWindowExW(0, L"STATIC", L"ui-driver", 0, 0, 0, 0, 0, nullptr, nullptr, nullptr, nullptr);
  const std::wstring wide = toWide(text);
  // A private format besides the text shows whether the program empties
  // the clipboard or only overwrites the text.
  const UINT probe = RegisterClipboardFormatW(L"OcxmedicDriverProbe");
  static constexpr char kProbeBytes[] = "probe";
  {
    const ClipboardOpen open(owner);
    if (!EmptyClipboard() ||
        SetClipboardData(CF_UNICODETEXT, globalCopy(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t))) == nullptr ||
        SetClipboardData(probe, globalCopy(kProbeBytes, sizeof kProbeBytes)) == nullptr) {
      throw CommandFailed("cannot put data on the clipboard");
    }
  }
  JsonObject json;
  json.add("formats", std::vector<std::string>{"CF_UNICODETEXT", "OcxmedicDriverProbe"});
  return json;
}

JsonObject listFiles(std::string_view pattern) {
  const std::wstring widePattern = toWide(pattern);
  const auto slash = widePattern.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"" : widePattern.substr(0, slash + 1);

  std::vector<std::string> files;
  WIN32_FIND_DATAW found{};
  HANDLE search = FindFirstFileW(widePattern.c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        continue;
      }
      const std::wstring path = folder + found.cFileName;
      const unsigned long long size = (static_cast<unsigned long long>(found.nFileSizeHigh) << 32) | found.nFileSizeLow;
      JsonObject file;
      file.add("name", toUtf8(found.cFileName)).raw("size", std::to_string(size));
      const std::string version = fileVersion(path);
      if (version.empty()) {
        file.addNull("version");
      } else {
        file.add("version", version);
      }
      files.push_back(file.str());
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  JsonObject json;
  json.add("pattern", pattern).raw("files", jsonArray(files));
  return json;
}

JsonObject readRegistryKey(std::string_view path) {
  struct Root {
    std::string_view prefix;
    HKEY key;
  };
  static const Root kRoots[] = {
      {"HKCR\\", HKEY_CLASSES_ROOT}, {"HKLM\\", HKEY_LOCAL_MACHINE}, {"HKCU\\", HKEY_CURRENT_USER}};
  HKEY root = nullptr;
  std::string_view below;
  for (const auto& r : kRoots) {
    if (path.starts_with(r.prefix)) {
      root = r.key;
      below = path.substr(r.prefix.size());
    }
  }
  if (root == nullptr) {
    throw CommandFailed("registry path must start with HKCR\\, HKLM\\ or HKCU\\");
  }

  JsonObject json;
  json.add("path", path);
  HKEY key = nullptr;
  // The 64-bit view: what a 64-bit tool like regedit shows the user.
  if (RegOpenKeyExW(root, toWide(below).c_str(), 0, KEY_READ | KEY_WOW64_64KEY, &key) != ERROR_SUCCESS) {
    json.add("exists", false);
    return json;
  }
  json.add("exists", true);
  wchar_t value[1024];
  DWORD type = 0;
  DWORD bytes = sizeof value - sizeof(wchar_t);
  if (RegQueryValueExW(key, nullptr, nullptr, &type, reinterpret_cast<BYTE*>(value), &bytes) == ERROR_SUCCESS &&
      type == REG_SZ) {
    value[bytes / sizeof(wchar_t)] = L'\0';
    json.add("default", toUtf8(value));
  } else {
    json.addNull("default");
  }
  std::vector<std::string> subkeys;
  wchar_t name[256];
  for (DWORD i = 0;; ++i) {
    DWORD length = 256;
    if (RegEnumKeyExW(key, i, name, &length, nullptr, nullptr, nullptr, nullptr) != ERROR_SUCCESS) {
      break;
    }
    subkeys.push_back(toUtf8(std::wstring_view(name, length)));
  }
  RegCloseKey(key);
  json.add("subkeys", subkeys);
  return json;
}

JsonObject readOsFacts() {
  OSVERSIONINFOEXA version{};
  version.dwOSVersionInfoSize = sizeof version;
  if (!GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&version))) {
    throw CommandFailed("GetVersionExA failed");
  }
  HMODULE kernel = GetModuleHandleW(L"kernel32.dll");
  using ProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
  using Wow64Fn = BOOL(WINAPI*)(HANDLE, PBOOL);
  // Looked up, not linked: neither exists on every Windows the program runs on.
  const auto productInfo =
      reinterpret_cast<ProductInfoFn>(reinterpret_cast<void*>(GetProcAddress(kernel, "GetProductInfo")));
  const auto isWow64 = reinterpret_cast<Wow64Fn>(reinterpret_cast<void*>(GetProcAddress(kernel, "IsWow64Process")));
  DWORD product = 0;
  if (productInfo != nullptr) {
    productInfo(version.dwMajorVersion, version.dwMinorVersion, version.wServicePackMajor, version.wServicePackMinor,
                &product);
  }
  BOOL wow64 = FALSE;
  if (isWow64 != nullptr) {
    isWow64(GetCurrentProcess(), &wow64);
  }
  const LANGID lang = GetSystemDefaultLangID();
  char language[128] = {};
  VerLanguageNameA(lang, language, sizeof language);

  JsonObject metrics;
  // The numbers are the profile's keys.
  for (const int metric : {SM_TABLETPC, SM_MEDIACENTER, SM_STARTER, SM_SERVERR2}) {
    metrics.add(std::to_string(metric), GetSystemMetrics(metric));
  }
  JsonObject os;
  os.add("bits", wow64 ? 64 : 32)
      .add("platform", static_cast<unsigned long>(version.dwPlatformId))
      .add("major", static_cast<unsigned long>(version.dwMajorVersion))
      .add("minor", static_cast<unsigned long>(version.dwMinorVersion))
      .add("build", static_cast<unsigned long>(version.dwBuildNumber))
      .add("csd", ansiToUtf8(version.szCSDVersion))
      .add("sp_major", static_cast<int>(version.wServicePackMajor))
      .add("sp_minor", static_cast<int>(version.wServicePackMinor))
      .add("suite_mask", static_cast<int>(version.wSuiteMask))
      .add("product_type", static_cast<int>(version.wProductType))
      .raw("product_info", std::to_string(static_cast<std::int32_t>(product)))
      .add("lang_id", static_cast<int>(lang))
      .add("language", ansiToUtf8(language))
      .add("metrics", metrics);

  wchar_t temp[MAX_PATH + 1] = {};
  GetTempPathW(MAX_PATH + 1, temp);
  JsonObject folders;
  folders.add("36", shellFolder(CSIDL_WINDOWS)).add("37", shellFolder(CSIDL_SYSTEM));

  JsonObject json;
  json.add("os", os).add("folders", folders).add("temp", toUtf8(temp));
  return json;
}

namespace {

std::string systemText(DWORD code, DWORD language) {
  wchar_t* buffer = nullptr;
  const DWORD length =
      FormatMessageW(FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
                     nullptr, code, language, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  if (length == 0 || buffer == nullptr) {
    throw CommandFailed("the system has no text for " + std::to_string(code));
  }
  std::wstring text(buffer, length);
  LocalFree(buffer);
  return toUtf8(text);
}

}  // namespace

JsonObject readSystemText(std::string_view code) {
  const auto number = static_cast<DWORD>(std::strtoul(std::string(code).c_str(), nullptr, 10));
  // The user's language, as the program asks for it, and English, to tell
  // whether the system has a translation at all.
  JsonObject json;
  json.add("text", systemText(number, 0))
      .add("english", systemText(number, MAKELANGID(LANG_ENGLISH, SUBLANG_ENGLISH_US)));
  return json;
}

}  // namespace ocx::ui_driver
