// Asking a system DLL for an export: the calls and their order are what the
// operating system sees, so each case checks the whole sequence.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/os_facts.h"

namespace ocx {
namespace {

constexpr ModuleHandle kModule = 0x7c800000;

// Records the module calls; anything else fails the test.
class RecordingOs final : public OsFacts {
 public:
  enum class Fails { Nothing, Load, Lookup };

  RecordingOs(bool loads, bool exports, Fails fails) : loads_(loads), exports_(exports), fails_(fails) {}

  ModuleHandle loadLibrary(const std::string& name) override {
    calls.push_back("load " + name);
    if (fails_ == Fails::Load) throw PlatformError(126, "Das angegebene Modul wurde nicht gefunden.");
    return loads_ ? kModule : 0;
  }
  bool hasProcAddress(ModuleHandle module, const std::string& procName) override {
    EXPECT_EQ(module, kModule);
    calls.push_back("lookup " + procName);
    if (fails_ == Fails::Lookup) throw PlatformError(127, "Die angegebene Prozedur wurde nicht gefunden.");
    return exports_;
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
  static bool unexpected() {
    ADD_FAILURE() << "only the module is asked";
    return false;
  }
  bool loads_;
  bool exports_;
  Fails fails_;
};

struct ExportCase {
  const char* name;
  bool loads;
  bool exports;
  RecordingOs::Fails fails;
  bool actionThrows;
  bool throws;
  bool exported;
  std::vector<std::string> calls;
};

TEST(ModuleExports, CallsInOrderAndFreesOnlyWhatLoaded) {
  using Fails = RecordingOs::Fails;
  const std::vector<ExportCase> cases = {
      {"exported",
       true,
       true,
       Fails::Nothing,
       false,
       false,
       true,
       {"load kernel32.dll", "lookup IsWow64Process", "while loaded", "free"}},
      {"not exported",
       true,
       false,
       Fails::Nothing,
       false,
       false,
       false,
       {"load kernel32.dll", "lookup IsWow64Process", "free"}},
      // Nothing was loaded, so nothing is freed and nothing is looked up.
      {"not loadable", false, true, Fails::Nothing, false, false, false, {"load kernel32.dll"}},
      {"load throws", true, true, Fails::Load, false, true, false, {"load kernel32.dll"}},
      {"lookup throws", true, true, Fails::Lookup, false, true, false, {"load kernel32.dll", "lookup IsWow64Process"}},
      {"call while loaded throws",
       true,
       true,
       Fails::Nothing,
       true,
       true,
       false,
       {"load kernel32.dll", "lookup IsWow64Process", "while loaded"}},
  };
  for (const ExportCase& c : cases) {
    SCOPED_TRACE(c.name);
    RecordingOs os(c.loads, c.exports, c.fails);
    const auto ask = [&] {
      return moduleExports(os, "kernel32.dll", "IsWow64Process", [&] {
        os.calls.push_back("while loaded");
        if (c.actionThrows) throw PlatformError(5, "Zugriff verweigert");
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
