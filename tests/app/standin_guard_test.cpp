// A test build decides by ntdll's exports whether it may run: only Wine's
// ntdll has wine_get_version.
#include "app/standin_guard.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <set>
#include <string>

#include "app/texts.h"
#include "session_fixture.h"
#include "tests/osinfo/module_only_os.h"

namespace ocx {
namespace {

using Module = testing::ModuleOnlyOs::Module;

struct GuardCase {
  const char* name;
  Module ntdll;
  std::set<std::string> exports;
  bool mayRun;
};

class StandinGuard : public ::testing::TestWithParam<GuardCase> {};

TEST_P(StandinGuard, RunsOnlyUnderWineAndOtherwiseSaysWhy) {
  const GuardCase& c = GetParam();
  auto session = testing::startSession("", false);
  testing::ModuleOnlyOs os(c.ntdll, c.exports);

  EXPECT_EQ(StandinBuildMayRun(os, session->window()), c.mayRun);

  ASSERT_FALSE(os.calls.empty());
  EXPECT_EQ(os.calls.front(), "load ntdll.dll");
  const bool loaded = c.ntdll == Module::Loads;
  EXPECT_EQ(std::ranges::count(os.calls, "free"), loaded ? 1 : 0) << "a loaded ntdll is released again";
  if (c.mayRun) {
    EXPECT_TRUE(session->window().messages().empty());
  } else {
    testing::expectOnlyMessage(*session, texts::kStandinBuildText, texts::kStandinBuildTitle, MessageIcon::Critical);
  }
}

INSTANTIATE_TEST_SUITE_P(Ntdll, StandinGuard,
                         ::testing::Values(GuardCase{"Wine", Module::Loads, {"wine_get_version"}, true},
                                           GuardCase{"Windows", Module::Loads, {"NtQueryInformationProcess"}, false},
                                           GuardCase{"NotLoadable", Module::Missing, {}, false},
                                           GuardCase{
                                               "LookupThrows", Module::LookupThrows, {"wine_get_version"}, false}),
                         [](const ::testing::TestParamInfo<GuardCase>& info) { return std::string(info.param.name); });

TEST(StandinGuardOnTheSimulatedMachine, ASimulatedWindowsIsNoWine) {
  auto session = testing::startSession("", false);
  EXPECT_FALSE(RunsUnderWine(session->platform().os));
}

}  // namespace
}  // namespace ocx
