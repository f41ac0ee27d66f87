#include "platform/sim/json_document.h"

#include "platform/sim/text_codec.h"
#include "platform/utf8.h"

namespace ocx::sim {

class JsonScanner {
 public:
  JsonScanner(std::string_view text, JsonDocument& doc) : text_(text), doc_(doc) {}

  void run() {
    if (const std::size_t bad = firstInvalidUtf8(text_); bad != std::string_view::npos) {
      while (pos_ < bad) {
        advance();
      }
      fail("the text is not UTF-8");
    }
    pos_ = 0;
    position_ = TextPosition{};
    skipSpace();
    doc_.root_ = value("");
    skipSpace();
    if (pos_ < text_.size()) {
      fail("unexpected text after the JSON value");
    }
  }

 private:
  [[noreturn]] void fail(const std::string& message) const { throw JsonSyntaxError(here(), message); }

  [[nodiscard]] TextPosition here() const { return position_; }

  void advance() {
    if (text_[pos_] == '\n') {
      ++position_.line;
      position_.column = 1;
    } else if (!utf8::isContinuationByte(text_[pos_])) {
      ++position_.column;
    }
    ++pos_;
  }

  // Columns count characters: a continuation byte does not start one.
  void advanceChar() {
    advance();
    while (pos_ < text_.size() && utf8::isContinuationByte(text_[pos_])) {
      ++pos_;
    }
  }

  void skipSpace() {
    while (pos_ < text_.size() &&
           (text_[pos_] == ' ' || text_[pos_] == '\t' || text_[pos_] == '\n' || text_[pos_] == '\r')) {
      advance();
    }
  }

  [[nodiscard]] char peek() const { return pos_ < text_.size() ? text_[pos_] : '\0'; }

  nlohmann::json value(const std::string& pointer) {
    if (pos_ >= text_.size()) {
      fail("unexpected end of the text");
    }
    if (depth_ >= kMaxDepth) {
      fail("values nested too deeply");
    }
    doc_.values_[pointer] = here();
    const char c = peek();
    if (c == '{' || c == '[') {
      ++depth_;
      nlohmann::json result = c == '{' ? object(pointer) : array(pointer);
      --depth_;
      return result;
    }
    if (c == '"') {
      return string();
    }
    if (c == '-' || (c >= '0' && c <= '9')) {
      return number();
    }
    for (const auto& [word, result] :
         {std::pair<std::string_view, nlohmann::json>{"true", true}, {"false", false}, {"null", nullptr}}) {
      if (text_.substr(pos_, word.size()) == word) {
        for (std::size_t i = 0; i < word.size(); ++i) {
          advance();
        }
        return result;
      }
    }
    fail("a JSON value was expected");
  }

  nlohmann::json object(const std::string& pointer) {
    nlohmann::json result = nlohmann::json::object();
    advance();
    skipSpace();
    if (peek() == '}') {
      advance();
      return result;
    }
    while (true) {
      skipSpace();
      if (peek() != '"') {
        fail("a key in double quotes was expected");
      }
      const TextPosition keyAt = here();
      const std::string key = string();
      if (result.contains(key)) {
        throw JsonSyntaxError(keyAt, "key \"" + key + "\" given twice");
      }
      const std::string childPointer = JsonDocument::child(pointer, key);
      doc_.keys_[childPointer] = keyAt;
      skipSpace();
      if (peek() != ':') {
        fail("\":\" was expected");
      }
      advance();
      skipSpace();
      result[key] = value(childPointer);
      skipSpace();
      if (peek() == ',') {
        advance();
        continue;
      }
      if (peek() == '}') {
        advance();
        return result;
      }
      fail("\",\" or \"}\" was expected");
    }
  }

  nlohmann::json array(const std::string& pointer) {
    nlohmann::json result = nlohmann::json::array();
    advance();
    skipSpace();
    if (peek() == ']') {
      advance();
      return result;
    }
    while (true) {
      skipSpace();
      result.push_back(value(JsonDocument::child(pointer, std::to_string(result.size()))));
      skipSpace();
      if (peek() == ',') {
        advance();
        continue;
      }
      if (peek() == ']') {
        advance();
        return result;
      }
      fail("\",\" or \"]\" was expected");
    }
  }

