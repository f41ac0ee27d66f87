// Decorators that count what the logic asks of the machine, so that a
// benchmark can say how many keys one survey or one repair run opens and how
// many OS information objects it creates. Every call is passed on unchanged;
// only the counters are added.
#pragma once

#include <cstdint>

#include "platform/os_facts.h"
#include "platform/registry.h"

namespace ocx::bench {

class CountingRegistry final : public Registry {
 public:
  explicit CountingRegistry(Registry& inner) : inner_(inner) {}

  RegStatus openKey(RootKey root, const std::string& subKey, std::uint32_t sam, RegView view, RegHandle& key) override;
  RegStatus openSubKey(RegHandle parent, const std::string& subKey, std::uint32_t sam, RegHandle& key) override;
  RegStatus queryValueInfo(RegHandle key, const std::string& name, RegType& type, std::uint32_t& size) override;
  RegStatus queryValue(RegHandle key, const std::string& name, RegType& type, std::span<std::uint8_t> buffer,
                       std::uint32_t& size) override;
  RegStatus closeKey(RegHandle key) override;
  std::string textFromAnsi(std::span<const std::uint8_t> data) override { return inner_.textFromAnsi(data); }
  RegStatus deleteKeyTree(RegHandle parent, const std::string& child) override;

  // Every RegOpenKeyEx, below a root or below an open key, whether it
  // succeeded or not: a failed open costs Windows a lookup all the same.
  [[nodiscard]] std::uint64_t opens() const { return opens_; }
  void reset() { opens_ = 0; }

 private:
  Registry& inner_;
  std::uint64_t opens_ = 0;
};

class CountingOsFacts final : public OsFacts {
 public:
  explicit CountingOsFacts(OsFacts& inner) : inner_(inner) {}

  bool getVersionEx(OsVersionRecord& record) override;
  bool getProductInfo(std::int32_t major, std::int32_t minor, std::int32_t spMajor, std::int32_t spMinor,
                      std::int32_t& productType) override;
  std::uint16_t systemDefaultLangId() override;
  std::uint32_t verLanguageName(std::uint16_t langId, std::string& name, std::uint32_t bufferChars) override;
  std::uint32_t tickCount() override;
  std::int32_t systemMetrics(SystemMetric index) override;
  ModuleHandle loadLibrary(const std::string& name) override;
  bool hasProcAddress(ModuleHandle module, const std::string& procName) override;
  void freeLibrary(ModuleHandle module) override;
  bool isWow64Process(bool& wow64) override;
  std::string systemMessage(std::uint32_t code) override { return inner_.systemMessage(code); }

  // The start-up probe of clsOSInfo asks the plain 148-byte query exactly
  // once, and nothing else does: the count of those queries is the count of
  // objects created.
  [[nodiscard]] std::uint64_t probes() const { return probes_; }
  void reset() { probes_ = 0; }

 private:
  OsFacts& inner_;
  std::uint64_t probes_ = 0;
};

}  // namespace ocx::bench
