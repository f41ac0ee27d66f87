#include "tools/ui-driver/json_line.h"

#include <cstdio>

namespace ocx::ui_driver {

std::string jsonQuote(std::string_view utf8) {
  std::string out = "\"";
  for (const char c : utf8) {
    const auto byte = static_cast<unsigned char>(c);
    switch (c) {
      case '"':
        out += "\\\"";
        break;
      case '\\':
        out += "\\\\";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      case '\t':
        out += "\\t";
        break;
      default:
        if (byte < 0x20) {
          char escaped[8];
          std::snprintf(escaped, sizeof escaped, "\\u%04x", byte);
          out += escaped;
        } else {
          out += c;  // UTF-8 passes as it is
        }
    }
  }
  return out + "\"";
}

JsonObject& JsonObject::raw(std::string_view key, std::string_view json) {
  if (!body_.empty()) {
    body_ += ',';
  }
  body_ += jsonQuote(key);
  body_ += ':';
  body_ += json;
  return *this;
}

JsonObject& JsonObject::add(std::string_view key, double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.2f", value);
  return raw(key, text);
}

JsonObject& JsonObject::add(std::string_view key, const std::vector<std::string>& texts) {
  std::vector<std::string> quoted;
  quoted.reserve(texts.size());
  for (const auto& t : texts) {
    quoted.push_back(jsonQuote(t));
  }
  return raw(key, jsonArray(quoted));
}

JsonObject& JsonObject::add(std::string_view key, const std::vector<int>& numbers) {
  std::vector<std::string> values;
  values.reserve(numbers.size());
  for (const int n : numbers) {
    values.push_back(std::to_string(n));
  }
  return raw(key, jsonArray(values));
}

std::string jsonArray(const std::vector<std::string>& jsonValues) {
  std::string out = "[";
  for (std::size_t i = 0; i < jsonValues.size(); ++i) {
    if (i > 0) {
      out += ',';
    }
    out += jsonValues[i];
  }
  return out + "]";
}

}  // namespace ocx::ui_driver
