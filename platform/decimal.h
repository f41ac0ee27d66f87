// A whole text read as a decimal number, as command lines and profiles give
// them: an optional minus sign and digits, nothing else.
#pragma once

#include <charconv>
#include <concepts>
#include <optional>
#include <string_view>
#include <system_error>

namespace ocx {

// Empty when the text is not such a number or the number does not fit.
template <std::integral Number>
std::optional<Number> parseDecimal(std::string_view text) {
  Number number{};
  // The text's owner outlives the call, also when it is the element of a
  // temporary that a range-for keeps alive, which cppcheck misreads.
  // cppcheck-suppress danglingTemporaryLifetime
  const auto [stop, error] = std::from_chars(text.data(), text.data() + text.size(), number);
  if (error != std::errc() || stop != text.data() + text.size()) {
    return std::nullopt;
  }
  return number;
}

}  // namespace ocx
