// RegistryValue: what the OS information object's registry reader hands
// back, one of empty, text, list of texts, 32-bit integer or byte array.
//
// The callers want a number or a text and accept whatever the value stored
// can be turned into; the two conversions below are the only ones they use.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace ocx {

class RegistryValue {
 public:
  using Texts = std::vector<std::string>;
  using Bytes = std::vector<std::uint8_t>;

  RegistryValue() = default;
  RegistryValue(std::string text) : value_(std::move(text)) {}  // NOLINT: a text is a value
  RegistryValue(const char* text) : value_(std::string(text)) {}
  RegistryValue(std::int32_t number) : value_(number) {}
  RegistryValue(Texts texts) : value_(std::move(texts)) {}
  RegistryValue(Bytes bytes) : value_(std::move(bytes)) {}

  // A number as itself, a numeric text as its number (a fraction rounded
  // half to even); nothing for anything else, including a number too large
  // for 32 bits.
  [[nodiscard]] std::optional<std::int32_t> asWholeNumber() const;

  // A text as itself, a number as its decimal digits; nothing otherwise.
  [[nodiscard]] std::optional<std::string> asText() const;

  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;

 private:
  [[nodiscard]] const std::string* text() const { return std::get_if<std::string>(&value_); }
  [[nodiscard]] const std::int32_t* integer() const { return std::get_if<std::int32_t>(&value_); }

  std::variant<std::monostate, std::string, Texts, std::int32_t, Bytes> value_;
};

}  // namespace ocx
