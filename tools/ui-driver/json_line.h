// One JSON object per line on standard output: what the driver saw for one
// command. Keys keep the order in which they were added, which keeps the
// output readable when a test prints it after a failure.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ocx::ui_driver {

std::string jsonQuote(std::string_view utf8);

class JsonObject {
 public:
  JsonObject& add(std::string_view key, std::string_view text) { return raw(key, jsonQuote(text)); }
  JsonObject& add(std::string_view key, const char* text) { return raw(key, jsonQuote(text)); }
  JsonObject& add(std::string_view key, const std::string& text) { return raw(key, jsonQuote(text)); }
  JsonObject& add(std::string_view key, bool value) { return raw(key, value ? "true" : "false"); }
  JsonObject& add(std::string_view key, int value) { return raw(key, std::to_string(value)); }
  JsonObject& add(std::string_view key, unsigned long value) { return raw(key, std::to_string(value)); }
  JsonObject& add(std::string_view key, double value);
  JsonObject& add(std::string_view key, const JsonObject& value) { return raw(key, value.str()); }
  JsonObject& add(std::string_view key, const std::vector<std::string>& texts);
  JsonObject& add(std::string_view key, const std::vector<int>& numbers);
  JsonObject& addNull(std::string_view key) { return raw(key, "null"); }
  // An already formed JSON value (an array of objects, say).
  JsonObject& raw(std::string_view key, std::string_view json);

  [[nodiscard]] std::string str() const { return "{" + body_ + "}"; }

 private:
  std::string body_;
};

// "[a,b,c]" from values that are already JSON.
std::string jsonArray(const std::vector<std::string>& jsonValues);

}  // namespace ocx::ui_driver
