#include "platform/win32/win32_platform.h"

namespace ocx::win32 {

SystemTime Win32Clock::localNow() {
  SYSTEMTIME now{};
  GetLocalTime(&now);
  return {now.wYear, now.wMonth, now.wDay, now.wHour, now.wMinute, now.wSecond, now.wMilliseconds};
}

bool Win32Clock::fileTimeToLocalFileTime(std::uint64_t utc, std::uint64_t& local) {
  FILETIME in{static_cast<DWORD>(utc), static_cast<DWORD>(utc >> 32)};
  FILETIME out{};
  if (!FileTimeToLocalFileTime(&in, &out)) {
    return false;
  }
  local = (static_cast<std::uint64_t>(out.dwHighDateTime) << 32) | out.dwLowDateTime;
  return true;
}

}  // namespace ocx::win32
