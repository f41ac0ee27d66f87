// The decorators must pass every answer on untouched, or the benchmarks
// would time a different program, and must count exactly the opens and the
// probes, or their counters would mislead.
#include "bench/counting_platform.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

#include "bench/counted_session.h"
#include "platform/sim/machine.h"

namespace ocx::bench {
namespace {

constexpr char kTypeLib21[] = "TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1";
constexpr RegHandle kSentinel = 0xB0B0;

struct OpenCase {
  const char* name;
  RootKey root;
  const char* path;
  // Below the key opened first instead of below the root.
  bool belowOpenKey;
};

class CountingRegistryTest : public ::testing::TestWithParam<OpenCase> {};

TEST_P(CountingRegistryTest, CountsEveryOpenAndForwardsItsResult) {
  const OpenCase& c = GetParam();
  auto direct = sim::Machine::createDefault();
  auto decorated = sim::Machine::createDefault();
  CountingRegistry counting(decorated->registry());

  auto open = [&](Registry& registry, RegHandle& key) {
    if (!c.belowOpenKey) {
      return registry.openKey(c.root, c.path, reg_access::kReadValues, key);
    }
    RegHandle parent = 0;
    EXPECT_EQ(registry.openKey(RootKey::ClassesRoot, "TypeLib", reg_access::kReadValues, parent), 0);
    const RegStatus status = registry.openSubKey(parent, c.path, reg_access::kReadValues, key);
    static_cast<void>(registry.closeKey(parent));
    return status;
  };

  RegHandle directKey = kSentinel;
  RegHandle countedKey = kSentinel;
  const RegStatus expected = open(direct->registry(), directKey);
  const RegStatus actual = open(counting, countedKey);

  EXPECT_EQ(actual, expected);
  EXPECT_EQ(counting.opens(), c.belowOpenKey ? 2u : 1u);
  if (expected == 0) {
    std::uint32_t type = 0;
    std::uint32_t size = 0;
    EXPECT_EQ(counting.queryValueInfo(countedKey, "", type, size), 0);
    EXPECT_EQ(type, reg_type::kSz);
    EXPECT_EQ(counting.closeKey(countedKey), 0);
    static_cast<void>(direct->registry().closeKey(directKey));
  } else {
    EXPECT_EQ(countedKey, kSentinel) << "a failed open must leave the handle alone";
  }
}

INSTANTIATE_TEST_SUITE_P(Opens, CountingRegistryTest,
                         ::testing::Values(OpenCase{"ExistingKey", RootKey::ClassesRoot, kTypeLib21, false},
                                           OpenCase{"MissingKey", RootKey::ClassesRoot,
                                                    "TypeLib\\{00000000-0000-0000-0000-000000000000}", false},
                                           OpenCase{"SubKeyOfOpenKey", RootKey::ClassesRoot,
                                                    "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0", true},
                                           OpenCase{"MissingSubKey", RootKey::ClassesRoot,
                                                    "{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\9.9", true}),
                         [](const ::testing::TestParamInfo<OpenCase>& info) { return std::string(info.param.name); });

TEST(CountingOsFactsTest, CountsOnlyThePlainQueryAndForwardsTheRecord) {
  auto machine = sim::Machine::createDefault();
  CountingOsFacts counting(machine->os());
  for (const std::uint32_t size : {OsVersionRecord::kPlainSize, OsVersionRecord::kExtendedSize}) {
    SCOPED_TRACE(size);
    OsVersionRecord direct;
    direct.size = size;
    OsVersionRecord counted = direct;
    EXPECT_EQ(counting.getVersionEx(counted), machine->os().getVersionEx(direct));
    EXPECT_EQ(counted.majorVersion, direct.majorVersion);
    EXPECT_EQ(counted.buildNumber, direct.buildNumber);
    EXPECT_EQ(counted.csdVersion, direct.csdVersion);
    EXPECT_EQ(counted.productType, direct.productType);
  }
  EXPECT_EQ(counting.probes(), 1u);
}

// The survey makes one object for itself and one for each of its four key
// checks; the repair run one for each of its two. Only the checks open keys
// in the survey.
TEST(CountedSessionTest, CountsWhatTheSurveyAndTheRepairRunCause) {
  CountedSession session(R"({"clock": {"now": "2012-08-20 14:05:09", "utc_offset_minutes": 120}})");
  session.form().Start();
  EXPECT_EQ(session.osInfoCreations(), 5u);
  EXPECT_EQ(session.registryOpens(), 4u);

  session.resetCounts();
  session.form().cmdGo_Click();
  ASSERT_TRUE(session.form().ended());
  EXPECT_EQ(session.osInfoCreations(), 2u);
  EXPECT_GE(session.registryOpens(), 2u);
}

}  // namespace
}  // namespace ocx::bench
