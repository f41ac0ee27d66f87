// Counting UTF-8 text by code points rather than by bytes. Text that Windows
// measures (a buffer of so many characters) is counted in UTF-16 units
// instead, which differ for characters outside the Basic Multilingual Plane.
#pragma once

#include <cstddef>
#include <string_view>

namespace ocx::utf8 {

// A byte that continues a code point rather than starting one.
constexpr bool isContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

constexpr std::size_t codePointCount(std::string_view text) {
  std::size_t count = 0;
  for (const char c : text) {
    count += isContinuationByte(c) ? 0 : 1;
  }
  return count;
}

// The byte offset at which the code point with the given index (from 0)
// starts, or npos when the text has fewer.
constexpr std::size_t codePointOffset(std::string_view text, std::size_t index) {
  std::size_t seen = 0;
  for (std::size_t pos = 0; pos < text.size(); ++pos) {
    if (isContinuationByte(text[pos])) {
      continue;
    }
    if (seen == index) {
      return pos;
    }
    ++seen;
  }
  return std::string_view::npos;
}

// The byte-order mark some editors put in front of UTF-8 text; it is no
// part of the text itself.
inline constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

constexpr std::string_view withoutByteOrderMark(std::string_view text) {
  return text.starts_with(kByteOrderMark) ? text.substr(kByteOrderMark.size()) : text;
}

}  // namespace ocx::utf8
