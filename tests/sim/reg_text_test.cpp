#include "platform/sim/reg_text.h"

#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "platform/sim/text_codec.h"

namespace ocx::sim {
namespace {

using test::positionOf;

std::string roundTrip(const std::string& text) {
  RegistryStore store;
  importRegText(text, store);
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

TEST(RegText, FirstMalformedLineIsReportedAtItsOffendingToken) {
  const std::string key = "Windows Registry Editor Version 5.00\r\n[HKEY_CURRENT_USER\\A]\r\n";
  const struct {
    const char* what;
    std::string text;
    const char* at;
  } cases[] = {
      {"unknown header", "REGEDIT5\r\n", "1:1"},
      {"value before the first key", "REGEDIT4\r\n\r\n\"V\"=\"x\"", "3:1"},
      {"unknown root", "REGEDIT4\r\n[HKEY_NOWHERE\\A]", "2:2"},
      {"key without bracket", "REGEDIT4\r\n[HKEY_CURRENT_USER\\A", "2:1"},
      {"text after a key", "REGEDIT4\r\n  [HKEY_CURRENT_USER\\A] junk", "2:25"},
      {"nine dword digits", key + "\"V\"=dword:123456789", "3:11"},
      {"bad hex byte", key + "\"V\"=hex:01,zz", "3:12"},
      {"unknown data", key + "\"V\"=foo", "3:5"},
      {"missing equals", key + "\"V\" \"x\"", "3:5"},
      {"unterminated text", key + "\"V\"=\"open", "3:5"},
      {"bad byte on a continuation line", key + "\"V\"=hex:01,\\\r\n  02,xx", "4:6"},
      {"columns count characters", key + "\"Ü\"=hex(1):zz", "3:12"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RegistryStore store;
    EXPECT_EQ(positionOf<RegTextError>([&] { importRegText(c.text, store); }), c.at);
  }
}

TEST(RegText, FilesAreDecodedByTheirByteOrderMarkOrAsCodePage1252) {
  const std::string text = "REGEDIT4\r\n[HKEY_CURRENT_USER\\Grüße]\r\n";
  std::string utf16 = "\xFF\xFE";
  for (std::uint8_t byte : utf16Bytes(utf8ToUtf16(text))) {
    utf16 += static_cast<char>(byte);
  }
  EXPECT_EQ(decodeRegFile(utf16), text);
  EXPECT_EQ(decodeRegFile("\xEF\xBB\xBF" + text), text);
  EXPECT_EQ(decodeRegFile(text), text);
  EXPECT_EQ(decodeRegFile("REGEDIT4\r\n[HKEY_CURRENT_USER\\Gr\xFC\xDF\x65]\r\n"), text);
}

}  // namespace
}  // namespace ocx::sim
