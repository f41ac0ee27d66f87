#include "platform/sim/reg_text.h"

#include <gtest/gtest.h>

#include "platform/sim/text_codec.h"

namespace ocx::sim {
namespace {

std::string roundTrip(const std::string& text) {
  RegistryStore store;
  importRegText(text, store);
  return exportRegText(store);
}

// regedit's full export of the control's type library on a 64-bit Windows 7.
const std::string kTypeLibExport =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\TypeLib]\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}]\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0]\r\n"
    "@=\"Microsoft Windows Common Controls 6.0 (SP6)\"\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0\\0]\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0\\0\\win32]\r\n"
    "@=\"C:\\\\Windows\\\\SysWOW64\\\\MSCOMCTL.OCX\"\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0\\FLAGS]\r\n"
    "@=\"0\"\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0\\HELPDIR]\r\n"
    "@=\"C:\\\\Windows\\\\SysWOW64\"\r\n"
    "\r\n"
    "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1]\r\n"
    "@=\"Microsoft Windows Common Controls 6.0 (SP6)\"\r\n"
    "\r\n";

const std::string kCurrentVersionExport =
    "Windows Registry Editor Version 5.00\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT]\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]\r\n"
    "\"CurrentVersion\"=\"6.1\"\r\n"
    "\"CurrentBuild\"=\"7601\"\r\n"
    "\"InstallDate\"=dword:4f1e5e00\r\n"
    "\"RegisteredOrganization\"=\"\"\r\n"
    "\"RegisteredOwner\"=\"Administrator\"\r\n"
    "\"SystemRoot\"=\"C:\\\\Windows\"\r\n"
    "\"ProductName\"=\"Windows 7 Professional\"\r\n"
    "\"DigitalProductId\"=hex:00,01,02,03,04,05,06,07,08,09,0a,0b,0c,0d,0e,0f,10,11,\\\r\n"
    "  12,13,14,15,16,17,18,19,1a,1b,1c,1d,1e,1f,20,21,22,23,24,25,26,27,28,29,2a,\\\r\n"
    "  2b,2c,2d,2e,2f,30,31\r\n"
    "\"PathName\"=hex(2):25,00,53,00,79,00,73,00,74,00,65,00,6d,00,52,00,6f,00,6f,00,\\\r\n"
    "  74,00,25,00,00,00\r\n"
    "\"Languages\"=hex(7):64,00,65,00,00,00,65,00,6e,00,00,00,00,00\r\n"
    "\"Stamp\"=hex(b):00,5e,1e,4f,00,00,00,00\r\n"
    "\"Nothing\"=hex(0):\r\n"
    "\"Short\"=hex(4):01,02\r\n"
    "\"CSDVersion\"=\"Service Pack 1\"\r\n"
    "\r\n"
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node]\r\n"
    "\r\n";

TEST(RegText, RegeditExportsReadBackByteForByte) {
  EXPECT_EQ(roundTrip(kTypeLibExport), kTypeLibExport);
  EXPECT_EQ(roundTrip(kCurrentVersionExport), kCurrentVersionExport);
}

TEST(RegText, TextThatWouldNotSurviveQuotesStaysHex) {
  // A lone surrogate, a line break, an inner NUL, no final NUL.
  const std::string text =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n"
      "\"Surrogate\"=hex(1):00,d8,00,00\r\n\"Break\"=hex(1):0a,00,00,00\r\n"
      "\"Inner\"=hex(1):61,00,00,00,62,00,00,00\r\n\"Open\"=hex(1):61,00\r\n\r\n";
  EXPECT_EQ(roundTrip(text), text);
}

TEST(RegText, ExportOrdersKeysComponentByComponentWithoutRegardToCase) {
  const std::string text =
      "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\b]\r\n[HKEY_CLASSES_ROOT\\a b]\r\n[HKEY_CLASSES_ROOT\\a\\z]\r\n"
      "[HKEY_CLASSES_ROOT\\A\\y]\r\n[HKEY_CURRENT_USER\\x]\r\n";
  EXPECT_EQ(roundTrip(text),
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CLASSES_ROOT\\a]\r\n\r\n"
            "[HKEY_CLASSES_ROOT\\a\\y]\r\n\r\n[HKEY_CLASSES_ROOT\\a\\z]\r\n\r\n[HKEY_CLASSES_ROOT\\a b]\r\n\r\n"
            "[HKEY_CURRENT_USER\\x]\r\n\r\n[HKEY_LOCAL_MACHINE\\b]\r\n\r\n");
}

