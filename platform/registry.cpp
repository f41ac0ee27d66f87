// How failed tests show the registry's values; the program itself never
// prints them.
#include "platform/registry.h"

#include <ostream>

#include "platform/error.h"

namespace ocx {

void PrintTo(RegType type, std::ostream* out) {
  *out << static_cast<std::uint32_t>(type);
}

void PrintTo(RegStatus status, std::ostream* out) {
  const std::int32_t number = status;
  *out << number;
  if (const char* name = win32ErrorName(static_cast<std::uint32_t>(number))) {
    *out << " (" << name << ')';
  }
}

}  // namespace ocx
