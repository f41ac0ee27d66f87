// How failed tests show the registry's values; the program itself never
// prints them.
#include "platform/registry.h"

#include <ostream>

namespace ocx {

void PrintTo(RegType type, std::ostream* out) {
  *out << static_cast<std::uint32_t>(type);
}

}  // namespace ocx
