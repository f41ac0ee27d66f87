#include "platform/sim/text_codec.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <string>
#include <vector>

namespace ocx::sim {
namespace {

// Names as the registry and the file system meet them: ASCII, umlauts and
// their Latin-1 neighbours, Latin Extended-A, Greek with its final sigma,
// Cyrillic, characters beyond U+FFFF, the private use area that sorts after
// the surrogates in UTF-16, and malformed UTF-8.
const std::vector<std::string> kNames = {
    "",        "a",       "A",        "Software", "SOFTWARE", "Größe", "GRÖSSE", "größe",
    "ÿ",       "Ÿ",       "Ärzte",    "ärzte",    "Łódź",     "łÓDŹ",  "ıi",     "ſ",
    "Σύστημα", "ΣΎΣΤΗΜΑ", "σύστημας", "ΣΎΣΤΗΜΑΣ", "Ёлка",     "ёЛКА",  "Шрифты", "шрифты",
    "𝄞note",   "\uE000",  "\uFF21",   "\uFF41",   "a\xFF",    "a\xFE", "a\xC3",  "\xE2\x82",
};

// The folded UTF-16 units, by the conversions that existed before any
// shortcut: every shortcut must agree with them.
std::u16string reference(const std::string& name) {
  return foldCase(utf8ToUtf16(name));
}

int sign(int n) {
  return (n > 0) - (n < 0);
}

TEST(CaseFolding, ShortcutsAgreeWithFoldingTheConvertedText) {
  for (const auto& a : kNames) {
    SCOPED_TRACE(a);
    EXPECT_EQ(foldedUtf16(a), reference(a));
    EXPECT_EQ(hashIgnoreCase(a), hashFolded(reference(a)));
    for (const auto& b : kNames) {
      SCOPED_TRACE(b);
      EXPECT_EQ(sign(compareIgnoreCase(a, b)), sign(reference(a).compare(reference(b))));
      EXPECT_EQ(equalsIgnoreCase(a, b), reference(a) == reference(b));
    }
  }
}

TEST(CaseFolding, LettersOutsideAsciiMatchTheirOtherCase) {
  const std::pair<const char*, const char*> same[] = {
      {"Größe", "GRÖßE"}, {"ärzte", "ÄRZTE"},   {"ÿ", "Ÿ"},         {"łódź", "ŁÓDŹ"},       {"σημας", "ΣΗΜΑΣ"},
      {"ёлка", "ЁЛКА"},   {"шрифты", "ШРИФТЫ"}, {"a\xFF", "A\xFE"}, {"άέήίόύώ", "ΆΈΉΊΌΎΏ"}, {"Σύστημα", "ΣΎΣΤΗΜΑ"},
  };
  for (const auto& [a, b] : same) {
    EXPECT_TRUE(equalsIgnoreCase(a, b)) << a << " " << b;
  }
  // The tonos is part of the letter; iota and upsilon with dialytika and
  // tonos have no capital of their own and match only themselves.
  const std::pair<const char*, const char*> different[] = {
      {"ά", "Α"}, {"ό", "Ο"}, {"ΐ", "Ϊ"}, {"ΐ", "Ι"}, {"ΰ", "Ϋ"}, {"ΰ", "Υ"},
  };
  for (const auto& [a, b] : different) {
    EXPECT_FALSE(equalsIgnoreCase(a, b)) << a << " " << b;
  }
  // Code units, not code points, decide the order: a character beyond
  // U+FFFF (a surrogate pair) sorts before U+E000.
  EXPECT_LT(compareIgnoreCase("𝄞", "\uE000"), 0);
  EXPECT_LT(compareIgnoreCase("Z", "ä"), 0);
  EXPECT_GT(compareIgnoreCase("ab", "A"), 0);
}

TEST(AnsiConversion, CharactersOutsideTheCodePageTakeTheirBestFitOrAQuestionMark) {
  const std::pair<const char*, std::string> cases[] = {
      {"Jürgen Groß", "J\xFCrgen Gro\xDF"},  // in the code page
      {"€ – “x” …", "\x80 \x96 \x93x\x94 \x85"},
      {"Łukasz Żółć", "Lukasz Z\xF3lc"},  // Latin Extended-A: the base letter
      {"Đ ı İ", "\xD0 i I"},
      {"Ω α β µ μ", "O a \xDF \xB5 \xB5"},  // Greek where the table has a likeness
      {"ά κ Ж", "? ? ?"},                   // and where it has none
      {"ＡＢ１", "AB1"},                    // fullwidth forms
      {"∞ ≤ ─", "8 = -"},
      {"\u0080\u0081\u009D\u009F", "?\x81\x9D?"},  // C1 controls: only the code page's holes
      {"𝄞", "??"},                                 // each half of a surrogate pair
  };
  for (const auto& [text, ansi] : cases) {
    EXPECT_EQ(utf8ToAnsi(text), ansi) << text;
  }
  EXPECT_EQ(throughAnsi("C:\\Users\\Łukasz Ωmega"), "C:\\Users\\Lukasz Omega");
}

TEST(AnsiConversion, EveryByteOfTheCodePageComesBackAsItself) {
  for (int b = 0; b < 256; ++b) {
    const std::string byte(1, static_cast<char>(b));
    EXPECT_EQ(utf16ToAnsi(ansiToUtf16(byte)), byte) << b;
  }
}

TEST(Utf16Pieces, AnySplitOfTheBytesGivesTheWholeTextsConversion) {
  // A surrogate pair, a lone high and a lone low surrogate, a character
  // of three UTF-8 bytes and a trailing odd byte.
  std::u16string units = u"Gr\u00FC\u00DFe \U0001D11E x";
  units += static_cast<char16_t>(0xD800);
  units += u"y";
  units += static_cast<char16_t>(0xDC00);
  units += u"\u20AC";
  units += static_cast<char16_t>(0xDBFF);
  std::string bytes;
  for (std::uint8_t byte : utf16Bytes(units)) {
    bytes += static_cast<char>(byte);
  }
  for (const std::string& whole : {bytes, bytes + "A"}) {
    const std::string expected = utf16ToUtf8(units);
    for (std::size_t cut = 0; cut <= whole.size(); ++cut) {
      SCOPED_TRACE(cut);
      std::string out;
      std::string pending = whole.substr(0, cut);
      pending.erase(0, appendUtf16LeAsUtf8(pending, false, out));
      pending += whole.substr(cut);
      appendUtf16LeAsUtf8(pending, true, out);
      EXPECT_EQ(out, expected);
    }
  }
}

}  // namespace
}  // namespace ocx::sim
