// An operating system that is asked only about modules: it records every
// load, lookup and release in order, and fails the test on any other call.
#pragma once

#include <gtest/gtest.h>

#include <set>
#include <string>
#include <utility>
#include <vector>

#include "platform/error.h"
#include "platform/os_facts.h"

namespace ocx::testing {

class ModuleOnlyOs final : public OsFacts {
 public:
  enum class Module { Loads, Missing, LoadThrows, LookupThrows };

  ModuleOnlyOs(Module module, std::set<std::string> exports) : module_(module), exports_(std::move(exports)) {}

  ModuleHandle loadLibrary(const std::string& name) override {
    calls.push_back("load " + name);
    if (module_ == Module::LoadThrows) throw PlatformError(126, "Das angegebene Modul wurde nicht gefunden.");
    return module_ == Module::Missing ? 0 : kModule;
  }
  bool hasProcAddress(ModuleHandle module, const std::string& procName) override {
    EXPECT_EQ(module, kModule);
    calls.push_back("lookup " + procName);
    if (module_ == Module::LookupThrows) throw PlatformError(127, "Die angegebene Prozedur wurde nicht gefunden.");
    return exports_.contains(procName);
  }
  void freeLibrary(ModuleHandle module) override {
    EXPECT_EQ(module, kModule);
    calls.push_back("free");
  }

  bool getVersionEx(OsVersionRecord&) override { return unexpected(); }
  bool getProductInfo(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t&) override {
    return unexpected();
  }
  std::uint16_t systemDefaultLangId() override { return unexpected(); }
  std::uint32_t verLanguageName(std::uint16_t, std::string&, std::uint32_t) override { return unexpected(); }
  std::uint32_t tickCount() override { return unexpected(); }
  std::int32_t systemMetrics(SystemMetric) override { return unexpected(); }
  bool isWow64Process(bool&) override { return unexpected(); }
  std::string systemMessage(std::uint32_t) override {
    unexpected();
    return {};
  }

  std::vector<std::string> calls;

 private:
  static constexpr ModuleHandle kModule = 0x7c800000;
  static bool unexpected() {
    ADD_FAILURE() << "only modules are asked about";
    return false;
  }
  Module module_;
  std::set<std::string> exports_;
};

}  // namespace ocx::testing
