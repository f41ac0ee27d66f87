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

// One code-page-1252 byte per UTF-16 unit, as Windows converts by default:
// a unit the code page lacks takes its best-fit byte (Ł gives L, the
// fullwidth Ａ gives A) or, where there is none, "?" (so does each half of a
// surrogate pair).
std::string utf16ToAnsi(std::u16string_view text);
std::u16string ansiToUtf16(std::string_view bytes);

std::string utf8ToAnsi(std::string_view text);
std::string ansiToUtf8(std::string_view bytes);

// What survives a round trip through an "A" call: a character the code
// page lacks comes back as its best fit or as "?".
std::string throughAnsi(std::string_view text);

bool isValidUtf8(std::string_view text);
// The offset of the first byte that is not valid UTF-8; npos for none.
std::size_t firstInvalidUtf8(std::string_view text);

// UTF-16LE bytes to UTF-8 text, appended to `out`, for text that arrives in
// pieces: returns how many bytes were used. Unless `final`, an odd last byte
// and a high surrogate at the end wait for the next piece; at the end an odd
// byte is dropped and a lone surrogate becomes U+FFFD, as utf16ToUtf8 does.
std::size_t appendUtf16LeAsUtf8(std::string_view bytes, bool final, std::string& out);
// How many bytes at the end of `text` begin a UTF-8 sequence that the next
// piece may still complete (0 to 3).
std::size_t unfinishedUtf8Tail(std::string_view text);

// Upper case for comparisons without regard to case, as the registry and
// the file system make them (the letters of ASCII, Latin-1, Latin Extended-A,
// Greek and Cyrillic). Every comparison without regard to case compares
// these folded UTF-16 units, so that names sort the same wherever they are
// compared.
std::u16string foldCase(std::u16string_view text);
// foldCase(utf8ToUtf16(text)) in one pass: the form to keep next to a name
// that is compared often.
std::u16string foldedUtf16(std::string_view text);
std::string foldCaseUtf8(std::string_view text);
bool equalsIgnoreCase(std::string_view a, std::string_view b);
// Negative, zero or positive like a three-way compare of the folded units;
// nothing is allocated.
int compareIgnoreCase(std::string_view a, std::string_view b);
// One hash for both forms of a name: hashFolded(foldedUtf16(t)) equals
// hashIgnoreCase(t).
std::uint64_t hashFolded(std::u16string_view folded);
std::uint64_t hashIgnoreCase(std::string_view text);

}  // namespace ocx::sim
