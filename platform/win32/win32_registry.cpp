#include <algorithm>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace ocx::win32 {
namespace {

HKEY toHkey(RegHandle handle) {
  return fromInteger<HKEY>(handle);
}

}  // namespace

// shlwapi is not a KnownDLL on every Windows this program runs on.
Win32Registry::Win32Registry()
    : shlwapi_(L"shlwapi.dll"), shDeleteKeyA_(shlwapi_.function<ShDeleteKeyA>("SHDeleteKeyA")) {}

RegStatus Win32Registry::open(HKEY parent, const std::string& subKey, std::uint32_t sam, RegView view, RegHandle& key) {
  const REGSAM viewFlag = view == RegView::Wow64_64 ? KEY_WOW64_64KEY : 0;
  HKEY opened = nullptr;
  const LONG status = RegOpenKeyExA(parent, toAnsi(subKey).c_str(), 0, sam | viewFlag, &opened);
  if (status == ERROR_SUCCESS) {
    key = reinterpret_cast<RegHandle>(opened);
    if (view == RegView::Wow64_64) {
      opened64_.insert(key);
    }
  }
  return status;
}

RegStatus Win32Registry::openKey(RootKey root, const std::string& subKey, std::uint32_t sam, RegView view,
                                 RegHandle& key) {
  return open(toHkey(static_cast<RegHandle>(root)), subKey, sam, view, key);
}

RegStatus Win32Registry::openSubKey(RegHandle parent, const std::string& subKey, std::uint32_t sam, RegHandle& key) {
  const RegView view = opened64_.contains(parent) ? RegView::Wow64_64 : RegView::Default;
  return open(toHkey(parent), subKey, sam, view, key);
}

RegStatus Win32Registry::queryValueInfo(RegHandle key, const std::string& name, RegType& type, std::uint32_t& size) {
  DWORD valueType = 0;
  DWORD valueSize = 0;
  const LONG status = RegQueryValueExA(toHkey(key), toAnsi(name).c_str(), nullptr, &valueType, nullptr, &valueSize);
  if (status == ERROR_SUCCESS) {
    type = static_cast<RegType>(valueType);
    size = valueSize;
  }
  return status;
}

RegStatus Win32Registry::queryValue(RegHandle key, const std::string& name, RegType& type,
                                    std::span<std::uint8_t> buffer, std::uint32_t& size) {
  // Read into a copy: Windows may fill part of a buffer that turns out too
  // small, and the caller's must stay as it was then.
  // It is never empty: without a buffer Windows would answer the size query
  // with success instead of reporting the buffer as too small.
  std::vector<std::uint8_t> data(std::max<std::size_t>(buffer.size(), 1));
  DWORD valueType = 0;
  DWORD valueSize = static_cast<DWORD>(buffer.size());
  const LONG status = RegQueryValueExA(toHkey(key), toAnsi(name).c_str(), nullptr, &valueType, data.data(), &valueSize);
  if (status == ERROR_SUCCESS) {
    std::copy_n(data.begin(), std::min<std::size_t>(valueSize, buffer.size()), buffer.begin());
    type = static_cast<RegType>(valueType);
    size = valueSize;
  } else if (status == ERROR_MORE_DATA) {
    size = valueSize;
  }
  return status;
}

RegStatus Win32Registry::closeKey(RegHandle key) {
  opened64_.erase(key);
  return RegCloseKey(toHkey(key));
}

std::string Win32Registry::textFromAnsi(std::span<const std::uint8_t> data) {
  return fromAnsi(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

RegStatus Win32Registry::deleteKeyTree(RegHandle parent, const std::string& child) {
  if (shDeleteKeyA_ == nullptr) {
    return ERROR_PROC_NOT_FOUND;
  }
  return static_cast<RegStatus>(shDeleteKeyA_(toHkey(parent), toAnsi(child).c_str()));
}

}  // namespace ocx::win32
