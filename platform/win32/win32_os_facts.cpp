#include <vector>

#include "platform/win32/win32_platform.h"

namespace ocx::win32 {
namespace {

// Both are looked up at run time: GetProductInfo arrived with Vista, and
// importing either would stop the program from loading where it is missing.
using GetProductInfoFn = BOOL(WINAPI*)(DWORD, DWORD, DWORD, DWORD, PDWORD);
using IsWow64ProcessFn = BOOL(WINAPI*)(HANDLE, PBOOL);

}  // namespace

bool Win32OsFacts::getVersionEx(OsVersionRecord& record) {
  OSVERSIONINFOEXA info{};
  info.dwOSVersionInfoSize = record.size;
  if (record.size > sizeof info || !GetVersionExA(reinterpret_cast<OSVERSIONINFOA*>(&info))) {
    return false;
  }
  record.majorVersion = static_cast<std::int32_t>(info.dwMajorVersion);
  record.minorVersion = static_cast<std::int32_t>(info.dwMinorVersion);
  record.buildNumber = static_cast<std::int32_t>(info.dwBuildNumber);
  record.platformId = static_cast<std::int32_t>(info.dwPlatformId);
  record.csdVersion = fromAnsi(std::string_view(info.szCSDVersion, sizeof info.szCSDVersion));
  if (record.size == OsVersionRecord::kExtendedSize) {
    record.servicePackMajor = static_cast<std::int16_t>(info.wServicePackMajor);
    record.servicePackMinor = static_cast<std::int16_t>(info.wServicePackMinor);
    record.suiteMask = info.wSuiteMask;
    record.productType = info.wProductType;
    record.reserved = info.wReserved;
  }
  return true;
}

bool Win32OsFacts::getProductInfo(std::int32_t major, std::int32_t minor, std::int32_t spMajor, std::int32_t spMinor,
                                  std::int32_t& productType) {
  const auto getProductInfo = kernel32Function<GetProductInfoFn>("GetProductInfo");
  DWORD type = 0;
  if (getProductInfo == nullptr || !getProductInfo(static_cast<DWORD>(major), static_cast<DWORD>(minor),
                                                   static_cast<DWORD>(spMajor), static_cast<DWORD>(spMinor), &type)) {
    return false;
  }
  productType = static_cast<std::int32_t>(type);
  return true;
}

std::uint16_t Win32OsFacts::systemDefaultLangId() {
  return GetSystemDefaultLangID();
}

std::uint32_t Win32OsFacts::verLanguageName(std::uint16_t langId, std::string& name, std::uint32_t bufferChars) {
  std::vector<char> buffer(bufferChars + 1, '\0');
  const DWORD written = VerLanguageNameA(langId, buffer.data(), bufferChars);
  if (written != 0) {
    name = fromAnsi(std::string_view(buffer.data(), std::min<DWORD>(written, bufferChars)));
  }
  return written;
}

std::uint32_t Win32OsFacts::tickCount() {
  return GetTickCount();
}

std::int32_t Win32OsFacts::systemMetrics(SystemMetric index) {
  return GetSystemMetrics(static_cast<int>(index));
}

ModuleHandle Win32OsFacts::loadLibrary(const std::string& name) {
  // A name without a folder means a system DLL here, never a copy of it
  // beside the program.
  const HMODULE module = name.find_first_of("\\/:") == std::string::npos ? loadSystemDll(widen(name).c_str())
                                                                         : LoadLibraryA(toAnsi(name).c_str());
  return reinterpret_cast<ModuleHandle>(module);
}

bool Win32OsFacts::hasProcAddress(ModuleHandle module, const std::string& procName) {
  return module != 0 && GetProcAddress(fromInteger<HMODULE>(module), toAnsi(procName).c_str()) != nullptr;
}

void Win32OsFacts::freeLibrary(ModuleHandle module) {
  if (module != 0) {
    FreeLibrary(fromInteger<HMODULE>(module));
  }
}

bool Win32OsFacts::isWow64Process(bool& wow64) {
  const auto isWow64 = kernel32Function<IsWow64ProcessFn>("IsWow64Process");
  BOOL flag = FALSE;
  if (isWow64 == nullptr || !isWow64(GetCurrentProcess(), &flag)) {
    return false;
  }
  wow64 = flag != FALSE;
  return true;
}

}  // namespace ocx::win32
