#include "platform/sim/reg_text.h"

#include <algorithm>
#include <cstdio>

#include "platform/sim/text_codec.h"

namespace ocx::sim {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool isTextType(std::uint32_t type) {
  return type == reg_type::kSz || type == reg_type::kExpandSz || type == reg_type::kMultiSz;
}

int hexDigit(char c) {
  if (c >= '0' && c <= '9') {
    return c - '0';
  }
  if (c >= 'a' && c <= 'f') {
    return c - 'a' + 10;
  }
  if (c >= 'A' && c <= 'F') {
    return c - 'A' + 10;
  }
  return -1;
}

bool startsWithIgnoreCase(std::string_view text, std::string_view prefix) {
  return text.size() >= prefix.size() && equalsIgnoreCase(text.substr(0, prefix.size()), prefix);
}

std::vector<std::string_view> splitLines(std::string_view text) {
  std::vector<std::string_view> lines;
  std::size_t start = 0;
  while (start <= text.size()) {
    std::size_t end = text.find('\n', start);
    if (end == std::string_view::npos) {
      end = text.size();
    }
    std::string_view line = text.substr(start, end - start);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

class Parser {
 public:
  Parser(std::string_view text, RegistryStore& store) : lines_(splitLines(text)), store_(store) {}

  void run() {
    if (lines_[0].substr(0, 3) == "\xEF\xBB\xBF") {
      lines_[0].remove_prefix(3);
    }
    std::string_view header = lines_[0];
    while (!header.empty() && isBlank(header.back())) {
      header.remove_suffix(1);
    }
    if (header == kRegedit5Header) {
      unicode_ = true;
    } else if (header != kRegedit4Header) {
      fail(0, "the first line is neither \"Windows Registry Editor Version 5.00\" nor \"REGEDIT4\"");
    }
    for (line_ = 1; line_ < lines_.size(); ++line_) {
      parseLine();
    }
  }

 private:
  [[nodiscard]] std::string_view line() const { return lines_[line_]; }

  [[noreturn]] void fail(std::size_t offset, const std::string& message) const {
    // Columns count characters, not bytes.
    int column = 1;
    const std::string_view text = lines_[line_];
    for (std::size_t i = 0; i < offset && i < text.size(); ++i) {
      if ((static_cast<unsigned char>(text[i]) & 0xC0) != 0x80) {
        ++column;
      }
    }
    throw RegTextError(static_cast<int>(line_) + 1, column, message);
  }

  std::size_t skipBlanks(std::size_t pos) const {
    while (pos < line().size() && isBlank(line()[pos])) {
      ++pos;
    }
    return pos;
  }

  void expectLineEnd(std::size_t pos) const {
    pos = skipBlanks(pos);
    if (pos < line().size()) {
      fail(pos, "unexpected text at the end of the line");
    }
  }

  void parseLine() {
    const std::size_t pos = skipBlanks(0);
    if (pos == line().size() || line()[pos] == ';') {
      return;
    }
    if (line()[pos] == '[') {
      parseKey(pos);
    } else if (line()[pos] == '"' || line()[pos] == '@') {
      parseValue(pos);
    } else {
      fail(pos, "neither a key, a value nor a comment");
    }
  }

  void parseKey(std::size_t open) {
    const std::size_t close = line().rfind(']');
    if (close == std::string_view::npos || close < open) {
      fail(open, "key without its closing \"]\"");
    }
    expectLineEnd(close + 1);
    std::size_t start = open + 1;
    const bool deletion = start < close && line()[start] == '-';
    if (deletion) {
      ++start;
    }
    const auto split = RegistryStore::splitFullPath(line().substr(start, close - start));
    if (!split) {
      fail(start, "unknown root key");
    }
    sawKey_ = true;
    if (deletion) {
      store_.remove(split->first, split->second);
      key_ = nullptr;
    } else {
      key_ = store_.create(split->first, split->second);
    }
  }

  // A quoted text starting at `pos`; `end` is set past its closing quote.
  std::string parseQuoted(std::size_t pos, std::size_t& end) const {
    std::string text;
    std::size_t i = pos + 1;
    while (i < line().size() && line()[i] != '"') {
      if (line()[i] == '\\' && i + 1 < line().size() && (line()[i + 1] == '\\' || line()[i + 1] == '"')) {
        ++i;
      }
      text += line()[i];
      ++i;
    }
    if (i >= line().size()) {
      fail(pos, "text without its closing quote");
    }
    end = i + 1;
    return text;
  }

  void parseValue(std::size_t start) {
    if (!sawKey_) {
      fail(start, "value before the first key");
    }
    std::string name;
    std::size_t pos = start + 1;
    if (line()[start] == '"') {
      name = parseQuoted(start, pos);
    }
    pos = skipBlanks(pos);
    if (pos >= line().size() || line()[pos] != '=') {
      fail(pos, "\"=\" expected");
    }
    pos = skipBlanks(pos + 1);
    const std::string_view data = line().substr(pos);
    if (!data.empty() && data[0] == '-') {
      expectLineEnd(pos + 1);
      if (key_) {
        key_->removeValue(name);
      }
      return;
    }
    std::uint32_t type = reg_type::kSz;
    std::vector<std::uint8_t> bytes;
    const bool quotedText = !data.empty() && data[0] == '"';
    if (quotedText) {
      std::size_t end = 0;
      const std::string text = parseQuoted(pos, end);
      expectLineEnd(end);
      std::u16string units = utf8ToUtf16(text);
      units += u'\0';
      bytes = utf16Bytes(units);
    } else if (startsWithIgnoreCase(data, "dword:")) {
      type = reg_type::kDword;
      bytes = parseDword(pos + 6);
    } else if (startsWithIgnoreCase(data, "hex:")) {
      type = reg_type::kBinary;
      bytes = parseHexList(pos + 4);
    } else if (startsWithIgnoreCase(data, "hex(")) {
      std::size_t i = pos + 4;
      std::uint64_t number = 0;
      int digits = 0;
      for (; i < line().size() && hexDigit(line()[i]) >= 0; ++i, ++digits) {
        number = number * 16 + hexDigit(line()[i]);
      }
      if (digits == 0 || digits > 8 || line().substr(i, 2) != "):") {
        fail(pos, "value type \"hex(N):\" malformed");
      }
      type = static_cast<std::uint32_t>(number);
      bytes = parseHexList(i + 2);
    } else {
      fail(pos, "value data of an unknown form");
    }
    if (isTextType(type) && !quotedText) {
      bytes = textBytes(std::move(bytes));
    }
    if (key_) {
      key_->setValue(name, type, std::move(bytes));
    }
  }

  std::vector<std::uint8_t> textBytes(std::vector<std::uint8_t> bytes) const {
    if (unicode_) {
      if (bytes.size() % 2 != 0) {
        bytes.pop_back();
      }
      return bytes;
    }
    return utf16Bytes(ansiToUtf16(std::string(bytes.begin(), bytes.end())));
  }

  std::vector<std::uint8_t> parseDword(std::size_t pos) const {
    std::uint32_t number = 0;
    std::size_t i = pos;
    for (; i < line().size() && hexDigit(line()[i]) >= 0; ++i) {
      number = number * 16 + static_cast<std::uint32_t>(hexDigit(line()[i]));
    }
    if (i == pos || i - pos > 8) {
      fail(pos, "dword needs one to eight hexadecimal digits");
    }
    expectLineEnd(i);
    return {static_cast<std::uint8_t>(number), static_cast<std::uint8_t>(number >> 8),
            static_cast<std::uint8_t>(number >> 16), static_cast<std::uint8_t>(number >> 24)};
  }

  // Comma-separated bytes; a backslash at the end of a line continues the
  // list on the next one.
  std::vector<std::uint8_t> parseHexList(std::size_t pos) {
    std::vector<std::uint8_t> bytes;
    while (true) {
      pos = skipBlanks(pos);
      if (pos >= line().size()) {
        return bytes;
      }
      if (line()[pos] == '\\') {
        expectLineEnd(pos + 1);
        if (line_ + 1 >= lines_.size()) {
          return bytes;
        }
        ++line_;
        pos = 0;
        continue;
      }
      const int high = hexDigit(line()[pos]);
      if (high < 0) {
        fail(pos, "hexadecimal byte expected");
      }
      std::size_t next = pos + 1;
      int value = high;
      if (next < line().size() && hexDigit(line()[next]) >= 0) {
        value = value * 16 + hexDigit(line()[next]);
        ++next;
      }
      bytes.push_back(static_cast<std::uint8_t>(value));
      pos = skipBlanks(next);
      if (pos < line().size() && line()[pos] == ',') {
        ++pos;
      } else if (pos < line().size() && line()[pos] != '\\') {
        fail(pos, "\",\" expected between bytes");
      }
    }
  }

  std::vector<std::string_view> lines_;
  RegistryStore& store_;
  std::size_t line_ = 0;
  bool unicode_ = false;
  bool sawKey_ = false;
  std::shared_ptr<RegKeyNode> key_;
};

std::string quoted(std::string_view text) {
  std::string out = "\"";
  for (char c : text) {
    if (c == '\\' || c == '"') {
      out += '\\';
    }
    out += c;
  }
  out += '"';
  return out;
}

// Text that regedit writes between quotes: one NUL at the end and none
// before it, and no line break that would split the line.
std::optional<std::string> plainText(const RegValue& value) {
  if (value.type != reg_type::kSz || value.data.size() < 2 || value.data.size() % 2 != 0) {
    return std::nullopt;
  }
  std::u16string units = utf16FromBytes(value.data);
  if (units.back() != u'\0') {
    return std::nullopt;
  }
  units.pop_back();
  for (char16_t unit : units) {
    if (unit == u'\0' || unit == u'\r' || unit == u'\n') {
      return std::nullopt;
    }
  }
  // Text that would not come back unchanged (a lone surrogate) stays hex.
  std::string text = utf16ToUtf8(units);
  if (utf8ToUtf16(text) != units) {
    return std::nullopt;
  }
  return text;
}

std::size_t characterCount(std::string_view text) {
  std::size_t count = 0;
  for (char c : text) {
    if ((static_cast<unsigned char>(c) & 0xC0) != 0x80) {
      ++count;
    }
  }
  return count;
}

void exportKey(const RegKeyNode& node, const std::string& path, std::string& out) {
  out += "\r\n[" + path + "]\r\n";
  for (const auto& value : node.values) {
    out += formatValueLine(value);
  }
  for (const RegKeyNode* child : node.sortedChildren()) {
    exportKey(*child, path + '\\' + child->name, out);
  }
}

}  // namespace

void importRegText(std::string_view text, RegistryStore& store) {
  if (text.find_first_not_of(" \t\r\n") == std::string_view::npos) {
    return;
  }
  Parser(text, store).run();
}

std::string formatValueLine(const RegValue& value) {
  std::string line = value.name.empty() ? "@" : quoted(value.name);
  line += '=';
  if (const auto text = plainText(value)) {
    return line + quoted(*text) + "\r\n";
  }
  char buffer[16];
  if (value.type == reg_type::kDword && value.data.size() == 4) {
    const std::uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                 (static_cast<std::uint32_t>(value.data[3]) << 24);
    std::snprintf(buffer, sizeof buffer, "%08x", number);
    return line + "dword:" + buffer + "\r\n";
  }
  if (value.type == reg_type::kBinary) {
    line += "hex:";
  } else {
    std::snprintf(buffer, sizeof buffer, "hex(%x):", value.type);
    line += buffer;
  }
  // regedit breaks a hex line after the comma that takes it past 76
  // characters and indents the continuation by two spaces.
  std::size_t column = characterCount(line);
  for (std::size_t i = 0; i < value.data.size(); ++i) {
    std::snprintf(buffer, sizeof buffer, "%02x", value.data[i]);
    line += buffer;
    column += 2;
    if (i + 1 < value.data.size()) {
      line += ',';
      ++column;
      if (column > 76) {
        line += "\\\r\n  ";
        column = 2;
      }
    }
  }
  return line + "\r\n";
}

std::string exportRegText(const RegistryStore& store) {
  std::string out(kRegedit5Header);
  out += "\r\n";
  std::vector<RootKey> roots(std::begin(kAllRoots), std::end(kAllRoots));
  std::sort(roots.begin(), roots.end(),
            [](RootKey a, RootKey b) { return compareIgnoreCase(rootLongName(a), rootLongName(b)) < 0; });
  for (RootKey root : roots) {
    const auto node = store.root(root);
    for (const RegKeyNode* child : node->sortedChildren()) {
      exportKey(*child, std::string(rootLongName(root)) + '\\' + child->name, out);
    }
  }
  out += "\r\n";
  return out;
}

std::string decodeRegFile(std::string_view bytes) {
  if (bytes.size() >= 2 && static_cast<unsigned char>(bytes[0]) == 0xFF &&
      static_cast<unsigned char>(bytes[1]) == 0xFE) {
    bytes.remove_prefix(2);
    return utf16ToUtf8(utf16FromBytes(std::vector<std::uint8_t>(bytes.begin(), bytes.end())));
  }
  if (bytes.substr(0, 3) == "\xEF\xBB\xBF") {
    return std::string(bytes.substr(3));
  }
  if (isValidUtf8(bytes)) {
    return std::string(bytes);
  }
  return ansiToUtf8(bytes);
}

}  // namespace ocx::sim
