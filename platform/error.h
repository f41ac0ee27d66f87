// Failures of window, file, process and resource operations.
//
// Registry operations report by status as Windows does; everything else in
// the platform contract throws PlatformError, which keeps the Win32 error
// code together with the system's own (German) description of it. The repair
// run shows both to the user.
#pragma once

#include <cstdint>
#include <exception>
#include <new>
#include <stdexcept>
#include <string>

namespace ocx {

namespace win32_error {
inline constexpr std::uint32_t kSuccess = 0;
inline constexpr std::uint32_t kFileNotFound = 2;
inline constexpr std::uint32_t kPathNotFound = 3;
inline constexpr std::uint32_t kAccessDenied = 5;
inline constexpr std::uint32_t kInvalidHandle = 6;
inline constexpr std::uint32_t kNotEnoughMemory = 8;
inline constexpr std::uint32_t kInvalidData = 13;
inline constexpr std::uint32_t kSharingViolation = 32;
inline constexpr std::uint32_t kFileExists = 80;
inline constexpr std::uint32_t kInvalidParameter = 87;
inline constexpr std::uint32_t kDiskFull = 112;
inline constexpr std::uint32_t kAlreadyExists = 183;
inline constexpr std::uint32_t kMoreData = 234;
inline constexpr std::uint32_t kKeyDeleted = 1018;
inline constexpr std::uint32_t kInternalError = 1359;
inline constexpr std::uint32_t kInvalidWindowHandle = 1400;
inline constexpr std::uint32_t kResourceTypeNotFound = 1813;
inline constexpr std::uint32_t kResourceNameNotFound = 1814;
}  // namespace win32_error

class PlatformError : public std::runtime_error {
 public:
  PlatformError(std::uint32_t number, std::string description)
      : std::runtime_error(description), number_(number), description_(std::move(description)) {}

  [[nodiscard]] std::uint32_t number() const noexcept { return number_; }
  [[nodiscard]] const std::string& description() const noexcept { return description_; }

 private:
  std::uint32_t number_;
  std::string description_;
};

// The Win32 error number that an exception stands for when it is shown as a
// failure: its own for a PlatformError; running out of memory is what
// Windows calls it; anything else is a fault of the program itself.
inline std::uint32_t failureNumber(const std::exception& error) noexcept {
  if (const auto* platform = dynamic_cast<const PlatformError*>(&error)) {
    return platform->number();
  }
  if (dynamic_cast<const std::bad_alloc*>(&error) != nullptr) {
    return win32_error::kNotEnoughMemory;
  }
  return win32_error::kInternalError;
}

}  // namespace ocx
