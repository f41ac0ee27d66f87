// A test build decides by ntdll's exports whether it may run: only Wine's
// ntdll has wine_get_version.
#include "app/standin_guard.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "app/texts.h"
#include "platform/error.h"
#include "session_fixture.h"

namespace ocx {
namespace {

// An operating system whose ntdll has the exports it is given; everything
// the guard has no business asking fails the test.
class NtdllOnly final : public OsFacts {
 public:
  enum class Ntdll { Missing, Windows, Wine, Throws };
  explicit NtdllOnly(Ntdll ntdll) : ntdll_(ntdll) {}

  ModuleHandle loadLibrary(const std::string& name) override {
    if (ntdll_ == Ntdll::Throws) throw PlatformError(126, "Das angegebene Modul wurde nicht gefunden.");
    EXPECT_EQ(name, "ntdll.dll");
    return ntdll_ == Ntdll::Missing ? 0 : kNtdll;
  }
  bool hasProcAddress(ModuleHandle module, const std::string& procName) override {
    EXPECT_EQ(module, kNtdll);
    asked.push_back(procName);
    return ntdll_ == Ntdll::Wine && procName == "wine_get_version";
  }
  void freeLibrary(ModuleHandle module) override {
    EXPECT_EQ(module, kNtdll);
    ++freed;
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

  std::vector<std::string> asked;
  int freed = 0;

 private:
  static constexpr ModuleHandle kNtdll = 0x7c900000;
  static bool unexpected() {
    ADD_FAILURE() << "the guard asks the operating system more than ntdll's exports";
    return false;
  }
  Ntdll ntdll_;
};

struct GuardCase {
  const char* name;
  NtdllOnly::Ntdll ntdll;
  bool mayRun;
  int freed;
};

class StandinGuard : public ::testing::TestWithParam<GuardCase> {};

TEST_P(StandinGuard, RunsOnlyUnderWineAndOtherwiseSaysWhy) {
  const GuardCase& c = GetParam();
  auto session = testing::startSession("", false);
  NtdllOnly os(c.ntdll);

  EXPECT_EQ(StandinBuildMayRun(os, session->window()), c.mayRun);

  EXPECT_EQ(os.freed, c.freed) << "a loaded ntdll is released again";
  if (c.mayRun) {
    EXPECT_TRUE(session->window().messages().empty());
  } else {
    testing::expectOnlyMessage(*session, texts::kStandinBuildText, texts::kStandinBuildTitle, MessageIcon::Critical);
  }
}

INSTANTIATE_TEST_SUITE_P(Ntdll, StandinGuard,
                         ::testing::Values(GuardCase{"Wine", NtdllOnly::Ntdll::Wine, true, 1},
                                           GuardCase{"Windows", NtdllOnly::Ntdll::Windows, false, 1},
                                           GuardCase{"NotLoadable", NtdllOnly::Ntdll::Missing, false, 0},
                                           GuardCase{"LookupThrows", NtdllOnly::Ntdll::Throws, false, 0}),
                         [](const ::testing::TestParamInfo<GuardCase>& info) { return std::string(info.param.name); });

TEST(StandinGuardOnTheSimulatedMachine, ASimulatedWindowsIsNoWine) {
  auto session = testing::startSession("", false);
  EXPECT_FALSE(RunsUnderWine(session->platform().os));
}

}  // namespace
}  // namespace ocx
