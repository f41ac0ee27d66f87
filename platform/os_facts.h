// What the operating system says about itself.
#pragma once

#include <cstdint>
#include <string>

namespace ocx {

// OSVERSIONINFOEXA as GetVersionExA exchanges it. `size` chooses the plain
// (148) or the extended (156) form; the plain form fills neither the
// service-pack numbers nor the suite mask nor the product type.
struct OsVersionRecord {
  static constexpr std::uint32_t kPlainSize = 148;
  static constexpr std::uint32_t kExtendedSize = 156;
  static constexpr std::size_t kCsdChars = 128;

  std::uint32_t size = 0;
  std::int32_t majorVersion = 0;
  std::int32_t minorVersion = 0;
  std::int32_t buildNumber = 0;
  std::int32_t platformId = 0;
  // szCSDVersion: the whole 128-character buffer converted to UTF-8, its NUL
  // padding kept (a text of 128 characters has no NUL at all).
  std::string csdVersion;
  std::int16_t servicePackMajor = 0;
  std::int16_t servicePackMinor = 0;
  std::uint16_t suiteMask = 0;
  std::uint8_t productType = 0;
  std::uint8_t reserved = 0;
};

using ModuleHandle = std::uintptr_t;

// The GetSystemMetrics indexes the program asks for.
enum class SystemMetric : int {
  TabletPc = 86,     // SM_TABLETPC
  MediaCenter = 87,  // SM_MEDIACENTER
  Starter = 88,      // SM_STARTER
  ServerR2 = 89,     // SM_SERVERR2
};

class OsFacts {
 public:
  virtual ~OsFacts() = default;

  // GetVersionExA: fills `record` in the form its `size` asks for; false
  // when the query fails, and `record` is then untouched.
  virtual bool getVersionEx(OsVersionRecord& record) = 0;

  // GetProductInfo: false when the call fails (or Windows has none).
  virtual bool getProductInfo(std::int32_t major, std::int32_t minor, std::int32_t spMajor, std::int32_t spMinor,
                              std::int32_t& productType) = 0;

  [[nodiscard]] virtual std::uint16_t systemDefaultLangId() = 0;

  // VerLanguageNameA into a buffer of `bufferChars` characters: the number
  // of characters written (0 on failure) and the name in `name`.
  virtual std::uint32_t verLanguageName(std::uint16_t langId, std::string& name, std::uint32_t bufferChars) = 0;

  // GetTickCount.
  [[nodiscard]] virtual std::uint32_t tickCount() = 0;

  // GetSystemMetrics.
  [[nodiscard]] virtual std::int32_t systemMetrics(SystemMetric index) = 0;

  // LoadLibraryA, GetProcAddress (presence only), FreeLibrary. A name
  // without a folder is a system DLL, loaded from the system folder only.
  [[nodiscard]] virtual ModuleHandle loadLibrary(const std::string& name) = 0;
  [[nodiscard]] virtual bool hasProcAddress(ModuleHandle module, const std::string& procName) = 0;
  virtual void freeLibrary(ModuleHandle module) = 0;

  // IsWow64Process(GetCurrentProcess(), &flag): false when the call fails.
  virtual bool isWow64Process(bool& wow64) = 0;

  // FormatMessage of a Win32 error code: the system's own text for it, in
  // the system's language, without the trailing line break.
  [[nodiscard]] virtual std::string systemMessage(std::uint32_t code) = 0;
};

// Whether `module` exports `procName`: LoadLibraryA, GetProcAddress and, once
// loaded, FreeLibrary. `whileExported` runs between the lookup and the
// release when the name is there, for a call that needs the module loaded.
// A module that does not load is not freed. A call that throws ends it there:
// the module stays loaded and the exception travels on.
template <typename WhileExported>
bool moduleExports(OsFacts& os, const std::string& module, const std::string& procName, WhileExported&& whileExported) {
  const ModuleHandle handle = os.loadLibrary(module);
  if (handle == 0) {
    return false;
  }
  const bool exported = os.hasProcAddress(handle, procName);
  if (exported) {
    whileExported();
  }
  os.freeLibrary(handle);
  return exported;
}

[[nodiscard]] inline bool moduleExports(OsFacts& os, const std::string& module, const std::string& procName) {
  return moduleExports(os, module, procName, [] {});
}

}  // namespace ocx
