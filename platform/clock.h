// The clock and the time zone in force now.
#pragma once

#include <cstdint>

namespace ocx {

// SYSTEMTIME without the day of week.
struct SystemTime {
  int year = 0;
  int month = 0;
  int day = 0;
  int hour = 0;
  int minute = 0;
  int second = 0;
  int milliseconds = 0;
  friend bool operator==(const SystemTime&, const SystemTime&) = default;
};

class Clock {
 public:
  virtual ~Clock() = default;

  // GetLocalTime.
  [[nodiscard]] virtual SystemTime localNow() = 0;

  // FileTimeToLocalFileTime: UTC to local with the offset in force now, not
  // the one in force at the date converted.
  virtual bool fileTimeToLocalFileTime(std::uint64_t utc, std::uint64_t& local) = 0;
};

}  // namespace ocx
