#include "platform/time_convert.h"

#include <cmath>
#include <cstdio>

namespace ocx {

namespace {

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::uint64_t kTicksPerSecond = 10'000'000;
constexpr std::uint64_t kTicksPerMillisecond = 10'000;

// Days since 1970-01-01 of a proleptic Gregorian date; month and day must be
// in range.
constexpr std::int64_t daysFromCivil(std::int64_t year, int month, int day) {
  year -= month <= 2 ? 1 : 0;
  const std::int64_t era = (year >= 0 ? year : year - 399) / 400;
  const std::int64_t yearOfEra = year - era * 400;
  const std::int64_t dayOfYear = (153 * (month > 2 ? month - 3 : month + 9) + 2) / 5 + day - 1;
  const std::int64_t dayOfEra = yearOfEra * 365 + yearOfEra / 4 - yearOfEra / 100 + dayOfYear;
  return era * 146097 + dayOfEra - 719468;
}

struct CivilDate {
  std::int64_t year;
  int month;
  int day;
};

constexpr CivilDate civilFromDays(std::int64_t days) {
  days += 719468;
  const std::int64_t era = (days >= 0 ? days : days - 146096) / 146097;
  const std::int64_t dayOfEra = days - era * 146097;
  const std::int64_t yearOfEra = (dayOfEra - dayOfEra / 1460 + dayOfEra / 36524 - dayOfEra / 146096) / 365;
  const std::int64_t dayOfYear = dayOfEra - (365 * yearOfEra + yearOfEra / 4 - yearOfEra / 100);
  const std::int64_t monthIndex = (5 * dayOfYear + 2) / 153;
  const int day = static_cast<int>(dayOfYear - (153 * monthIndex + 2) / 5 + 1);
  const int month = static_cast<int>(monthIndex < 10 ? monthIndex + 3 : monthIndex - 9);
  return {yearOfEra + era * 400 + (month <= 2 ? 1 : 0), month, day};
}

constexpr std::int64_t kFileTimeEpochDays = daysFromCivil(1601, 1, 1);
constexpr std::int64_t kOleEpochDays = daysFromCivil(1899, 12, 30);
static_assert(-kOleEpochDays == 25569, "1970-01-01 is OLE day 25569");
static_assert(static_cast<std::uint64_t>(-kFileTimeEpochDays) * kSecondsPerDay * kTicksPerSecond ==
                  116444736000000000ull,
              "1970-01-01 is FILETIME 116444736000000000");

std::int64_t floorDiv(std::int64_t value, std::int64_t divisor) {
  std::int64_t quotient = value / divisor;
  if ((value % divisor != 0) && ((value < 0) != (divisor < 0))) --quotient;
  return quotient;
}

}  // namespace

bool FileTimeToSystemTime(FileTime fileTime, SystemTime& systemTime) {
  if (fileTime >= (1ull << 63)) return false;
  const auto totalSeconds = static_cast<std::int64_t>(fileTime / kTicksPerSecond);
  const auto milliseconds = static_cast<int>((fileTime % kTicksPerSecond) / kTicksPerMillisecond);
  const std::int64_t days = totalSeconds / kSecondsPerDay;
  const std::int64_t secondOfDay = totalSeconds % kSecondsPerDay;
  const CivilDate date = civilFromDays(days + kFileTimeEpochDays);
  systemTime.year = static_cast<int>(date.year);
  systemTime.month = date.month;
  systemTime.day = date.day;
  systemTime.hour = static_cast<int>(secondOfDay / 3600);
  systemTime.minute = static_cast<int>(secondOfDay / 60 % 60);
  systemTime.second = static_cast<int>(secondOfDay % 60);
  systemTime.milliseconds = milliseconds;
  return true;
}

bool SystemTimeToFileTime(const SystemTime& st, FileTime& fileTime) {
  if (st.year < 1601 || st.year > 30827 || st.month < 1 || st.month > 12 || st.day < 1 ||
      st.day > daysInMonth(st.year, st.month) || st.hour < 0 || st.hour > 23 || st.minute < 0 || st.minute > 59 ||
      st.second < 0 || st.second > 59 || st.milliseconds < 0 || st.milliseconds > 999) {
    return false;
  }
  const std::int64_t days = daysFromCivil(st.year, st.month, st.day) - kFileTimeEpochDays;
  const std::int64_t seconds =
      days * kSecondsPerDay + std::int64_t{st.hour} * 3600 + std::int64_t{st.minute} * 60 + st.second;
  fileTime =
      static_cast<FileTime>(seconds) * kTicksPerSecond + static_cast<FileTime>(st.milliseconds) * kTicksPerMillisecond;
  return true;
}

bool DosDateTimeToFileTime(std::uint16_t dosDate, std::uint16_t dosTime, FileTime& fileTime) {
  SystemTime st;
  st.day = dosDate & 0x1F;
  st.month = (dosDate >> 5) & 0x0F;
  st.year = 1980 + (dosDate >> 9);
  st.second = (dosTime & 0x1F) * 2;
  st.minute = (dosTime >> 5) & 0x3F;
  st.hour = dosTime >> 11;
  return SystemTimeToFileTime(st, fileTime);
}

double oleDateFromSeconds(std::int64_t seconds) {
  const std::int64_t days = floorDiv(seconds, kSecondsPerDay);
  const double fraction = static_cast<double>(seconds - days * kSecondsPerDay) / kSecondsPerDay;
  // Before 1899-12-30 the integer part counts days back and the fraction
  // still runs forward from that day's midnight, so it is subtracted.
  return days >= 0 ? static_cast<double>(days) + fraction : static_cast<double>(days) - fraction;
}

std::int64_t oleDateToSeconds(double oleDate) {
  const double days = std::trunc(oleDate);
  const double fraction = std::fabs(oleDate - days);
  return static_cast<std::int64_t>(days) * kSecondsPerDay + std::llround(fraction * kSecondsPerDay);
}

double oleDateFromSystemTime(const SystemTime& st) {
  const std::int64_t days = daysFromCivil(st.year, st.month, st.day) - kOleEpochDays;
  return oleDateFromSeconds(days * kSecondsPerDay + std::int64_t{st.hour} * 3600 + std::int64_t{st.minute} * 60 +
                            st.second);
}

SystemTime systemTimeFromOleDate(double oleDate) {
  const std::int64_t seconds = oleDateToSeconds(oleDate);
  const std::int64_t days = floorDiv(seconds, kSecondsPerDay);
  const std::int64_t secondOfDay = seconds - days * kSecondsPerDay;
  const CivilDate date = civilFromDays(days + kOleEpochDays);
  SystemTime st;
  st.year = static_cast<int>(date.year);
  st.month = date.month;
  st.day = date.day;
  st.hour = static_cast<int>(secondOfDay / 3600);
  st.minute = static_cast<int>(secondOfDay / 60 % 60);
  st.second = static_cast<int>(secondOfDay % 60);
  return st;
}

std::string formatOleDate(double oleDate) {
  const SystemTime st = systemTimeFromOleDate(oleDate);
  char text[40];
  std::snprintf(text, sizeof text, "%04d-%02d-%02d %02d:%02d:%02d", st.year, st.month, st.day, st.hour, st.minute,
                st.second);
  return text;
}

}  // namespace ocx
