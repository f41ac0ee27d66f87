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

// The Win32 error numbers the program names, each once: our constant, its
// number, and the name Windows' headers give it (which the Windows binding
// checks against them at compile time).
#define OCX_WIN32_ERRORS(X)                                     \
  X(kSuccess, 0, ERROR_SUCCESS)                                 \
  X(kFileNotFound, 2, ERROR_FILE_NOT_FOUND)                     \
  X(kPathNotFound, 3, ERROR_PATH_NOT_FOUND)                     \
  X(kAccessDenied, 5, ERROR_ACCESS_DENIED)                      \
  X(kInvalidHandle, 6, ERROR_INVALID_HANDLE)                    \
  X(kNotEnoughMemory, 8, ERROR_NOT_ENOUGH_MEMORY)               \
  X(kInvalidData, 13, ERROR_INVALID_DATA)                       \
  X(kSharingViolation, 32, ERROR_SHARING_VIOLATION)             \
  X(kFileExists, 80, ERROR_FILE_EXISTS)                         \
  X(kInvalidParameter, 87, ERROR_INVALID_PARAMETER)             \
  X(kDiskFull, 112, ERROR_DISK_FULL)                            \
  X(kAlreadyExists, 183, ERROR_ALREADY_EXISTS)                  \
  X(kMoreData, 234, ERROR_MORE_DATA)                            \
  X(kKeyDeleted, 1018, ERROR_KEY_DELETED)                       \
  X(kInternalError, 1359, ERROR_INTERNAL_ERROR)                 \
  X(kInvalidWindowHandle, 1400, ERROR_INVALID_WINDOW_HANDLE)    \
  X(kResourceTypeNotFound, 1813, ERROR_RESOURCE_TYPE_NOT_FOUND) \
  X(kResourceNameNotFound, 1814, ERROR_RESOURCE_NAME_NOT_FOUND)

namespace win32_error {
#define OCX_WIN32_ERROR_CONSTANT(constant, number, name) inline constexpr std::uint32_t constant = number;
OCX_WIN32_ERRORS(OCX_WIN32_ERROR_CONSTANT)
#undef OCX_WIN32_ERROR_CONSTANT
}  // namespace win32_error

// The name Windows' headers give `number`, such as "ERROR_FILE_NOT_FOUND";
// null for a number not listed above.
constexpr const char* win32ErrorName(std::uint32_t number) {
  switch (number) {
#define OCX_WIN32_ERROR_NAME(constant, value, name) \
  case value:                                       \
    return #name;
    OCX_WIN32_ERRORS(OCX_WIN32_ERROR_NAME)
#undef OCX_WIN32_ERROR_NAME
    default:
      return nullptr;
  }
}

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
