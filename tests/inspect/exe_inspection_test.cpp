// Checks the cross-built Ocxmedic.exe and the stand-in controls without
// running them: what Windows' loader, Explorer and regsvr32 will find in
// the files.
#include <gtest/gtest.h>

#include <algorithm>
#include <cctype>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <optional>
#include <set>

#include "resources/version.h"
#include "tools/pe-inspect/pe_image.h"

namespace ocx::inspect {
namespace {

namespace fs = std::filesystem;

constexpr std::uint16_t kMachineI386 = 0x14c;
constexpr std::uint16_t kPe32 = 0x10b;
constexpr std::uint16_t kSubsystemGui = 2;
constexpr std::uint16_t kFileIsDll = 0x2000;
constexpr std::uint16_t kGerman = 1031;
constexpr std::uint32_t kFixedInfoSignature = 0xFEEF04BDu;

const fs::path kBuildDir = OCXMEDIC_WIN32_BUILD_DIR;

std::string lower(std::string text) {
  std::ranges::transform(text, text.begin(), [](unsigned char c) { return static_cast<char>(std::tolower(c)); });
  return text;
}

std::vector<std::uint8_t> readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

std::uint32_t u32At(const std::vector<std::uint8_t>& bytes, std::size_t at) {
  std::uint32_t value = 0;
  std::memcpy(&value, bytes.data() + at, sizeof value);
  return value;
}

// major.minor.build.revision of a version resource's fixed record.
std::string fileVersion(const VersionNode& root) {
  if (root.value.size() < 52 || u32At(root.value, 0) != kFixedInfoSignature) {
    return "no fixed record";
  }
  const std::uint32_t ms = u32At(root.value, 8);
  const std::uint32_t ls = u32At(root.value, 12);
  return std::to_string(ms >> 16) + "." + std::to_string(ms & 0xffff) + "." + std::to_string(ls >> 16) + "." +
         std::to_string(ls & 0xffff);
}

// The node at the end of a path of keys, or nullptr where one is missing.
const VersionNode* nodeAt(const VersionNode& root, std::initializer_list<std::u16string_view> path) {
  const VersionNode* node = &root;
  for (auto key = path.begin(); node != nullptr && key != path.end(); ++key) {
    node = node->child(*key);
  }
  return node;
}

// The program, read once for all tests; none before the mingw-i686 build.
const std::optional<PeImage>& exe() {
  static const std::optional<PeImage> image =
      fs::exists(kBuildDir / "Ocxmedic.exe") ? std::optional(PeImage::load(kBuildDir / "Ocxmedic.exe")) : std::nullopt;
  return image;
}

class ExeInspection : public ::testing::Test {
 protected:
  void SetUp() override {
    if (!exe()) {
      GTEST_SKIP() << "no Ocxmedic.exe in " << kBuildDir << " (build the mingw-i686 preset first)";
    }
  }
  static const PeImage& image() { return *exe(); }
};

// A 32-bit GUI program that asks for the mitigations Windows applies only on
// request: DEP, ASLR (which needs the relocations kept), and terminal-server
// awareness, without which a Remote Desktop session host gives the program a
// per-user Windows folder instead of the real one.
TEST_F(ExeInspection, IsA32BitProgramAskingForDepAslrAndTerminalServerAwareness) {
  constexpr std::uint16_t kRelocationsStripped = 0x0001;
  constexpr std::uint16_t kNxCompatible = 0x0100, kDynamicBase = 0x0040, kTerminalServerAware = 0x8000;
  EXPECT_EQ(image().machine(), kMachineI386);
  EXPECT_EQ(image().optionalMagic(), kPe32);
  EXPECT_EQ(image().subsystem(), kSubsystemGui);
  EXPECT_EQ(image().characteristics() & (kFileIsDll | kRelocationsStripped), 0) << "a DLL, or no relocations";
  constexpr std::uint16_t kWanted = kNxCompatible | kDynamicBase | kTerminalServerAware;
  EXPECT_EQ(image().dllCharacteristics() & kWanted, kWanted) << "DEP 0x100, ASLR 0x40, terminal-server aware 0x8000";
}

// Every import the program may have, each checked to exist on Windows XP
// SP3, where one missing import stops the whole program from loading. Only
// DLLs that every Windows keeps as KnownDLLs or that the manifest binds
// (comctl32) are here: any other could be loaded from a copy planted beside
// the program. A function that a later Windows added is looked up at run
// time instead; a new import belongs here only once it is known to be on XP.
TEST_F(ExeInspection, ImportsOnlyWhatWindowsXpSp3HasFromSafeDlls) {
  const std::map<std::string, std::set<std::string>> allowed = {
      // clang-format off
      {"advapi32.dll", {"RegCloseKey", "RegOpenKeyExA", "RegQueryValueExA"}},
      {"comctl32.dll", {"InitCommonControlsEx"}},
      {"gdi32.dll", {"CreateFontW", "DeleteObject", "GetDeviceCaps", "SetBkColor", "SetTextColor"}},
      {"kernel32.dll", {
          "CloseHandle", "CopyFileA", "CreateFileA", "CreateProcessW", "CreateSemaphoreW", "DeleteCriticalSection",
          "DeleteFileA", "EnterCriticalSection", "ExitProcess", "FileTimeToLocalFileTime", "FindClose",
          "FindFirstFileA", "FindResourceA", "FlushFileBuffers", "FormatMessageW", "FreeLibrary", "GetCurrentProcess",
          "GetCurrentThreadId", "GetFileAttributesExA", "GetLastError", "GetLocalTime", "GetModuleFileNameW",
          "GetModuleHandleA", "GetModuleHandleW", "GetProcAddress", "GetStartupInfoA", "GetSystemDefaultLangID",
          "GetSystemDirectoryW", "GetTempPathA", "GetTickCount", "GetVersionExA", "GlobalAlloc", "GlobalFree",
          "GlobalLock", "GlobalUnlock", "InitializeCriticalSection", "IsDBCSLeadByteEx", "LeaveCriticalSection",
          "LoadLibraryA", "LoadLibraryExW", "LoadLibraryW", "LoadResource", "LocalFree", "LockResource", "MoveFileA",
          "MultiByteToWideChar", "ReadFile", "ReleaseSemaphore", "SetLastError", "SetUnhandledExceptionFilter",
          "SizeofResource", "Sleep", "TlsAlloc", "TlsFree", "TlsGetValue", "TlsSetValue", "VerLanguageNameA",
          "VirtualProtect", "VirtualQuery", "WaitForSingleObject", "WideCharToMultiByte", "WriteFile"
      }},
      {"msvcrt.dll", {
          "__getmainargs", "__initenv", "__mb_cur_max", "__p__acmdln", "__p__commode", "__p__fmode", "__set_app_type",
          "__setusermatherr", "_amsg_exit", "_cexit", "_close", "_errno", "_initterm", "_iob", "_onexit", "_read",
          "abort", "atoi", "calloc", "exit", "fprintf", "fputc", "free", "fwrite", "localeconv", "malloc", "memchr",
          "memcmp", "memcpy", "memmove", "memset", "realloc", "setlocale", "signal", "strchr", "strcmp", "strerror",
          "strlen", "strncmp", "toupper", "vfprintf", "wcslen"
      }},
      {"ole32.dll", {"CoTaskMemFree"}},
      {"shell32.dll", {"SHGetPathFromIDListA", "SHGetSpecialFolderLocation"}},
      {"user32.dll", {
          "AdjustWindowRectEx", "CloseClipboard", "CreateWindowExW", "DefWindowProcW", "DestroyWindow",
          "DispatchMessageW", "EmptyClipboard", "EnableWindow", "GetActiveWindow", "GetDC", "GetDlgCtrlID",
          "GetFocus", "GetMessageW", "GetNextDlgTabItem", "GetSysColor", "GetSysColorBrush", "GetSystemMetrics",
          "GetWindowLongW", "GetWindowTextLengthW", "GetWindowTextW", "IsChild", "IsDialogMessageW", "IsWindow",
          "IsWindowEnabled", "IsWindowVisible", "LoadCursorW", "LoadImageW", "MessageBoxW", "MsgWaitForMultipleObjects", "OpenClipboard",
          "PeekMessageW", "PostQuitMessage", "RegisterClassExW", "ReleaseDC", "SendMessageW", "SetClipboardData",
          "SetCursor", "SetFocus", "SetForegroundWindow", "SetWindowLongW", "SetWindowPos", "SetWindowTextW",
          "ShowWindow", "SystemParametersInfoW", "TranslateMessage", "UpdateWindow"
      }},
      // clang-format on
  };
  const std::vector<Import> imports = image().imports();
  ASSERT_FALSE(imports.empty());
  for (const Import& import : imports) {
    const auto dll = allowed.find(lower(import.dll));
    if (dll == allowed.end()) {
      ADD_FAILURE() << import.dll << " is imported";
      continue;
    }
    for (const std::string& function : import.functions) {
      EXPECT_TRUE(dll->second.contains(function)) << function << " imported from " << import.dll;
    }
  }
}

TEST_F(ExeInspection, VersionRecordIsTheProjectVersionInGerman) {
  const auto resource = image().findResource("#16", "#1", kGerman);
  ASSERT_TRUE(resource) << "no German version record";
  const VersionNode root = parseVersionResource(resource->data);
  EXPECT_EQ(root.key, u"VS_VERSION_INFO");
  EXPECT_EQ(fileVersion(root), std::to_string(OCXMEDIC_VERSION_MAJOR) + "." + std::to_string(OCXMEDIC_VERSION_MINOR) +
                                   ".0." + std::to_string(OCXMEDIC_VERSION_REVISION));

  // The umlaut must survive the resource compiler's code page.
  const std::string text = OCXMEDIC_VERSION_TEXT;
  const std::pair<std::u16string_view, std::u16string> strings[] = {
      {u"FileVersion", std::u16string(text.begin(), text.end())},
      {u"FileDescription", u"Problemlösung zum Microsoft Update"}};
  for (const auto& [key, value] : strings) {
    const VersionNode* node = nodeAt(root, {u"StringFileInfo", u"040704E4", key});
    ASSERT_NE(node, nullptr) << "no German block in code page 1252, or no " << std::string(key.begin(), key.end());
    EXPECT_EQ(node->text(), value);
  }
  const VersionNode* translation = nodeAt(root, {u"VarFileInfo", u"Translation"});
  ASSERT_TRUE(translation != nullptr && translation->value.size() == 4u);
  EXPECT_EQ(u32At(translation->value, 0), 0x0407u | 1252u << 16) << "language 0x0407, code page 1252";
}

TEST_F(ExeInspection, ManifestAsksForAdministratorAndDeclaresDpiAndSupportedWindows) {
  const auto found = image().findResource("#24", "#1");
  ASSERT_TRUE(found) << "no manifest resource 24/1";
  const std::string text(found->data.begin(), found->data.end());
  const struct {
    const char* what;
    const char* needle;
  } expected[] = {
      {"elevation", "level=\"requireAdministrator\""},
      {"DPI awareness", ">true</dpiAware>"},
      {"common controls 6", "name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\""},
      {"Vista", "{e2011457-1546-43c5-a5fe-008deee3d3f0}"},
      {"Windows 7", "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}"},
      {"Windows 8", "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}"},
      {"Windows 8.1", "{1f676c76-80e1-4239-95bb-83d0f6d0da78}"},
      {"Windows 10 and 11", "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}"},
  };
  for (const auto& [what, needle] : expected) {
    EXPECT_NE(text.find(needle), std::string::npos) << what << ": " << needle;
  }
}

TEST_F(ExeInspection, IconHas16And32PixelImagesIn16And256Colours) {
  const auto group = image().findResource("#14", "#1");
  ASSERT_TRUE(group) << "no icon group 1";
  const std::vector<std::uint8_t> dir(group->data.begin(), group->data.end());
  ASSERT_GE(dir.size(), 6u);
  const std::size_t count = dir[4] | dir[5] << 8;
  ASSERT_GE(dir.size(), 6 + count * 14);

  std::set<std::pair<int, int>> found;  // size, bits per pixel
  for (std::size_t i = 0; i < count; ++i) {
    const std::uint8_t* entry = dir.data() + 6 + i * 14;
    const int size = entry[0] == 0 ? 256 : entry[0];
    const int bits = entry[6] | entry[7] << 8;
    const int id = entry[12] | entry[13] << 8;
    SCOPED_TRACE("icon " + std::to_string(id));
    // The image itself must say the same as the group's entry.
    std::string name = "#";
    name += std::to_string(id);
    const auto icon = image().findResource("#3", name);
    ASSERT_TRUE(icon);
    const std::vector<std::uint8_t> bitmap(icon->data.begin(), icon->data.end());
    ASSERT_GE(bitmap.size(), 40u);
    EXPECT_EQ(static_cast<int>(u32At(bitmap, 4)), size);
    EXPECT_EQ(static_cast<int>(u32At(bitmap, 8)), 2 * size) << "colour and mask rows";
    EXPECT_EQ(bitmap[14] | bitmap[15] << 8, bits);
    found.emplace(size, bits);
  }
  const std::set<std::pair<int, int>> wanted = {{16, 4}, {32, 4}, {16, 8}, {32, 8}};
  EXPECT_TRUE(std::ranges::includes(found, wanted)) << "16 and 32 pixels, each at 4 and 8 bits";
}

TEST_F(ExeInspection, CarriesThePayloadByteForByteAsCustom101InGerman) {
  const fs::path record = kBuildDir / "Ocxmedic.payload";
  ASSERT_TRUE(fs::exists(record)) << "the build names its payload in " << record;
  std::ifstream in(record);
  const std::string payloadPath((std::istreambuf_iterator<char>(in)), {});
  const std::vector<std::uint8_t> payload = readFile(payloadPath);
  ASSERT_FALSE(payload.empty()) << payloadPath;

  const auto carried = image().findResource("CUSTOM", "#101", kGerman);
  ASSERT_TRUE(carried) << "no resource CUSTOM 101 in language 1031";
  ASSERT_EQ(carried->data.size(), payload.size());
  EXPECT_TRUE(std::ranges::equal(carried->data, payload));
}

// Both stand-ins must be what regsvr32 and the survey need: 32-bit DLLs
// with their version and the two entry points under their plain names.
TEST(StandInControl, IsASelfRegisteringDllOfItsVersion) {
  for (const std::string version : {"6.1.98.34", "6.1.98.33"}) {
    const fs::path path = kBuildDir / ("standin-mscomctl-" + version + ".ocx");
    SCOPED_TRACE(path.string());
    if (!fs::exists(path)) {
      GTEST_SKIP() << "no " << path << " (build the mingw-i686 preset first)";
    }
    const PeImage dll = PeImage::load(path);
    EXPECT_EQ(dll.machine(), kMachineI386);
    EXPECT_EQ(dll.optionalMagic(), kPe32);
    EXPECT_NE(dll.characteristics() & kFileIsDll, 0);
    const std::vector<std::string> exported = dll.exportedNames();
    for (const char* entry : {"DllRegisterServer", "DllUnregisterServer"}) {
      EXPECT_NE(std::ranges::find(exported, entry), exported.end()) << entry;
    }
    const auto resource = dll.findResource("#16", "#1");
    ASSERT_TRUE(resource);
    EXPECT_EQ(fileVersion(parseVersionResource(resource->data)), version);
  }
}

}  // namespace
}  // namespace ocx::inspect
