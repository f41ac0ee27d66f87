// Asking a system DLL for an export: the calls and their order are what the
// operating system sees, so each case checks the whole sequence.
#include <gtest/gtest.h>

#include <set>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/os_facts.h"
#include "tests/osinfo/module_only_os.h"

namespace ocx {
namespace {

using Module = testing::ModuleOnlyOs::Module;

struct ExportCase {
  const char* name;
  Module module;
  bool exports;
  bool callThrows;  // the call made while the module is loaded
  bool throws;
  bool exported;
  std::vector<std::string> calls;
};

TEST(ModuleExports, CallsInOrderAndFreesOnlyWhatLoaded) {
  const std::string load = "load kernel32.dll", lookup = "lookup IsWow64Process", call = "call";
  const std::vector<ExportCase> cases = {
      {"exported", Module::Loads, true, false, false, true, {load, lookup, call, "free"}},
      {"not exported", Module::Loads, false, false, false, false, {load, lookup, "free"}},
      // Nothing was loaded, so nothing is looked up and nothing is freed.
      {"not loadable", Module::Missing, true, false, false, false, {load}},
      {"load throws", Module::LoadThrows, true, false, true, false, {load}},
      {"lookup throws", Module::LookupThrows, true, false, true, false, {load, lookup}},
      {"call while loaded throws", Module::Loads, true, true, true, false, {load, lookup, call}},
  };
  for (const ExportCase& c : cases) {
    SCOPED_TRACE(c.name);
    testing::ModuleOnlyOs os(c.module, c.exports ? std::set<std::string>{"IsWow64Process"} : std::set<std::string>{});
    const auto ask = [&] {
      return moduleExports(os, "kernel32.dll", "IsWow64Process", [&] {
        os.calls.push_back(call);
        if (c.callThrows) throw PlatformError(5, "Zugriff verweigert");
      });
    };
    if (c.throws) {
      EXPECT_THROW(ask(), PlatformError);
    } else {
      EXPECT_EQ(ask(), c.exported);
    }
    EXPECT_EQ(os.calls, c.calls);
  }
}

}  // namespace
}  // namespace ocx
