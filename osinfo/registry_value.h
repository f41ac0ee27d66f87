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

  [[nodiscard]] bool isEmpty() const { return std::holds_alternative<std::monostate>(value_); }
  [[nodiscard]] bool isText() const { return std::holds_alternative<std::string>(value_); }
  [[nodiscard]] bool isTexts() const { return std::holds_alternative<Texts>(value_); }
  [[nodiscard]] bool isInteger() const { return std::holds_alternative<std::int32_t>(value_); }
  [[nodiscard]] bool isBytes() const { return std::holds_alternative<Bytes>(value_); }

  // The stored alternative; nullptr when the value is of another kind.
  [[nodiscard]] const std::string* text() const { return std::get_if<std::string>(&value_); }
  [[nodiscard]] const Texts* texts() const { return std::get_if<Texts>(&value_); }
  [[nodiscard]] const std::int32_t* integer() const { return std::get_if<std::int32_t>(&value_); }
  [[nodiscard]] const Bytes* bytes() const { return std::get_if<Bytes>(&value_); }

  // A number as itself, a numeric text as its number (a fraction rounded
  // half to even); nothing for anything else, including a number too large
  // for 32 bits.
  [[nodiscard]] std::optional<std::int32_t> asWholeNumber() const;

  // A text as itself, a number as its decimal digits; nothing otherwise.
  [[nodiscard]] std::optional<std::string> asText() const;

  friend bool operator==(const RegistryValue&, const RegistryValue&) = default;

 private:
  std::variant<std::monostate, std::string, Texts, std::int32_t, Bytes> value_;
};

}  // namespace ocx
