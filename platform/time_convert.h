// Time conversions that are pure arithmetic on published formats, so the
// logic needs no operating system for them: FILETIME (100-ns intervals since
// 1601-01-01), SYSTEMTIME fields, MS-DOS date and time, and OLE Automation
// dates (days since 1899-12-30 with the time of day as the fraction).
//
// Each conversion that Windows can refuse returns false then and leaves its
// out-parameter untouched, as Windows does.
#pragma once

#include <cstdint>
#include <string>

#include "platform/clock.h"

namespace ocx {

using FileTime = std::uint64_t;

// The days of a month (1 to 12) of the Gregorian calendar.
constexpr int daysInMonth(std::int64_t year, int month) {
  constexpr int kDays[] = {31, 28, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
  const bool leap = (year % 4 == 0 && year % 100 != 0) || year % 400 == 0;
  return month == 2 && leap ? 29 : kDays[month - 1];
}

// FileTimeToSystemTime: fails for times at or beyond 2^63.
bool FileTimeToSystemTime(FileTime fileTime, SystemTime& systemTime);

// SystemTimeToFileTime: fails for fields out of range (month 13, day 31 in
// April, a year before 1601 or after 30827, ...).
bool SystemTimeToFileTime(const SystemTime& systemTime, FileTime& fileTime);

// DosDateTimeToFileTime: fails for fields out of range (month 0, day 0,
// hour 24, ...).
bool DosDateTimeToFileTime(std::uint16_t dosDate, std::uint16_t dosTime, FileTime& fileTime);

// The OLE date of year, month, day, hour, minute and second; milliseconds
// are dropped. Dates before 1899-12-30 follow the OLE rule that the fraction
// counts away from zero.
double oleDateFromSystemTime(const SystemTime& systemTime);

// Seconds since 1899-12-30 00:00:00 and back; the OLE date is rounded to the
// nearest second.
std::int64_t oleDateToSeconds(double oleDate);
double oleDateFromSeconds(std::int64_t seconds);

// The fields of an OLE date, to the second.
SystemTime systemTimeFromOleDate(double oleDate);

// "YYYY-MM-DD HH:MM:SS"; 0 gives "1899-12-30 00:00:00".
std::string formatOleDate(double oleDate);

}  // namespace ocx
