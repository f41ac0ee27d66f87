#include <cstring>

#include "platform/win32/win32_platform.h"

namespace ocx::win32 {
namespace {

// version.dll is no KnownDLL: a planted copy would be loaded before the
// system's if it were imported.
constexpr wchar_t kVersionDll[] = L"version.dll";

bool copyRootBlock(const void* root, UINT length, FixedFileInfo& info) {
  if (root == nullptr || length < sizeof(FixedFileInfo)) {
    return false;
  }
  std::memcpy(&info, root, sizeof(FixedFileInfo));
  return true;
}

}  // namespace

Win32VersionInfo::Win32VersionInfo()
    : version_(kVersionDll),
      sizeA_(version_.function<SizeA>("GetFileVersionInfoSizeA")),
      infoA_(version_.function<InfoA>("GetFileVersionInfoA")),
      queryA_(version_.function<QueryA>("VerQueryValueA")) {}

std::uint32_t Win32VersionInfo::fileVersionInfoSize(const std::string& path) {
  if (sizeA_ == nullptr) {
    return 0;
  }
  DWORD ignored = 0;
  return sizeA_(toAnsi(path).c_str(), &ignored);
}

bool Win32VersionInfo::fileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) {
  if (infoA_ == nullptr || size == 0) {
    return false;
  }
  std::vector<std::uint8_t> read(size);
  if (!infoA_(toAnsi(path).c_str(), 0, size, read.data())) {
    return false;
  }
  block = std::move(read);
  return true;
}

bool Win32VersionInfo::queryRootBlock(const std::vector<std::uint8_t>& block, FixedFileInfo& info) {
  if (queryA_ == nullptr || block.empty()) {
    return false;
  }
  // VerQueryValueA may convert a Unicode block in place, so it gets a copy.
  std::vector<std::uint8_t> copy = block;
  void* root = nullptr;
  UINT length = 0;
  if (!queryA_(copy.data(), "\\", &root, &length)) {
    return false;
  }
  return copyRootBlock(root, length, info);
}

std::optional<FixedFileInfo> fixedFileInfoOf(const std::wstring& path) {
  using SizeW = DWORD(WINAPI*)(LPCWSTR, LPDWORD);
  using InfoW = BOOL(WINAPI*)(LPCWSTR, DWORD, DWORD, LPVOID);
  using QueryW = BOOL(WINAPI*)(LPCVOID, LPCWSTR, LPVOID*, PUINT);
  const SystemLibrary version(kVersionDll);
  const auto sizeW = version.function<SizeW>("GetFileVersionInfoSizeW");
  const auto infoW = version.function<InfoW>("GetFileVersionInfoW");
  const auto queryW = version.function<QueryW>("VerQueryValueW");
  if (sizeW == nullptr || infoW == nullptr || queryW == nullptr) {
    return std::nullopt;
  }
  DWORD ignored = 0;
  const DWORD size = sizeW(path.c_str(), &ignored);
  if (size == 0) {
    return std::nullopt;
  }
  std::vector<std::uint8_t> block(size);
  void* root = nullptr;
  UINT length = 0;
  FixedFileInfo info;
  if (!infoW(path.c_str(), 0, size, block.data()) || !queryW(block.data(), L"\\", &root, &length) ||
      !copyRootBlock(root, length, info)) {
    return std::nullopt;
  }
  return info;
}

}  // namespace ocx::win32
