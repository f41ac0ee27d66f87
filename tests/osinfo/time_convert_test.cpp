#include "platform/time_convert.h"

#include <gtest/gtest.h>

namespace ocx {
namespace {

std::string show(const SystemTime& t) {
  return testing::PrintToString(std::vector<int>{t.year, t.month, t.day, t.hour, t.minute, t.second, t.milliseconds});
}

TEST(FileTimeFields, ConvertBothWaysAndRefuseOutOfRangeLeavingTheOutputAlone) {
  const struct {
    FileTime fileTime;
    SystemTime fields;
  } rows[] = {
      {0, {1601, 1, 1, 0, 0, 0, 0}},
      {125963012967890000ull, {2000, 2, 29, 12, 34, 56, 789}},
      {116444736000000000ull - 10'000'000ull, {1969, 12, 31, 23, 59, 59, 0}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(show(row.fields));
    SystemTime fields;
    ASSERT_TRUE(FileTimeToSystemTime(row.fileTime, fields));
    EXPECT_EQ(fields, row.fields);
    FileTime back = 1;
    ASSERT_TRUE(SystemTimeToFileTime(row.fields, back));
    EXPECT_EQ(back, row.fileTime);
  }

  const SystemTime sentinel{1, 2, 3, 4, 5, 6, 7};
  SystemTime fields = sentinel;
  EXPECT_FALSE(FileTimeToSystemTime(1ull << 63, fields));
  EXPECT_EQ(fields, sentinel);
  EXPECT_TRUE(FileTimeToSystemTime((1ull << 63) - 1, fields));
  EXPECT_EQ(fields.year, 30828);
  for (const SystemTime& bad : {SystemTime{1900, 2, 29, 0, 0, 0, 0},
                                {2001, 4, 31, 0, 0, 0, 0},
                                {1600, 12, 31, 23, 59, 59, 0},
                                {2001, 13, 1, 0, 0, 0, 0},
                                {2001, 1, 1, 24, 0, 0, 0},
                                {2001, 1, 1, 0, 0, 60, 0}}) {
    SCOPED_TRACE(show(bad));
    FileTime fileTime = 42;
    EXPECT_FALSE(SystemTimeToFileTime(bad, fileTime));
    EXPECT_EQ(fileTime, 42u);
  }
}

TEST(DosDateTime, DecodesFieldsAndRefusesImpossibleOnes) {
  const auto dos = [](int y, int m, int d) { return static_cast<std::uint16_t>(((y - 1980) << 9) | (m << 5) | d); };
  const struct {
    std::uint16_t date, time;
    std::optional<SystemTime> fields;
  } rows[] = {
      // A stamp with a time of day is decoded among the install dates.
      {dos(2000, 2, 29), 0, SystemTime{2000, 2, 29, 0, 0, 0, 0}},
      {dos(1999, 5, 0), 0, std::nullopt},
      {dos(1999, 2, 29), 0, std::nullopt},
      {dos(1999, 5, 17), 24 << 11, std::nullopt},
      {dos(1999, 5, 17), 30, std::nullopt},  // sixty seconds
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.date << " " << row.time);
    FileTime fileTime = 7;
    ASSERT_EQ(DosDateTimeToFileTime(row.date, row.time, fileTime), row.fields.has_value());
    // Refused: the output keeps its 7.
    SystemTime fields;
    const bool decoded = row.fields && FileTimeToSystemTime(fileTime, fields);
    EXPECT_EQ(decoded ? show(fields) : std::to_string(fileTime), row.fields ? show(*row.fields) : "7");
  }
}

TEST(OleDate, MatchesTheOleCalendarAndPrintsWholeSeconds) {
  const struct {
    SystemTime fields;
    double oleDate;
    std::string text;
  } rows[] = {
      {{1899, 12, 30, 0, 0, 0, 0}, 0.0, "1899-12-30 00:00:00"},
      {{2012, 8, 20, 12, 0, 0, 999}, 41141.5, "2012-08-20 12:00:00"},  // milliseconds are dropped
      {{1899, 12, 29, 6, 0, 0, 0}, -1.25, "1899-12-29 06:00:00"},      // fraction counts away from zero
      {{1601, 1, 1, 18, 0, 0, 0}, -109205.75, "1601-01-01 18:00:00"},
      {{9999, 12, 31, 0, 0, 0, 0}, 2958465.0, "9999-12-31 00:00:00"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_DOUBLE_EQ(oleDateFromSystemTime(row.fields), row.oleDate);
    EXPECT_EQ(formatOleDate(row.oleDate), row.text);
    SystemTime whole = row.fields;
    whole.milliseconds = 0;
    EXPECT_EQ(systemTimeFromOleDate(row.oleDate), whole);
  }
  // Arithmetic noise must not cost a second, and a day's last half second
  // rounds into the next day.
  EXPECT_EQ(formatOleDate(41141.5 - 1e-9), "2012-08-20 12:00:00");
  EXPECT_EQ(formatOleDate(41141.0 - 0.4 / 86400), "2012-08-20 00:00:00");
  EXPECT_EQ(oleDateToSeconds(oleDateFromSeconds(-1)), -1);
}

}  // namespace
}  // namespace ocx
