#include "bench/counting_platform.h"

namespace ocx::bench {

RegStatus CountingRegistry::openKey(RootKey root, const std::string& subKey, std::uint32_t sam, RegView view,
                                    RegHandle& key) {
  ++opens_;
  return inner_.openKey(root, subKey, sam, view, key);
}

RegStatus CountingRegistry::openSubKey(RegHandle parent, const std::string& subKey, std::uint32_t sam, RegHandle& key) {
  ++opens_;
  return inner_.openSubKey(parent, subKey, sam, key);
}

RegStatus CountingRegistry::queryValueInfo(RegHandle key, const std::string& name, RegType& type, std::uint32_t& size) {
  return inner_.queryValueInfo(key, name, type, size);
}

RegStatus CountingRegistry::queryValue(RegHandle key, const std::string& name, RegType& type,
                                       std::span<std::uint8_t> buffer, std::uint32_t& size) {
  return inner_.queryValue(key, name, type, buffer, size);
}

RegStatus CountingRegistry::closeKey(RegHandle key) {
  return inner_.closeKey(key);
}

RegStatus CountingRegistry::deleteKeyTree(RegHandle parent, const std::string& child) {
  return inner_.deleteKeyTree(parent, child);
}

bool CountingOsFacts::getVersionEx(OsVersionRecord& record) {
  if (record.size == OsVersionRecord::kPlainSize) {
    ++probes_;
  }
  return inner_.getVersionEx(record);
}

bool CountingOsFacts::getProductInfo(std::int32_t major, std::int32_t minor, std::int32_t spMajor, std::int32_t spMinor,
                                     std::int32_t& productType) {
  return inner_.getProductInfo(major, minor, spMajor, spMinor, productType);
}

std::uint16_t CountingOsFacts::systemDefaultLangId() {
  return inner_.systemDefaultLangId();
}

std::uint32_t CountingOsFacts::verLanguageName(std::uint16_t langId, std::string& name, std::uint32_t bufferChars) {
  return inner_.verLanguageName(langId, name, bufferChars);
}

std::uint32_t CountingOsFacts::tickCount() {
  return inner_.tickCount();
}

std::int32_t CountingOsFacts::systemMetrics(SystemMetric index) {
  return inner_.systemMetrics(index);
}

ModuleHandle CountingOsFacts::loadLibrary(const std::string& name) {
  return inner_.loadLibrary(name);
}

bool CountingOsFacts::hasProcAddress(ModuleHandle module, const std::string& procName) {
  return inner_.hasProcAddress(module, procName);
}

void CountingOsFacts::freeLibrary(ModuleHandle module) {
  inner_.freeLibrary(module);
}

bool CountingOsFacts::isWow64Process(bool& wow64) {
  return inner_.isWow64Process(wow64);
}

}  // namespace ocx::bench
