#include "platform/sim/reg_text.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <istream>
#include <sstream>

#include "platform/sim/text_codec.h"
#include "platform/utf8.h"

namespace ocx::sim {

namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t';
}

bool isTextType(RegType type) {
  return type == RegType::Sz || type == RegType::ExpandSz || type == RegType::MultiSz;
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

bool isBlankLine(std::string_view line) {
  return line.find_first_not_of(" \t\r") == std::string_view::npos;
}

// Reads a registry file's bytes as UTF-8 text, a piece at a time, so that the
// file is never held whole: UTF-16LE after its byte-order mark, UTF-8 after
// one or when every byte of it is valid UTF-8, and code page 1252 otherwise.
class RegFileDecoder {
 public:
  // Stands for a stream that failed in the middle of the file.
  struct ReadFailure {};

  explicit RegFileDecoder(std::istream& in) : in_(in) {
    char mark[3] = {};
    in_.read(mark, 3);
    const std::string_view start(mark, static_cast<std::size_t>(in_.gcount()));
    if (start.substr(0, 2) == "\xFF\xFE") {
      encoding_ = Encoding::Utf16Le;
      rewindTo(2);
    } else if (start == utf8::kByteOrderMark) {
      encoding_ = Encoding::Utf8;
    } else {
      rewindTo(0);
      encoding_ = wholeStreamIsUtf8() ? Encoding::Utf8 : Encoding::CodePage1252;
      rewindTo(0);
    }
  }

  // Appends the next piece of text to `out`; false once the file is done.
  bool decodeMore(std::string& out) {
    if (ended_) {
      return false;
    }
    const std::size_t kept = pending_.size();
    pending_.resize(kept + kPiece);
    in_.read(pending_.data() + kept, kPiece);
    pending_.resize(kept + static_cast<std::size_t>(in_.gcount()));
    if (in_.bad()) {
      throw ReadFailure{};
    }
    ended_ = in_.gcount() == 0;
    const std::size_t before = out.size();
    switch (encoding_) {
      case Encoding::Utf16Le:
        pending_.erase(0, appendUtf16LeAsUtf8(pending_, ended_, out));
        break;
      case Encoding::Utf8:
        out += pending_;
        pending_.clear();
        break;
      case Encoding::CodePage1252:
        out += ansiToUtf8(pending_);
        pending_.clear();
        break;
    }
    return !ended_ || out.size() > before;
  }

 private:
  enum class Encoding { Utf16Le, Utf8, CodePage1252 };
  static constexpr std::size_t kPiece = std::size_t{1} << 20;

  void rewindTo(std::streamoff offset) {
    in_.clear();
    in_.seekg(offset);
  }

  bool wholeStreamIsUtf8() {
    std::string piece;
    std::size_t carried = 0;
    while (true) {
      piece.resize(carried + kPiece);
      in_.read(piece.data() + carried, kPiece);
      const auto got = static_cast<std::size_t>(in_.gcount());
      if (in_.bad()) {
        throw ReadFailure{};
      }
      piece.resize(carried + got);
      const std::size_t tail = got == 0 ? 0 : unfinishedUtf8Tail(piece);
      if (!isValidUtf8(std::string_view(piece).substr(0, piece.size() - tail))) {
        return false;
      }
      if (got == 0) {
        return true;
      }
      piece.erase(0, piece.size() - tail);
      carried = tail;
    }
  }

  std::istream& in_;
  Encoding encoding_ = Encoding::Utf8;
  std::string pending_;
  bool ended_ = false;
};

// A registry text line by line, without the line ends: "\n" ends a line and
// one "\r" before it goes with it. Every text has at least one line: the
// last one, possibly empty, after the last "\n".
class LineSource {
 public:
  // A text held whole.
  explicit LineSource(std::string_view text) : text_(text) {}
  // The text of a file, decoded as it is read; only the line being read is
  // kept.
  explicit LineSource(RegFileDecoder& decoder) : decoder_(&decoder) {}

  // False after the last line; `line` stays valid until the next call.
  bool next(std::string_view& line) {
    if (done_) {
      return false;
    }
    std::size_t end = text_.find('\n', scanFrom_);
    while (end == std::string_view::npos && readOn()) {
      end = text_.find('\n', scanFrom_);
    }
    const std::size_t stop = end == std::string_view::npos ? text_.size() : end;
    line = text_.substr(start_, stop - start_);
    if (!line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    done_ = end == std::string_view::npos;
    start_ = scanFrom_ = stop + 1;
    return true;
  }

 private:
  // Keeps the unfinished line and decodes the next piece after it.
  bool readOn() {
    if (decoder_ == nullptr) {
      return false;
    }
    buffer_.erase(0, start_);
    scanFrom_ = buffer_.size();
    start_ = 0;
    const bool more = decoder_->decodeMore(buffer_);
    text_ = buffer_;
    return more;
  }

  std::string_view text_;
  RegFileDecoder* decoder_ = nullptr;
  std::string buffer_;
  std::size_t start_ = 0;
  std::size_t scanFrom_ = 0;
  bool done_ = false;
};

class Parser {
 public:
  Parser(LineSource& lines, RegistryStore& store) : lines_(lines), store_(store) {}

  void run() {
    lines_.next(line_);
    if (isBlankLine(line_)) {
      // A text of nothing but blank lines changes nothing; one with more in
      // it lacks its header.
      std::string_view later;
      while (lines_.next(later)) {
        if (!isBlankLine(later)) {
          throw RegTextError(1, 1, kNoHeader);
        }
      }
      return;
    }
    line_ = utf8::withoutByteOrderMark(line_);
    std::string_view header = line_;
    while (!header.empty() && isBlank(header.back())) {
      header.remove_suffix(1);
    }
    if (header == kRegedit5Header) {
      unicode_ = true;
    } else if (header != kRegedit4Header) {
      fail(0, kNoHeader);
    }
    while (lines_.next(line_)) {
      ++lineNumber_;
      parseLine();
    }
  }

 private:
  static constexpr const char* kNoHeader =
      "the first line is neither \"Windows Registry Editor Version 5.00\" nor \"REGEDIT4\"";

  [[nodiscard]] std::string_view line() const { return line_; }

  [[noreturn]] void fail(std::size_t offset, const std::string& message) const {
    // Columns count characters, not bytes.
    int column = 1;
    for (std::size_t i = 0; i < offset && i < line_.size(); ++i) {
      if ((static_cast<unsigned char>(line_[i]) & 0xC0) != 0x80) {
        ++column;
      }
    }
    throw RegTextError(lineNumber_, column, message);
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
    RegType type = RegType::Sz;
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
      type = RegType::Dword;
      bytes = parseDword(pos + 6);
    } else if (startsWithIgnoreCase(data, "hex:")) {
      type = RegType::Binary;
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
      type = static_cast<RegType>(number);
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
        if (!lines_.next(line_)) {
          return bytes;
        }
        ++lineNumber_;
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

  LineSource& lines_;
  RegistryStore& store_;
  std::string_view line_;
  int lineNumber_ = 1;
  bool unicode_ = false;
  bool sawKey_ = false;
  std::shared_ptr<RegKeyNode> key_;
};

constexpr std::array<char, 16> kHexDigits = {'0', '1', '2', '3', '4', '5', '6', '7',
                                             '8', '9', 'a', 'b', 'c', 'd', 'e', 'f'};

void appendQuoted(std::string& out, std::string_view text) {
  out += '"';
  for (char c : text) {
    if (c == '\\' || c == '"') {
      out += '\\';
    }
    out += c;
  }
  out += '"';
}

// Text that regedit writes between quotes: one NUL at the end and none
// before it, no line break that would split the line, and no lone surrogate,
// which would not come back unchanged.
bool appendPlainText(std::string& out, const RegValue& value) {
  const auto& data = value.data;
  if (value.type != RegType::Sz || data.size() < 2 || data.size() % 2 != 0) {
    return false;
  }
  const std::size_t units = data.size() / 2;
  const auto unitAt = [&](std::size_t i) { return static_cast<char16_t>(data[2 * i] | (data[2 * i + 1] << 8)); };
  if (unitAt(units - 1) != u'\0') {
    return false;
  }
  for (std::size_t i = 0; i + 1 < units; ++i) {
    const char16_t unit = unitAt(i);
    if (unit == u'\0' || unit == u'\r' || unit == u'\n') {
      return false;
    }
    if (unit >= 0xD800 && unit <= 0xDBFF) {
      const char16_t low = i + 2 < units ? unitAt(i + 1) : 0;
      if (low < 0xDC00 || low > 0xDFFF) {
        return false;
      }
      ++i;
    } else if (unit >= 0xDC00 && unit <= 0xDFFF) {
      return false;
    }
  }
  std::string text;
  appendUtf16LeAsUtf8(std::string_view(reinterpret_cast<const char*>(data.data()), data.size() - 2), true, text);
  appendQuoted(out, text);
  return true;
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

void appendValueLine(std::string& out, const RegValue& value) {
  const std::size_t lineStart = out.size();
  if (value.name.empty()) {
    out += '@';
  } else {
    appendQuoted(out, value.name);
  }
  out += '=';
  if (appendPlainText(out, value)) {
    out += "\r\n";
    return;
  }
  char buffer[16];
  if (value.type == RegType::Dword && value.data.size() == 4) {
    const std::uint32_t number = value.data[0] | (value.data[1] << 8) | (value.data[2] << 16) |
                                 (static_cast<std::uint32_t>(value.data[3]) << 24);
    std::snprintf(buffer, sizeof buffer, "%08x", number);
    out += "dword:";
    out += buffer;
    out += "\r\n";
    return;
  }
  if (value.type == RegType::Binary) {
    out += "hex:";
  } else {
    std::snprintf(buffer, sizeof buffer, "hex(%x):", static_cast<unsigned>(value.type));
    out += buffer;
  }
  // regedit breaks a hex line after the comma that takes it past 76
  // characters and indents the continuation by two spaces.
  std::size_t column = characterCount(std::string_view(out).substr(lineStart));
  const std::size_t size = value.data.size();
  for (std::size_t i = 0; i < size; ++i) {
    out += kHexDigits[value.data[i] >> 4];
    out += kHexDigits[value.data[i] & 0xF];
    column += 2;
    if (i + 1 < size) {
      out += ',';
      ++column;
      if (column > 76) {
        out += "\\\r\n  ";
        column = 2;
      }
    }
  }
  out += "\r\n";
}

// Hands the text on in pieces of about this size.
constexpr std::size_t kExportPiece = std::size_t{1} << 16;

// `path` is the key's full path; it is extended for the subkeys and given
// back as it came.
void exportKey(const RegKeyNode& node, std::string& path, std::string& out, const RegTextSink& write) {
  out += "\r\n[";
  out += path;
  out += "]\r\n";
  for (const auto& value : node.values()) {
    appendValueLine(out, value);
  }
  if (out.size() >= kExportPiece) {
    write(out);
    out.clear();
  }
  const std::size_t length = path.size();
  for (const RegKeyNode* child : node.sortedChildren()) {
    path += '\\';
    path += child->name();
    exportKey(*child, path, out, write);
    path.resize(length);
  }
}

void importLines(LineSource& lines, RegistryStore& store) {
  Parser(lines, store).run();
}

}  // namespace

void importRegText(std::string_view text, RegistryStore& store) {
  LineSource lines(text);
  importLines(lines, store);
}

bool importRegFile(const std::string& path, RegistryStore& store) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    return false;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) {
    return false;
  }
  try {
    RegFileDecoder decoder(in);
    LineSource lines(decoder);
    importLines(lines, store);
  } catch (const RegFileDecoder::ReadFailure&) {
    return false;
  }
  return true;
}

std::string formatValueLine(const RegValue& value) {
  std::string line;
  appendValueLine(line, value);
  return line;
}

std::string exportRegText(const RegistryStore& store) {
  std::string text;
  exportRegText(store, [&](std::string_view piece) { text += piece; });
  return text;
}

void exportRegText(const RegistryStore& store, const RegTextSink& write) {
  std::string out(kRegedit5Header);
  out += "\r\n";
  std::vector<RootKey> roots(std::begin(kAllRoots), std::end(kAllRoots));
  std::sort(roots.begin(), roots.end(),
            [](RootKey a, RootKey b) { return compareIgnoreCase(rootLongName(a), rootLongName(b)) < 0; });
  std::string path;
  for (RootKey root : roots) {
    const auto node = store.root(root);
    for (const RegKeyNode* child : node->sortedChildren()) {
      path = rootLongName(root);
      path += '\\';
      path += child->name();
      exportKey(*child, path, out, write);
    }
  }
  out += "\r\n";
  write(out);
}

std::string decodeRegFile(std::string_view bytes) {
  std::istringstream in{std::string(bytes)};
  RegFileDecoder decoder(in);
  std::string text;
  while (decoder.decodeMore(text)) {
  }
  return text;
}

}  // namespace ocx::sim
