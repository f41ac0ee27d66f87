#include "osinfo/registry_value.h"

#include <cmath>
#include <limits>

namespace ocx {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}
bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

// A decimal number with an optional sign and fraction, blanks allowed
// around it; the fraction goes half to even, as the program's number
// conversion rounds.
std::optional<std::int32_t> parseWholeNumber(const std::string& text) {
  std::size_t pos = 0;
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  long double value = 0;
  bool anyDigit = false;
  for (; pos < text.size() && isDigit(text[pos]); ++pos) {
    value = value * 10 + (text[pos] - '0');
    anyDigit = true;
  }
  if (pos < text.size() && text[pos] == '.') {
    long double scale = 0.1L;
    for (++pos; pos < text.size() && isDigit(text[pos]); ++pos) {
      value += (text[pos] - '0') * scale;
      scale /= 10;
      anyDigit = true;
    }
  }
  while (pos < text.size() && isBlank(text[pos])) ++pos;
  if (!anyDigit || pos != text.size()) return std::nullopt;
  if (negative) value = -value;
  const long double rounded = std::nearbyint(value);  // the default mode rounds half to even
  if (rounded < std::numeric_limits<std::int32_t>::min() || rounded > std::numeric_limits<std::int32_t>::max()) {
    return std::nullopt;
  }
  return static_cast<std::int32_t>(rounded);
}

}  // namespace

std::optional<std::int32_t> RegistryValue::asWholeNumber() const {
  if (const auto* number = integer()) return *number;
  if (const auto* value = text()) return parseWholeNumber(*value);
  return std::nullopt;
}

std::optional<std::string> RegistryValue::asText() const {
  if (const auto* value = text()) return *value;
  if (const auto* number = integer()) return std::to_string(*number);
  return std::nullopt;
}

}  // namespace ocx
