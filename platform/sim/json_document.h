// JSON text with the place of every key and value kept, so that a profile
// can be refused with the line and column of the token at fault.
#pragma once

#include <map>
#include <nlohmann/json.hpp>
#include <stdexcept>
#include <string>
#include <string_view>

namespace ocx::sim {

struct TextPosition {
  int line = 1;    // from 1
  int column = 1;  // from 1, in characters
};

class JsonSyntaxError : public std::runtime_error {
 public:
  JsonSyntaxError(TextPosition position, const std::string& message)
      : std::runtime_error(message), position_(position) {}
  [[nodiscard]] TextPosition position() const noexcept { return position_; }

 private:
  TextPosition position_;
};

class JsonDocument {
 public:
  // Throws JsonSyntaxError at the first token that does not fit, a key
  // given twice in one object included.
  static JsonDocument parse(std::string_view text);

  [[nodiscard]] const nlohmann::json& root() const { return root_; }
  // Where the value at a JSON pointer ("/os/bits") starts; where its key
  // starts with `key`. The start of the text for a pointer not known.
  [[nodiscard]] TextPosition valuePosition(const std::string& pointer) const;
  [[nodiscard]] TextPosition keyPosition(const std::string& pointer) const;

  // `parent` extended by one object key or array index, escaped for a
  // JSON pointer.
  static std::string child(const std::string& parent, std::string_view key);

 private:
  friend class JsonScanner;
  nlohmann::json root_;
  std::map<std::string, TextPosition> values_;
  std::map<std::string, TextPosition> keys_;
};

}  // namespace ocx::sim
