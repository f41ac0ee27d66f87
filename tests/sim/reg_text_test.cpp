#include "platform/sim/reg_text.h"

#include <gtest/gtest.h>
#include <unistd.h>

#include <fstream>

#include "platform/sim/text_codec.h"

namespace ocx::sim {
namespace {

// The export of what a text imports, or "line:column" of its first error.
std::string roundTrip(const std::string& text) {
  RegistryStore store;
  try {
    importRegText(text, store);
  } catch (const RegTextError& e) {
    return std::to_string(e.line()) + ":" + std::to_string(e.column());
  }
  return exportRegText(store);
}

const std::string kHeader = "Windows Registry Editor Version 5.00\r\n\r\n";

TEST(RegText, RegeditExportsReadBackByteForByte) {
  // As regedit exports them on a 64-bit Windows 7: default values, every
  // value kind, continued hex lines, and texts that would not survive
  // quotes (a lone surrogate, a line break, an inner NUL, no final NUL).
  const std::string exports[] = {
      kHeader +
          "[HKEY_CLASSES_ROOT\\TypeLib]\r\n\r\n"
          "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}]\r\n\r\n"
          "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0]\r\n"
          "@=\"Microsoft Windows Common Controls 6.0 (SP6)\"\r\n\r\n"
          "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0\\0]\r\n\r\n"
          "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0\\0\\win32]\r\n"
          "@=\"C:\\\\Windows\\\\SysWOW64\\\\MSCOMCTL.OCX\"\r\n\r\n",
      kHeader +
          "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n\r\n[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft]\r\n\r\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT]\r\n\r\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
          "\"CurrentVersion\"=\"6.1\"\r\n"
          "\"InstallDate\"=dword:4f1e5e00\r\n"
          "\"RegisteredOrganization\"=\"\"\r\n"
          "\"DigitalProductId\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,\\\r\n"
          "  12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,\\\r\n"
          "  2b,2c,2d,2e,2f,30,31\r\n"
          "\"PathName\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,\\\r\n"
          "  74,00,25,00,00,00\r\n"
          "\"Languages\"=hex(7):64,00,65,00,00,00,65,00,6e,00,00,00,00,00\r\n"
          "\"Stamp\"=hex(b):00,5e,1e,4f,00,00,00,00\r\n"
          "\"Nothing\"=hex(0):\r\n"
          "\"Short\"=hex(4):01,02\r\n\r\n"
          "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node]\r\n\r\n",
      kHeader +
          "[HKEY_CURRENT_USER\\K]\r\n\"Surrogate\"=hex(1):00,d8,00,00\r\n\"Break\"=hex(1):0a,00,00,00\r\n"
          "\"Inner\"=hex(1):61,00,00,00,62,00,00,00\r\n\"Open\"=hex(1):61,00\r\n\r\n",
  };
  for (const auto& text : exports) {
    EXPECT_EQ(roundTrip(text), text);
  }
}

TEST(RegText, ExportOrdersKeysComponentByComponentWithoutRegardToCase) {
  const std::string text =
      "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\b]\r\n[HKEY_CLASSES_ROOT\\a b]\r\n[HKEY_CLASSES_ROOT\\a\\z]\r\n"
      "[HKEY_CLASSES_ROOT\\A\\y]\r\n[HKEY_CURRENT_USER\\x]\r\n";
  EXPECT_EQ(roundTrip(text), kHeader +
                                 "[HKEY_CLASSES_ROOT\\a]\r\n\r\n[HKEY_CLASSES_ROOT\\a\\y]\r\n\r\n"
                                 "[HKEY_CLASSES_ROOT\\a\\z]\r\n\r\n[HKEY_CLASSES_ROOT\\a b]\r\n\r\n"
                                 "[HKEY_CURRENT_USER\\x]\r\n\r\n[HKEY_LOCAL_MACHINE\\b]\r\n\r\n");
}

TEST(RegText, Regedit4TextDataIsCodePage1252) {
  const std::string regedit4 =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"T\"=\"Grüße\"\r\n\"E\"=hex(2):25,e4,25,00\r\n"
      "\"M\"=hex(7):80,00,00\r\n";
  const std::string unicode = kHeader +
                              "[HKEY_CURRENT_USER\\K]\r\n\"T\"=\"Grüße\"\r\n"
                              "\"E\"=hex(2):25,00,e4,00,25,00,00,00\r\n\"M\"=hex(7):ac,20,00,00,00,00\r\n";
  EXPECT_EQ(roundTrip(regedit4), roundTrip(unicode));
}

TEST(RegText, DeletionsRemoveKeysWithTheirSubtreeAndSingleValues) {
  RegistryStore store;
  importRegText(
      "REGEDIT4\r\n[HKEY_CURRENT_USER\\A\\B\\C]\r\n[HKEY_CURRENT_USER\\A\\D]\r\n\"x\"=\"1\"\r\n\"y\"=\"2\"\r\n", store);
  importRegText(
      "REGEDIT4\r\n[-HKEY_CURRENT_USER\\A\\B]\r\n\"ignored\"=\"after a deletion\"\r\n"
      "[HKEY_CURRENT_USER\\A\\D]\r\n\"x\"=-\r\n\"Y\"=\"3\"\r\n",
      store);
  EXPECT_EQ(exportRegText(store),
            kHeader + "[HKEY_CURRENT_USER\\A]\r\n\r\n[HKEY_CURRENT_USER\\A\\D]\r\n\"y\"=\"3\"\r\n\r\n");
}

// A header, a value before any key and unknown data are refused end to end
// among the bad profiles.
TEST(RegText, FirstMalformedLineIsReportedAtItsOffendingToken) {
  const std::string key = "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n";
  const struct {
    const char* what;
    std::string text;
    const char* at;
  } cases[] = {
      {"unknown root", "REGEDIT4\r\n[HKEY_NOWHERE\\A]", "2:2"},
      {"key without bracket", "REGEDIT4\r\n[HKEY_CURRENT_USER\\A", "2:1"},
      {"text after a key", "REGEDIT4\r\n  [HKEY_CURRENT_USER\\A] junk", "2:25"},
      {"nine dword digits", key + "\"V\"=dword:123456789", "3:11"},
      {"bad hex byte", key + "\"V\"=hex:01,zz", "3:12"},
      {"missing equals", key + "\"V\" \"x\"", "3:5"},
      {"unterminated text", key + "\"V\"=\"open", "3:5"},
      {"bad byte on a continuation line", key + "\"V\"=hex:01,\\\r\n  02,xx", "4:6"},
      {"columns count characters", key + "\"Ü\"=hex(1):zz", "3:12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_EQ(roundTrip(c.text), c.at);
  }
}

std::string utf16File(const std::string& text) {
  std::string bytes = "\xFF\xFE";
  for (std::uint8_t byte : utf16Bytes(utf8ToUtf16(text))) {
    bytes += static_cast<char>(byte);
  }
  return bytes;
}

// The same for a file's bytes, read as a file.
std::string outcomeOfFile(const std::string& bytes) {
  const std::string path = ::testing::TempDir() + "reg_file_" + std::to_string(getpid()) + ".reg";
  std::ofstream(path, std::ios::binary) << bytes;
  RegistryStore store;
  try {
    EXPECT_TRUE(importRegFile(path, store));
  } catch (const RegTextError& e) {
    return std::to_string(e.line()) + ":" + std::to_string(e.column());
  }
  return exportRegText(store);
}

TEST(RegText, LargeFilesReadInPiecesGiveWhatTheirWholeTextGives) {
  // Files longer than the piece the reader takes at a time (a megabyte),
  // with characters of every length, surrogate pairs and line ends
  // around the points where one piece ends and the next begins.
  const std::string run = "\xE2\x82\xAC\xF0\x9D\x84\x9E\xC3\xBC\\\\x\"\r\n\"z\"=\"";
  const auto big = [&](const std::string& header, std::size_t at, const std::string& tail) {
    std::string text = header + "\r\n\r\n[HKEY_CURRENT_USER\\Größe\\𝄞]\r\n\"v\"=\"";
    text += std::string(at - std::min(at, text.size()), 'a');
    for (int i = 0; i < 30; ++i) {
      text += run + std::to_string(i);
    }
    return text + "\"\r\n[hkey_current_user\\GRÖSSE\\𝄞\\ёлка]\r\n" + tail;
  };
  const std::string fine = "@=hex(2):25,00,e4,00\r\n";
  const std::string malformed = "\"bad\"=foo\r\n";
  const std::size_t kMega = std::size_t{1} << 20;
  for (std::size_t shift = 0; shift < 4; ++shift) {
    SCOPED_TRACE(shift);
    for (const std::string& tail : {fine, malformed}) {
      // UTF-16LE: pieces of bytes after the byte-order mark, two per unit.
      const std::string unicode = big(std::string(kRegedit5Header), kMega / 2 - 8 + shift, tail);
      EXPECT_EQ(outcomeOfFile(utf16File(unicode)), roundTrip(unicode));
      // UTF-8, with and without its mark.
      const std::string utf8 = big(std::string(kRegedit5Header), kMega - 8 + shift, tail);
      EXPECT_EQ(outcomeOfFile("\xEF\xBB\xBF" + utf8), roundTrip(utf8));
      EXPECT_EQ(outcomeOfFile(utf8), roundTrip(utf8));
    }
  }
  // Code page 1252 is found only by a byte far into the file that is not
  // UTF-8.
  const std::string ansiTail = "\"T\"=\"Gr\xFC\xDF\x65 \x80\"\r\n";
  const std::string utf8Tail = "\"T\"=\"Grüße €\"\r\n";
  EXPECT_EQ(
      outcomeOfFile("REGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=\"" + std::string(3 * kMega, 'a') + "\"\r\n" +
                    ansiTail),
      roundTrip("REGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n\"v\"=\"" + std::string(3 * kMega, 'a') + "\"\r\n" + utf8Tail));
  RegistryStore store;
  EXPECT_FALSE(importRegFile(::testing::TempDir(), store));
  EXPECT_FALSE(importRegFile(::testing::TempDir() + "no such file.reg", store));
  EXPECT_EQ(outcomeOfFile("\r\n \t\r\n"), roundTrip(""));
}

}  // namespace
}  // namespace ocx::sim