TEST(RegText, Regedit4TextDataIsCodePage1252) {
  const std::string regedit4 =
      "REGEDIT4\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"T\"=\"Grüße\"\r\n\"E\"=hex(2):25,e4,25,00\r\n"
      "\"M\"=hex(7):80,00,00\r\n";
  const std::string unicode =
      "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\K]\r\n\"T\"=\"Grüße\"\r\n"
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
            "Windows Registry Editor Version 5.00\r\n\r\n[HKEY_CURRENT_USER\\A]\r\n\r\n"
            "[HKEY_CURRENT_USER\\A\\D]\r\n\"y\"=\"3\"\r\n\r\n");
}

TEST(RegText, LongHexLinesStayWithinEightyColumnsAndReadBack) {
  for (const std::size_t nameLength : {0u, 1u, 30u, 90u}) {
    for (const std::size_t bytes : {0u, 1u, 20u, 21u, 22u, 200u}) {
      SCOPED_TRACE(std::to_string(nameLength) + " / " + std::to_string(bytes));
      RegValue value{std::string(nameLength, 'n'), reg_type::kBinary, std::vector<std::uint8_t>(bytes, 0x5A)};
      const std::string line = formatValueLine(value);
      std::size_t start = 0;
      for (std::size_t end = line.find("\r\n"); end != std::string::npos; end = line.find("\r\n", start)) {
        const std::string piece = line.substr(start, end - start);
        if (start > 0) {
          EXPECT_EQ(piece.substr(0, 2), "  ");
        }
        // Only a name too long for any line may push past 80 columns.
        if (nameLength + 10 < 76) {
          EXPECT_LE(piece.size(), 80u) << piece;
        }
        start = end + 2;
      }
      RegistryStore store;
      importRegText("REGEDIT4\r\n[HKEY_CURRENT_USER\\K]\r\n" + line, store);
      const RegValue* read = store.find(RootKey::CurrentUser, "K")->value(value.name);
      ASSERT_NE(read, nullptr);
      EXPECT_EQ(read->data, value.data);
    }
  }
}

struct BadText {
  const char* what;
  std::string lines;  // after the header line
  int line;
  int column;
};

TEST(RegText, FirstMalformedLineIsReportedAtItsOffendingToken) {
  const BadText cases[] = {
      {"value before the first key", "\r\n\"V\"=\"x\"", 3, 1},
      {"unknown root", "[HKEY_NOWHERE\\A]", 2, 2},
      {"key without bracket", "[HKEY_CURRENT_USER\\A", 2, 1},
      {"text after a key", "  [HKEY_CURRENT_USER\\A] junk", 2, 25},
      {"plain words", "[HKEY_CURRENT_USER\\A]\r\ngarbage", 3, 1},
      {"nine dword digits", "[HKEY_CURRENT_USER\\A]\r\n\"V\"=dword:123456789", 3, 11},
      {"bad hex byte", "[HKEY_CURRENT_USER\\A]\r\n\"V\"=hex:01,zz", 3, 12},
      {"unknown data", "[HKEY_CURRENT_USER\\A]\r\n\"V\"=foo", 3, 5},
      {"missing equals", "[HKEY_CURRENT_USER\\A]\r\n\"V\" \"x\"", 3, 5},
      {"unterminated text", "[HKEY_CURRENT_USER\\A]\r\n\"V\"=\"open", 3, 5},
      {"bad byte on a continuation line", "[HKEY_CURRENT_USER\\A]\r\n\"V\"=hex:01,\\\r\n  02,xx", 4, 6},
      {"columns count characters", "[HKEY_CURRENT_USER\\A]\r\n\"Ü\"=hex(1):zz", 3, 12},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    RegistryStore store;
    try {
      importRegText("Windows Registry Editor Version 5.00\r\n" + c.lines, store);
      ADD_FAILURE() << "accepted";
    } catch (const RegTextError& e) {
      EXPECT_EQ(e.line(), c.line);
      EXPECT_EQ(e.column(), c.column);
    }
  }
  RegistryStore store;
  try {
    importRegText("REGEDIT5\r\n", store);
    ADD_FAILURE() << "accepted an unknown header";
  } catch (const RegTextError& e) {
    EXPECT_EQ(e.line(), 1);
    EXPECT_EQ(e.column(), 1);
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
