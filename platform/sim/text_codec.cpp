#include "platform/sim/text_codec.h"

#include <algorithm>
#include <array>

#include "platform/sim/best_fit_1252.h"

namespace ocx::sim {

namespace {

// Code page 1252 bytes 0x80 to 0x9F as characters. The five bytes the code
// page leaves undefined stand for the control character of the same number,
// as Windows reads them.
constexpr std::array<char16_t, 32> kHighControls = {
    0x20AC, 0x0081, 0x201A, 0x0192, 0x201E, 0x2026, 0x2020, 0x2021, 0x02C6, 0x2030, 0x0160,
    0x2039, 0x0152, 0x008D, 0x017D, 0x008F, 0x0090, 0x2018, 0x2019, 0x201C, 0x201D, 0x2022,
    0x2013, 0x2014, 0x02DC, 0x2122, 0x0161, 0x203A, 0x0153, 0x009D, 0x017E, 0x0178,
};

char unitToAnsi(char16_t unit) {
  if (unit < 0x80) {
    return static_cast<char>(unit);
  }
  const auto found = std::ranges::lower_bound(kBestFit1252, unit, {}, &BestFitEntry::unit);
  return found != kBestFit1252.end() && found->unit == unit ? static_cast<char>(found->byte) : '?';
}

void appendUtf8(std::string& out, char32_t cp) {
  if (cp < 0x80) {
    out += static_cast<char>(cp);
  } else if (cp < 0x800) {
    out += static_cast<char>(0xC0 | (cp >> 6));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else if (cp < 0x10000) {
    out += static_cast<char>(0xE0 | (cp >> 12));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  } else {
    out += static_cast<char>(0xF0 | (cp >> 18));
    out += static_cast<char>(0x80 | ((cp >> 12) & 0x3F));
    out += static_cast<char>(0x80 | ((cp >> 6) & 0x3F));
    out += static_cast<char>(0x80 | (cp & 0x3F));
  }
}

// Decodes one code point at `pos`, advancing it; false on a malformed
// sequence (then `pos` moves past one byte).
bool decodeUtf8(std::string_view text, std::size_t& pos, char32_t& cp) {
  const auto byte = [&](std::size_t i) { return static_cast<unsigned char>(text[i]); };
  const unsigned char lead = byte(pos);
  int extra = 0;
  if (lead < 0x80) {
    cp = lead;
    ++pos;
    return true;
  }
  if ((lead & 0xE0) == 0xC0) {
    cp = lead & 0x1F;
    extra = 1;
  } else if ((lead & 0xF0) == 0xE0) {
    cp = lead & 0x0F;
    extra = 2;
  } else if ((lead & 0xF8) == 0xF0) {
    cp = lead & 0x07;
    extra = 3;
  } else {
    ++pos;
    return false;
  }
  if (pos + extra >= text.size()) {
    ++pos;
    return false;
  }
  for (int i = 1; i <= extra; ++i) {
    if ((byte(pos + i) & 0xC0) != 0x80) {
      ++pos;
      return false;
    }
    cp = (cp << 6) | (byte(pos + i) & 0x3F);
  }
  static constexpr char32_t kMin[] = {0, 0x80, 0x800, 0x10000};
  if (cp < kMin[extra] || cp > 0x10FFFF || (cp >= 0xD800 && cp <= 0xDFFF)) {
    ++pos;
    return false;
  }
  pos += extra + 1;
  return true;
}

char16_t foldUnit(char16_t unit) {
  if (unit >= u'a' && unit <= u'z') {
    return unit - 0x20;
  }
  if (unit >= 0xE0 && unit <= 0xFE && unit != 0xF7) {
    return unit - 0x20;
  }
  if (unit == 0xFF) {
    return 0x178;
  }
  // Latin Extended-A pairs each capital with the small letter after it;
  // dotless i, kra, the n after an apostrophe and the long s stand alone.
  if (unit >= 0x100 && unit <= 0x17F && unit != 0x131 && unit != 0x138 && unit != 0x149 && unit != 0x17F) {
    const bool oddCapitals = (unit >= 0x139 && unit <= 0x148) || (unit >= 0x179 && unit <= 0x17E);
    return (unit % 2 == (oddCapitals ? 0 : 1)) ? unit - 1 : unit;
  }
  // Greek and Cyrillic small letters lie a fixed distance above their
  // capitals; the final sigma is a small sigma.
  if (unit == 0x3C2) {
    return 0x3A3;
  }
  if ((unit >= 0x3B1 && unit <= 0x3CB) || (unit >= 0x430 && unit <= 0x44F)) {
    return unit - 0x20;
  }
  if (unit >= 0x450 && unit <= 0x45F) {
    return unit - 0x50;
  }
  // The small vowels with tonos lie apart from their capitals. Iota and
  // upsilon with dialytika and tonos have no capital of one unit and stay.
  switch (unit) {
    case 0x3AC:
      return 0x386;
    case 0x3AD:
    case 0x3AE:
    case 0x3AF:
      return unit - 0x25;
    case 0x3CC:
      return 0x38C;
    case 0x3CD:
    case 0x3CE:
      return unit - 0x3F;
    default:
      return unit;
  }
}

// A UTF-8 text as the folded UTF-16 units it compares by, one at a time: a
// malformed sequence is U+FFFD and a code point above U+FFFF a surrogate
// pair, as utf8ToUtf16 gives them.
class FoldedUnits {
 public:
  explicit FoldedUnits(std::string_view text) : text_(text) {}

  bool next(char16_t& unit) {
    if (low_ != 0) {
      unit = low_;
      low_ = 0;
      return true;
    }
    if (pos_ >= text_.size()) {
      return false;
    }
    const auto lead = static_cast<unsigned char>(text_[pos_]);
    if (lead < 0x80) {
      ++pos_;
      unit = foldUnit(lead);
      return true;
    }
    char32_t cp = 0;
    if (!decodeUtf8(text_, pos_, cp)) {
      cp = 0xFFFD;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      unit = static_cast<char16_t>(0xD800 + (cp >> 10));
      low_ = static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
      return true;
    }
    unit = foldUnit(static_cast<char16_t>(cp));
    return true;
  }

 private:
  std::string_view text_;
  std::size_t pos_ = 0;
  char16_t low_ = 0;
};

constexpr std::uint64_t kFnvOffset = 0xcbf29ce484222325ULL;
constexpr std::uint64_t kFnvPrime = 0x100000001b3ULL;

std::uint64_t hashUnit(std::uint64_t hash, char16_t unit) {
  return (hash ^ unit) * kFnvPrime;
}

}  // namespace

std::u16string utf8ToUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  std::size_t pos = 0;
  while (pos < text.size()) {
    char32_t cp = 0;
    if (!decodeUtf8(text, pos, cp)) {
      cp = 0xFFFD;
    }
    if (cp >= 0x10000) {
      cp -= 0x10000;
      out += static_cast<char16_t>(0xD800 + (cp >> 10));
      out += static_cast<char16_t>(0xDC00 + (cp & 0x3FF));
    } else {
      out += static_cast<char16_t>(cp);
    }
  }
  return out;
}

std::string utf16ToUtf8(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (std::size_t i = 0; i < text.size(); ++i) {
    char32_t cp = text[i];
    if (cp >= 0xD800 && cp <= 0xDBFF && i + 1 < text.size() && text[i + 1] >= 0xDC00 && text[i + 1] <= 0xDFFF) {
      cp = 0x10000 + ((cp - 0xD800) << 10) + (text[i + 1] - 0xDC00);
      ++i;
    } else if (cp >= 0xD800 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    appendUtf8(out, cp);
  }
  return out;
}

std::vector<std::uint8_t> utf16Bytes(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  bytes.reserve(text.size() * 2);
  for (char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

std::u16string utf16FromBytes(const std::vector<std::uint8_t>& bytes) {
  std::u16string text;
  text.reserve(bytes.size() / 2);
  for (std::size_t i = 0; i + 1 < bytes.size(); i += 2) {
    text += static_cast<char16_t>(bytes[i] | (bytes[i + 1] << 8));
  }
  return text;
}

std::string utf16ToAnsi(std::u16string_view text) {
  std::string out;
  out.reserve(text.size());
  for (char16_t unit : text) {
    out += unitToAnsi(unit);
  }
  return out;
}

std::u16string ansiToUtf16(std::string_view bytes) {
  std::u16string out;
  out.reserve(bytes.size());
  for (char c : bytes) {
    const auto b = static_cast<unsigned char>(c);
    out += (b >= 0x80 && b < 0xA0) ? kHighControls[b - 0x80] : static_cast<char16_t>(b);
  }
  return out;
}

std::string utf8ToAnsi(std::string_view text) {
  return utf16ToAnsi(utf8ToUtf16(text));
}

std::string ansiToUtf8(std::string_view bytes) {
  return utf16ToUtf8(ansiToUtf16(bytes));
}

std::string throughAnsi(std::string_view text) {
  return ansiToUtf8(utf8ToAnsi(text));
}

bool isValidUtf8(std::string_view text) {
  return firstInvalidUtf8(text) == std::string_view::npos;
}

std::size_t firstInvalidUtf8(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size()) {
    const std::size_t start = pos;
    char32_t cp = 0;
    if (!decodeUtf8(text, pos, cp)) {
      return start;
    }
  }
  return std::string_view::npos;
}

std::u16string foldCase(std::u16string_view text) {
  std::u16string out(text);
  for (char16_t& unit : out) {
    unit = foldUnit(unit);
  }
  return out;
}

std::u16string foldedUtf16(std::string_view text) {
  std::u16string out;
  out.reserve(text.size());
  FoldedUnits units(text);
  char16_t unit = 0;
  while (units.next(unit)) {
    out += unit;
  }
  return out;
}

std::string foldCaseUtf8(std::string_view text) {
  return utf16ToUtf8(foldedUtf16(text));
}

bool equalsIgnoreCase(std::string_view a, std::string_view b) {
  return compareIgnoreCase(a, b) == 0;
}

int compareIgnoreCase(std::string_view a, std::string_view b) {
  FoldedUnits left(a);
  FoldedUnits right(b);
  while (true) {
    char16_t l = 0;
    char16_t r = 0;
    const bool hasLeft = left.next(l);
    const bool hasRight = right.next(r);
    if (!hasLeft || !hasRight) {
      return hasLeft ? 1 : (hasRight ? -1 : 0);
    }
    if (l != r) {
      return l < r ? -1 : 1;
    }
  }
}

std::uint64_t hashFolded(std::u16string_view folded) {
  std::uint64_t hash = kFnvOffset;
  for (char16_t unit : folded) {
    hash = hashUnit(hash, unit);
  }
  return hash;
}

std::uint64_t hashIgnoreCase(std::string_view text) {
  std::uint64_t hash = kFnvOffset;
  FoldedUnits units(text);
  char16_t unit = 0;
  while (units.next(unit)) {
    hash = hashUnit(hash, unit);
  }
  return hash;
}

std::size_t appendUtf16LeAsUtf8(std::string_view bytes, bool final, std::string& out) {
  const auto unitAt = [&](std::size_t i) {
    return static_cast<char16_t>(static_cast<unsigned char>(bytes[i]) |
                                 (static_cast<unsigned char>(bytes[i + 1]) << 8));
  };
  const std::size_t whole = bytes.size() & ~std::size_t{1};
  std::size_t i = 0;
  while (i < whole) {
    char32_t cp = unitAt(i);
    if (cp < 0x80) {
      out += static_cast<char>(cp);
      i += 2;
      continue;
    }
    if (cp >= 0xD800 && cp <= 0xDBFF) {
      if (i + 2 >= whole && !final) {
        return i;
      }
      const char16_t low = i + 2 < whole ? unitAt(i + 2) : 0;
      if (low >= 0xDC00 && low <= 0xDFFF) {
        appendUtf8(out, 0x10000 + ((cp - 0xD800) << 10) + (low - 0xDC00));
        i += 4;
        continue;
      }
      cp = 0xFFFD;
    } else if (cp >= 0xDC00 && cp <= 0xDFFF) {
      cp = 0xFFFD;
    }
    appendUtf8(out, cp);
    i += 2;
  }
  return final ? bytes.size() : i;
}

std::size_t unfinishedUtf8Tail(std::string_view text) {
  // A lead byte among the last three whose sequence runs past the end.
  for (std::size_t back = 1; back <= 3 && back <= text.size(); ++back) {
    const auto byte = static_cast<unsigned char>(text[text.size() - back]);
    if ((byte & 0xC0) == 0x80) {
      continue;
    }
    const std::size_t length = (byte & 0xE0) == 0xC0 ? 2 : (byte & 0xF0) == 0xE0 ? 3 : (byte & 0xF8) == 0xF0 ? 4 : 1;
    return length > back ? back : 0;
  }
  return 0;
}

}  // namespace ocx::sim
