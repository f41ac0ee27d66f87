// A test build decides by ntdll's exports whether it may run: only Wine's
// ntdll has wine_get_version.
#include "app/standin_guard.h"

#include <gtest/gtest.h>

#include <set>
#include <string>

#include "app/texts.h"
#include "session_fixture.h"
#include "tests/osinfo/module_only_os.h"

namespace ocx {
namespace {

using Module = testing::ModuleOnlyOs::Module;

// Which calls reach the module and that a loaded one is released is the
// export check's own test; here the module asked about and the answer.
TEST(StandinGuard, RunsOnlyUnderWineAndOtherwiseSaysWhy) {
  const struct {
    const char* name;
    Module ntdll;
    std::set<std::string> exports;
    bool mayRun;
  } rows[] = {{"Wine", Module::Loads, {"wine_get_version"}, true},
              {"Windows", Module::Loads, {"NtQueryInformationProcess"}, false},
              {"lookup throws", Module::LookupThrows, {"wine_get_version"}, false}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    auto session = testing::startSession("", false);
    testing::ModuleOnlyOs os(row.ntdll, row.exports);
    EXPECT_EQ(StandinBuildMayRun(os, session->window()), row.mayRun);
    ASSERT_FALSE(os.calls.empty());
    EXPECT_EQ(os.calls.front(), "load ntdll.dll");
    if (row.mayRun) {
      EXPECT_TRUE(session->window().messages().empty());
    } else {
      testing::expectOnlyMessage(*session, texts::kStandinBuildText, texts::kStandinBuildTitle, MessageIcon::Critical);
    }
  }
}

TEST(StandinGuardOnTheSimulatedMachine, ASimulatedWindowsIsNoWine) {
  auto session = testing::startSession("", false);
  EXPECT_FALSE(RunsUnderWine(session->platform().os));
}

}  // namespace
}  // namespace ocx
