#include "osinfo/os_info_rules.h"

#include <gtest/gtest.h>

#include <map>
#include <ostream>
#include <string>
#include <vector>

namespace ocx::osinfo {

// Failures print the codes as numbers rather than as bytes.
void PrintTo(Release release, std::ostream* out) {
  *out << "Release " << static_cast<int>(release);
}
void PrintTo(Edition edition, std::ostream* out) {
  *out << "Edition " << static_cast<int>(edition);
}

namespace {

using namespace std::string_literals;

TEST(VersionCode, FirstMatchingRowWins) {
  const struct {
    std::int32_t platform, major, minor, productType;
    Release code;
  } rows[] = {
      // Windows 95, 98, Server 2008 and 7 are the probe's rows.
      {1, 4, 90, 0, Release::WindowsMe},   {1, 4, 91, 0, Release::Unlisted},  {1, 5, 0, 0, Release::Unlisted},
      {2, 3, 51, 0, Release::Nt351},       {2, 3, 50, 0, Release::Unlisted},  {2, 4, 1, 3, Release::Nt4},
      {2, 5, 0, 0, Release::Windows2000},  {2, 5, 1, 3, Release::WindowsXp},  {2, 5, 2, 1, Release::WindowsXp},
      {2, 5, 2, 2, Release::Server2003},   {2, 5, 2, 0, Release::Server2003}, {2, 6, 0, 1, Release::Vista},
      {2, 6, 1, 2, Release::Server2008R2}, {2, 6, 2, 1, Release::Unlisted},   {3, 6, 1, 1, Release::Unlisted},
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
    Edition code;
    std::vector<int> asked;  // a metric is asked only until one decides, and never on a server
  } rows[] = {
      {1, 0, {{88, 1}, {87, 1}, {86, 1}}, Edition::Starter, {88}},  // Starter before Media Center and Tablet PC
      {1, 0x0200, {{87, 5}, {86, 1}}, Edition::MediaCenter, {88, 87}},
      {1, 0x0200, {{86, -1}}, Edition::TabletPc, {88, 87, 86}},
      {1, 0x0200, {}, Edition::Home, {88, 87, 86}},
      {1, 0x8000, {}, Edition::Professional, {88, 87, 86}},
      {2, 0x8000 | 0x0002, {}, Edition::HomeServer, {}},
      {3, 0x0002 | 0x0080, {}, Edition::Enterprise, {}},
      {3, 0x0080 | 0x0400, {}, Edition::Datacenter, {}},
      {3, 0x0400 | 0x0001, {}, Edition::Blade, {}},
      {2, 0x0001, {}, Edition::SmallBusiness, {}},
      {3, 0x0020, {}, Edition::SmallBusiness, {}},
      {3, 0x0200, {{88, 1}}, Edition::Server, {}},  // workstation bits and metrics mean nothing on a server
      {0, 0x0200, {{87, 1}}, Edition::Starter, {}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << "type " << row.productType << " mask " << row.suiteMask);
    std::vector<int> asked;
    const auto metric = [&](SystemMetric index) {
      asked.push_back(static_cast<int>(index));
      const auto it = row.metrics.find(static_cast<int>(index));
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
      {{Release::WindowsMe, 3000, 0, 0, Edition::Starter, false, 0}, "Microsoft Windows Me"},
      {{Release::Nt351, 1057, 0, 0, Edition::Starter, false, 0}, "Microsoft Windows"},
      {{Release::Nt351, 1057, 1, 0, Edition::Professional, false, 0}, "Microsoft Windows NT 3.51 Workstation"},
      {{Release::Nt351, 1057, 3, 0, Edition::Server, false, 0}, "Microsoft Windows NT 3.51 Server"},
      {{Release::Nt4, 1381, 3, 2, Edition::Enterprise, false, 0}, "Microsoft Windows NT Server 4.0 Enterprise Edition"},
      {{Release::Windows2000, 2195, 1, 0, Edition::Professional, false, 0}, "Microsoft Windows 2000 Professional"},
      {{Release::Windows2000, 2195, 3, 0, Edition::Server, false, 0}, "Microsoft Windows 2000 Server"},
      {{Release::Windows2000, 2195, 2, 0x82, Edition::Enterprise, false, 0},
       "Microsoft Windows 2000 Datacenter Server"},
      {{Release::Windows2000, 2195, 3, 0x02, Edition::Enterprise, false, 0}, "Microsoft Windows 2000 Advanced Server"},
      {{Release::WindowsXp, 2600, 1, 0x40 | 0x200, Edition::MediaCenter, false, 0}, "Microsoft Windows XP Embedded"},
      {{Release::WindowsXp, 2600, 1, 0, Edition::TabletPc, false, 0}, "Microsoft Windows XP Tablet PC Edition"},
      {{Release::WindowsXp, 2600, 1, 0x200, Edition::Starter, false, 0}, "Microsoft Windows XP Starter Edition"},
      {{Release::WindowsXp, 2600, 1, 0x200, Edition::Home, false, 0}, "Microsoft Windows XP Home Edition"},
      {{Release::WindowsXp, 3790, 1, 0, Edition::Professional, true, 0}, "Microsoft Windows XP Professional"},
      {{Release::Server2003, 3790, 3, 0x2000 | -32768, Edition::HomeServer, true, 0},
       "Microsoft Windows Storage Server 2003"},
      {{Release::Server2003, 3790, 3, 0x2000, Edition::Server, true, 0}, "Microsoft Windows Storage Server 2003 R2"},
      {{Release::Server2003, 3790, 3, 0x0020, Edition::SmallBusiness, false, 0},
       "Microsoft Windows Small Business Server 2003"},
      {{Release::Server2003, 3790, 3, 0x0400 | 0x0080, Edition::Blade, false, 0},
       "Microsoft Windows Server 2003 Web Edition"},
      {{Release::Server2003, 3790, 3, 0x0082, Edition::Enterprise, false, 0},
       "Microsoft Windows Server 2003 Datacenter Edition"},
      {{Release::Server2003, 3790, 3, 0x0002, Edition::Enterprise, true, 0},
       "Microsoft Windows Server 2003 Enterprise Edition R2"},
      {{Release::Vista, 6002, 1, 0, Edition::Professional, false, 0}, "Microsoft Windows Vista [Unbekannt]"},
      {{Release::Server2008, 6001, 3, 0, Edition::Server, false, 0x0A}, "Microsoft Windows Server 2008 Enterprise"},
      {{Release::Server2008R2, 7601, 3, 0, Edition::Server, false, 0x11}, "Microsoft Windows Web Server 2008 R2"},
      {{Release::Server2008R2, 7601, 3, 0, Edition::Server, false, 0x0A},
       "Microsoft Windows Server 2008 R2 Enterprise"},
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
  constexpr RegType kMulti = RegType::MultiSz;
  const struct {
    RegType type;
    std::string data;
    std::optional<RegistryValue> value;
  } rows[] = {
      {kMulti, "Ä\0Ö\0\0"s, RegistryValue(RegistryValue::Texts{"Ä", "Ö"})},
      {RegType::Sz, "a\0b\0\0"s, RegistryValue("a")},
      {kMulti, ""s, RegistryValue(RegistryValue::Texts{})},
      {kMulti, "a\0"s, RegistryValue(RegistryValue::Texts{"a", ""})},  // unterminated list: all of it
      {kMulti, "\0a\0\0b\0\0"s, RegistryValue(RegistryValue::Texts{"", "a"})},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(testing::Message() << static_cast<std::uint32_t>(row.type) << " " << testing::PrintToString(row.data));
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
    Release windowsVersion;
    std::int16_t windowsServicePack;
    std::int32_t netServicePack;
    std::string text;
  } rows[] = {
      {Release::Server2003, 2, 1, "1.1.4322.2375"},
      {Release::Server2003, 1, 1, "1.1.4322.2300"},
      {Release::WindowsXp, 1, 1, "1.1.4322.2032"},
      {Release::Server2003, 3, 0, "1.1.4322.573"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(net11VersionString(row.windowsVersion, row.windowsServicePack, row.netServicePack), row.text);
  }
}

}  // namespace
}  // namespace ocx::osinfo
