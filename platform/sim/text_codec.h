// Text conversions at the edge of the simulated machine: the program's UTF-8
// against the UTF-16LE that Windows stores and the code page 1252 that every
// "A" call of this machine uses.
#pragma once

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace ocx::sim {

// UTF-8 to UTF-16 code units; a malformed sequence becomes U+FFFD.
std::u16string utf8ToUtf16(std::string_view text);
std::string utf16ToUtf8(std::u16string_view text);

// UTF-16 units as the little-endian bytes the registry stores.
std::vector<std::uint8_t> utf16Bytes(std::u16string_view text);
// Little-endian bytes back to units; a trailing odd byte is dropped.
std::u16string utf16FromBytes(const std::vector<std::uint8_t>& bytes);

// One code-page-1252 byte per UTF-16 unit, "?" for a unit the code page
// lacks (a surrogate pair gives two).
std::string utf16ToAnsi(std::u16string_view text);
std::u16string ansiToUtf16(std::string_view bytes);

std::string utf8ToAnsi(std::string_view text);
std::string ansiToUtf8(std::string_view bytes);

// What survives a round trip through an "A" call: unmappable characters
// come back as "?".
std::string throughAnsi(std::string_view text);

bool isValidUtf8(std::string_view text);
// The offset of the first byte that is not valid UTF-8; npos for none.
std::size_t firstInvalidUtf8(std::string_view text);

// Upper case for comparisons without regard to case, as the registry and
// the file system make them (the letters of ASCII, Latin-1, Latin Extended-A,
// Greek and Cyrillic).
std::u16string foldCase(std::u16string_view text);
std::string foldCaseUtf8(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// Negative, zero or positive like a three-way compare.
int compareIgnoreCase(std::string_view a, std::string_view b);

}  // namespace ocx::sim
