// The decisions of clsOSInfo taken on given facts, apart from the object so
// that each can be checked against its table without a machine behind it.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>
#include <string_view>

#include "osinfo/registry_value.h"
#include "platform/os_facts.h"
#include "platform/registry.h"

namespace ocx::osinfo {

// VER_SUITE_* bits of the suite mask that the decisions look at.
namespace suite {
inline constexpr std::int32_t kSmallBusiness = 0x0001;
inline constexpr std::int32_t kEnterprise = 0x0002;
inline constexpr std::int32_t kSmallBusinessRestricted = 0x0020;
inline constexpr std::int32_t kEmbeddedNt = 0x0040;
inline constexpr std::int32_t kDatacenter = 0x0080;
inline constexpr std::int32_t kPersonal = 0x0200;
inline constexpr std::int32_t kBlade = 0x0400;
inline constexpr std::int32_t kStorageServer = 0x2000;
inline constexpr std::int32_t kWhServer = 0x8000;
}  // namespace suite

inline constexpr std::int32_t kProductWebServer = 0x11;

// The release codes that `Version` gives.
enum class Release : std::int32_t {
  Unlisted = 0,
  Windows95 = 1,
  Windows98 = 2,
  WindowsMe = 3,
  Nt351 = 4,
  Nt4 = 5,
  Windows2000 = 6,
  WindowsXp = 7,
  Server2003 = 8,
  Vista = 9,
  Server2008 = 10,
  Windows7 = 11,
  Server2008R2 = 12,
};

// The edition codes that `Edition` gives. Starter also stands for a product
// type that is neither workstation nor server.
enum class Edition : std::int32_t {
  Starter = 0,
  Home = 1,
  Professional = 2,
  Server = 3,
  Enterprise = 4,
  Datacenter = 5,
  Blade = 6,
  MediaCenter = 7,
  TabletPc = 8,
  HomeServer = 9,
  SmallBusiness = 10,
};

// The release of the `Version` table; Unlisted for anything not listed.
Release versionCode(std::int32_t platformId, std::int32_t major, std::int32_t minor, std::int32_t productType);

// The edition. `metric` is GetSystemMetrics, asked only as far as the
// decision needs it.
Edition editionCode(std::int32_t productType, std::int32_t suiteMask,
                    const std::function<std::int32_t(SystemMetric)>& metric);

// The build as `Revision` gives it: on Windows 95, 98 and Me the high word of
// the build number is not part of the build.
std::int32_t revisionOf(std::int32_t platformId, std::int32_t buildNumber);

// A NUL-padded buffer up to its first NUL; nothing when it holds no NUL.
std::optional<std::string> textBeforeNul(const std::string& buffer);

// The first `count` characters of a UTF-8 text.
std::string firstCharacters(const std::string& text, std::size_t count);

// NT 4.0 tells its service pack only in the CSD text ("Service Pack 6"): the
// digit at character 14, or 0.
std::int16_t nt4ServicePack(const std::string& csdBuffer);

// The edition text of a GetProductInfo code; empty for unknown codes.
std::string productInfoText(std::int32_t productInfo);

// What the product name is built from, as the object's members give it.
struct NameFacts {
  Release version = Release::Unlisted;
  std::int32_t revision = 0;
  std::int32_t productType = 0;
  std::int32_t suiteMask = 0;  // widened with its sign
  Edition edition = Edition::Starter;
  bool serverR2 = false;
  std::int32_t productInfo = 0;
};

std::string windowsName(const NameFacts& facts);

// The one-line summary: prefix by platform, "major.minor.revision" with the
// revision left out when 0, and the service pack text after a blank.
std::string summaryText(std::int32_t platformId, std::int32_t major, std::int32_t minor, std::int32_t revision,
                        const std::string& servicePack);

// Registry text data, converted from the ANSI code page, taken apart by its
// type: a list of texts for REG_MULTI_SZ, otherwise the text before the
// first NUL. Nothing when a plain text holds no NUL.
std::optional<RegistryValue> registryTextValue(RegType type, std::string_view text);

// .NET 1.0 keeps its service pack as the last of four comma-separated
// numbers ("1,0,3705,3"); only that layout counts.
std::int32_t net10ServicePack(const std::string& versionText);
std::string net10VersionString(std::int32_t servicePack);

// .NET 1.1 ships with Windows Server 2003 in a build of its own.
std::string net11VersionString(Release windowsVersion, std::int16_t windowsServicePack, std::int32_t netServicePack);

}  // namespace ocx::osinfo
