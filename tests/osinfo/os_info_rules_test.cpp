#include "osinfo/os_info_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

namespace ocx::osinfo {
namespace {

using namespace std::string_literals;

TEST(VersionCode, FirstMatchingRowWins) {
  const struct {
    std::int32_t platform, major, minor, productType, code;
  } rows[] = {
      // clang-format off
      {1, 4, 0, 0, 1},   {1, 4, 10, 0, 2},  {1, 4, 90, 0, 3},  {1, 4, 91, 0, 0},  {1, 5, 0, 0, 0},
      {2, 3, 51, 0, 4},  {2, 3, 50, 0, 0},  {2, 4, 1, 3, 5},   {2, 5, 0, 0, 6},   {2, 5, 1, 3, 7},
      {2, 5, 2, 1, 7},   {2, 5, 2, 2, 8},   {2, 5, 2, 0, 8},   {2, 6, 0, 1, 9},   {2, 6, 0, 3, 10},
      {2, 6, 1, 1, 11},  {2, 6, 1, 2, 12},  {2, 6, 2, 1, 0},   {3, 6, 1, 1, 0},
      // clang-format on
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.platform << " " << row.major << "." << row.minor << " type "
                                    << row.productType);
    EXPECT_EQ(versionCode(row.platform, row.major, row.minor, row.productType), row.code);
  }
}

TEST(EditionCode, DecidesOnProductTypeThenInRowOrder) {
  const struct {
    std::int32_t productType, suiteMask;
    std::map<int, std::int32_t> metrics;
    std::int32_t code;
    std::vector<int> asked;  // a metric is asked only until one decides, and never on a server
  } rows[] = {
      {1, 0, {{88, 1}, {87, 1}, {86, 1}}, 0, {88}},  // Starter before Media Center and Tablet PC
      {1, 0x0200, {{87, 5}, {86, 1}}, 7, {88, 87}},
      {1, 0x0200, {{86, -1}}, 8, {88, 87, 86}},
      {1, 0x0200, {}, 1, {88, 87, 86}},
      {1, 0x8000, {}, 2, {88, 87, 86}},
      {2, 0x8000 | 0x0002, {}, 9, {}},
      {3, 0x0002 | 0x0080, {}, 4, {}},
      {3, 0x0080 | 0x0400, {}, 5, {}},
      {3, 0x0400 | 0x0001, {}, 6, {}},
      {2, 0x0001, {}, 10, {}},
      {3, 0x0020, {}, 10, {}},
      {3, 0x0200, {{88, 1}}, 3, {}},  // workstation bits and metrics mean nothing on a server
      {0, 0x0200, {{87, 1}}, 0, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "type " << row.productType << " mask " << row.suiteMask);
    std::vector<int> asked;
    const auto metric = [&](int index) {
      asked.push_back(index);
      const auto it = row.metrics.find(index);
      return it == row.metrics.end() ? 0 : it->second;
    };
    EXPECT_EQ(editionCode(row.productType, static_cast<std::int16_t>(row.suiteMask), metric), row.code);
    EXPECT_EQ(asked, row.asked);
  }
}

TEST(WindowsName, AppendsThePiecesOfEachRelease) {
  const struct {
    NameFacts facts;
    std::string name;
  } rows[] = {
      {{3, 3000, 0, 0, 0, false, 0}, "Microsoft Windows Me"},
      {{4, 1057, 0, 0, 0, false, 0}, "Microsoft Windows"},
      {{4, 1057, 3, 0, 3, false, 0}, "Microsoft Windows NT 3.51 Server"},
      {{5, 1381, 3, 2, 4, false, 0}, "Microsoft Windows NT Server 4.0 Enterprise Edition"},
      {{6, 2195, 2, 0x82, 4, false, 0}, "Microsoft Windows 2000 Datacenter Server"},
      {{6, 2195, 3, 0x02, 4, false, 0}, "Microsoft Windows 2000 Advanced Server"},
      {{7, 2600, 1, 0x40 | 0x200, 7, false, 0}, "Microsoft Windows XP Embedded"},
      {{7, 2600, 1, 0, 8, false, 0}, "Microsoft Windows XP Tablet PC Edition"},
      {{7, 2600, 1, 0x200, 0, false, 0}, "Microsoft Windows XP Starter Edition"},
      {{7, 3790, 1, 0, 2, true, 0}, "Microsoft Windows XP Professional"},
      {{8, 3790, 3, 0x2000 | -32768, 9, true, 0}, "Microsoft Windows Storage Server 2003"},
      {{8, 3790, 3, 0x2000, 3, true, 0}, "Microsoft Windows Storage Server 2003 R2"},
      {{8, 3790, 3, 0x0020, 10, false, 0}, "Microsoft Windows Small Business Server 2003"},
      {{8, 3790, 3, 0x0400 | 0x0080, 6, false, 0}, "Microsoft Windows Server 2003 Web Edition"},
      {{8, 3790, 3, 0x0082, 4, false, 0}, "Microsoft Windows Server 2003 Datacenter Edition"},
      {{8, 3790, 3, 0x0002, 4, true, 0}, "Microsoft Windows Server 2003 Enterprise Edition R2"},
      {{9, 6002, 1, 0, 2, false, 0}, "Microsoft Windows Vista [Unbekannt]"},
      {{10, 6001, 3, 0, 3, false, 0x0A}, "Microsoft Windows Server 2008 Enterprise"},
      {{12, 7601, 3, 0, 3, false, 0x11}, "Microsoft Windows Web Server 2008 R2"},
      {{12, 7601, 3, 0, 3, false, 0x0A}, "Microsoft Windows Server 2008 R2 Enterprise"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    EXPECT_EQ(windowsName(row.facts), row.name);
  }
}

TEST(ProductInfoText, NamesTheTableEntriesUpToTheLast) {
  const std::pair<std::int32_t, const char*> rows[] = {
      {0x11, "Web Server"}, {0x1C, "Ultimate N"}, {0x1D, ""}, {-1, ""}};
  for (const auto& [code, text] : rows) {
    EXPECT_EQ(productInfoText(code), text) << code;
  }
}

TEST(SummaryText, FormatsEachNumberByItsPattern) {
  const struct {
    std::int32_t platform, major, minor, revision;
    std::string servicePack, text;
  } rows[] = {
      {2, 6, 1, 0, "", "Microsoft Windows NT 6.1."},
      {1, 4, 10, 2222, " A ", "Microsoft Windows 4.10.2222  A "},
      {3, 10, 0, 19045, "", " 10.0.19045"},
      {1, 4, 0, -1, "", "Microsoft Windows 4.0.-1"},
      {2, -1, -2, 5, "", "Microsoft Windows NT- 1.-2.5"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.text);
    EXPECT_EQ(summaryText(row.platform, row.major, row.minor, row.revision, row.servicePack), row.text);
  }
}

TEST(RegistryTextValue, TakesTextApartByTheReportedType) {
  const struct {
    std::uint32_t type;
    std::string data;
    std::optional<RegistryValue> value;
  } rows[] = {
      {7, "Ä\0Ö\0\0"s, RegistryValue(RegistryValue::Texts{"Ä", "Ö"})},
      {1, "a\0b\0\0"s, RegistryValue("a")},
      {7, ""s, RegistryValue(RegistryValue::Texts{})},
      {7, "a\0"s, RegistryValue(RegistryValue::Texts{"a", ""})},  // unterminated list: all of it
      {7, "\0a\0\0b\0\0"s, RegistryValue(RegistryValue::Texts{"", "a"})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << row.type << " " << testing::PrintToString(row.data));
    EXPECT_EQ(registryTextValue(row.type, row.data), row.value);
  }
}

TEST(NetFramework10, ServicePackOnlyFromTheFourPartLayout) {
  const struct {
    std::string version;
    std::int32_t sp;
    std::string text;
  } rows[] = {
      {"1,0,3705,2.5", 2, "1.0.3705.288"},  // halves go to even
      {"1,0,3705,3.5", 4, ""},
      {"1,0,3705, 1xyz", 1, "1.0.3705.209"},
      {"1,0,3705,", 0, "1.0.3705.0"},
      {"1,0,3705,-1", -1, ""},
      {"1,0,37050,3", 0, "1.0.3705.0"},  // last comma at 10
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.version);
    const std::int32_t sp = net10ServicePack(row.version);
    EXPECT_EQ(sp, row.sp);
    EXPECT_EQ(net10VersionString(sp), row.text);
  }
}

TEST(NetFramework11, ServerBuildsBeforeItsOwnServicePack) {
  const struct {
    std::int32_t windowsVersion;
    std::int16_t windowsServicePack;
    std::int32_t netServicePack;
    std::string text;
  } rows[] = {
      {8, 2, 1, "1.1.4322.2375"}, {8, 1, 1, "1.1.4322.2300"}, {7, 1, 1, "1.1.4322.2032"}, {8, 3, 0, "1.1.4322.573"}};
  for (const auto& row : rows) {
    EXPECT_EQ(net11VersionString(row.windowsVersion, row.windowsServicePack, row.netServicePack), row.text);
  }
}

}  // namespace
}  // namespace ocx::osinfo