  unsigned hex4(const TextPosition& token) {
    unsigned unit = 0;
    for (int i = 0; i < 4; ++i) {
      const char c = peek();
      unsigned digit = 0;
      if (c >= '0' && c <= '9') {
        digit = c - '0';
      } else if (c >= 'a' && c <= 'f') {
        digit = c - 'a' + 10;
      } else if (c >= 'A' && c <= 'F') {
        digit = c - 'A' + 10;
      } else {
        throw JsonSyntaxError(token, "four hexadecimal digits were expected after \\u");
      }
      unit = unit * 16 + digit;
      advance();
    }
    return unit;
  }

  std::string string() {
    const TextPosition start = here();
    advance();
    std::u16string escaped;
    std::string out;
    const auto flush = [&] {
      out += utf16ToUtf8(escaped);
      escaped.clear();
    };
    while (true) {
      if (pos_ >= text_.size() || text_[pos_] == '\n') {
        throw JsonSyntaxError(start, "text without its closing quote");
      }
      const char c = text_[pos_];
      if (c == '"') {
        advance();
        flush();
        return out;
      }
      if (static_cast<unsigned char>(c) < 0x20) {
        throw JsonSyntaxError(start, "control character inside a text");
      }
      if (c != '\\') {
        flush();
        const std::size_t from = pos_;
        advanceChar();
        out.append(text_.substr(from, pos_ - from));
        continue;
      }
      advance();
      const char e = peek();
      static constexpr std::string_view kFrom = "\"\\/bfnrt";
      static constexpr std::string_view kTo = "\"\\/\b\f\n\r\t";
      if (const auto at = kFrom.find(e); e != '\0' && at != std::string_view::npos) {
        flush();
        out += kTo[at];
        advance();
      } else if (e == 'u') {
        advance();
        escaped += static_cast<char16_t>(hex4(start));
      } else {
        throw JsonSyntaxError(start, "unknown escape sequence");
      }
    }
  }

  nlohmann::json number() {
    const std::size_t from = pos_;
    const TextPosition start = here();
    if (peek() == '-') {
      advance();
    }
    const auto digits = [&] {
      const std::size_t first = pos_;
      while (peek() >= '0' && peek() <= '9') {
        advance();
      }
      return pos_ - first;
    };
    const std::size_t intDigits = digits();
    if (intDigits == 0 || (intDigits > 1 && text_[pos_ - intDigits] == '0')) {
      throw JsonSyntaxError(start, "malformed number");
    }
    if (peek() == '.') {
      advance();
      if (digits() == 0) {
        throw JsonSyntaxError(start, "malformed number");
      }
    }
    if (peek() == 'e' || peek() == 'E') {
      advance();
      if (peek() == '+' || peek() == '-') {
        advance();
      }
      if (digits() == 0) {
        throw JsonSyntaxError(start, "malformed number");
      }
    }
    try {
      return nlohmann::json::parse(text_.substr(from, pos_ - from));
    } catch (const nlohmann::json::exception&) {
      // Well-formed but beyond what a double holds, such as 1e999.
      throw JsonSyntaxError(start, "number out of range");
    }
  }

  std::string_view text_;
  JsonDocument& doc_;
  // A profile is a few levels deep; far deeper nesting is an attack on the
  // stack, not a machine.
  static constexpr int kMaxDepth = 64;
  std::size_t pos_ = 0;
  int depth_ = 0;
  TextPosition position_;
};

JsonDocument JsonDocument::parse(std::string_view text) {
  JsonDocument doc;
  JsonScanner(text, doc).run();
  return doc;
}

TextPosition JsonDocument::valuePosition(const std::string& pointer) const {
  const auto it = values_.find(pointer);
  return it == values_.end() ? TextPosition{} : it->second;
}

TextPosition JsonDocument::keyPosition(const std::string& pointer) const {
  const auto it = keys_.find(pointer);
  return it == keys_.end() ? valuePosition(pointer) : it->second;
}

std::string JsonDocument::child(const std::string& parent, std::string_view key) {
  std::string out = parent + '/';
  for (char c : key) {
    if (c == '~') {
      out += "~0";
    } else if (c == '/') {
      out += "~1";
    } else {
      out += c;
    }
  }
  return out;
}

}  // namespace ocx::sim
