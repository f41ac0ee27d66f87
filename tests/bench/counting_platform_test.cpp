// The decorators must pass every answer on untouched, or the benchmarks
// would time a different program, and must count exactly the opens and the
// probes, or their counters would mislead.
#include "bench/counting_platform.h"

#include <gtest/gtest.h>

#include <string>
#include <tuple>

#include "bench/counted_session.h"
#include "platform/sim/machine.h"

namespace ocx::bench {
namespace {

constexpr RegHandle kSentinel = 0xB0B0;

TEST(CountingRegistryTest, CountsEveryOpenAndForwardsItsResult) {
  const struct {
    const char* path;
    bool belowOpenKey;  // below HKEY_CLASSES_ROOT\TypeLib, opened first, instead of below the root
  } cases[] = {
      {"TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1", false},
      {"TypeLib\\{00000000-0000-0000-0000-000000000000}", false},
      {"{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0", true},
      {"{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\9.9", true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    auto direct = sim::Machine::createDefault();
    auto decorated = sim::Machine::createDefault();
    CountingRegistry counting(decorated->registry());
    const auto open = [&](Registry& registry, RegHandle& key) {
      if (!c.belowOpenKey) {
        return registry.openKey(RootKey::ClassesRoot, c.path, reg_access::kReadValues, RegView::Default, key);
      }
      RegHandle parent = 0;
      EXPECT_EQ(registry.openKey(RootKey::ClassesRoot, "TypeLib", reg_access::kReadValues, RegView::Default, parent),
                0);
      const RegStatus status = registry.openSubKey(parent, c.path, reg_access::kReadValues, key);
      static_cast<void>(registry.closeKey(parent));
      return status;
    };
    RegHandle directKey = kSentinel;
    RegHandle countedKey = kSentinel;
    const RegStatus expected = open(direct->registry(), directKey);
    EXPECT_EQ(open(counting, countedKey), expected);
    EXPECT_EQ(counting.opens(), c.belowOpenKey ? 2u : 1u);
    if (expected == 0) {
      RegType type = RegType::None;
      std::uint32_t size = 0;
      EXPECT_EQ(counting.queryValueInfo(countedKey, "", type, size), 0);
      EXPECT_EQ(type, RegType::Sz);
      EXPECT_EQ(counting.closeKey(countedKey), 0);
    } else {
      EXPECT_EQ(countedKey, kSentinel) << "a failed open must leave the handle alone";
    }
  }
}

TEST(CountingOsFactsTest, CountsOnlyThePlainQueryAndForwardsTheRecord) {
  auto machine = sim::Machine::createDefault();
  CountingOsFacts counting(machine->os());
  for (const std::uint32_t size : {OsVersionRecord::kPlainSize, OsVersionRecord::kExtendedSize}) {
    SCOPED_TRACE(size);
    OsVersionRecord direct;
    direct.size = size;
    OsVersionRecord counted = direct;
    EXPECT_EQ(counting.getVersionEx(counted), machine->os().getVersionEx(direct));
    EXPECT_EQ(std::tie(counted.majorVersion, counted.buildNumber, counted.csdVersion, counted.productType),
              std::tie(direct.majorVersion, direct.buildNumber, direct.csdVersion, direct.productType));
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
