#include "osinfo/os_info_rules.h"

#include <array>
#include <cmath>
#include <limits>
#include <string_view>

#include "osinfo/os_info_texts.h"
#include "platform/os_facts.h"
#include "platform/utf8.h"

namespace ocx::osinfo {

namespace {

// The number a text begins with, as the program's Val reads it: leading
// blanks skipped, sign, digits, fraction; 0 when no number begins it.
double leadingNumber(std::string_view text) {
  std::size_t pos = 0;
  while (pos < text.size() && (text[pos] == ' ' || text[pos] == '\t')) ++pos;
  bool negative = false;
  if (pos < text.size() && (text[pos] == '+' || text[pos] == '-')) negative = text[pos++] == '-';
  double value = 0;
  for (; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) value = value * 10 + (text[pos] - '0');
  if (pos < text.size() && text[pos] == '.') {
    double scale = 0.1;
    for (++pos; pos < text.size() && text[pos] >= '0' && text[pos] <= '9'; ++pos) {
      value += (text[pos] - '0') * scale;
      scale /= 10;
    }
  }
  return negative ? -value : value;
}

// The number patterns " 0\." and "0\." put a negative number's sign in
// front of the whole pattern.
std::string withPattern(std::int32_t number, const char* before) {
  const std::int64_t wide = number;
  std::string text;
  if (wide < 0) text += '-';
  text += before;
  text += std::to_string(wide < 0 ? -wide : wide);
  text += '.';
  return text;
}

}  // namespace

Release versionCode(std::int32_t platformId, std::int32_t major, std::int32_t minor, std::int32_t productType) {
  const bool workstation = productType == 1;
  if (platformId == 1 && major == 4) {
    if (minor == 0) return Release::Windows95;
    if (minor == 10) return Release::Windows98;
    if (minor == 90) return Release::WindowsMe;
    return Release::Unlisted;
  }
  if (platformId != 2) return Release::Unlisted;
  if (major == 3 && minor == 51) return Release::Nt351;
  if (major == 4) return Release::Nt4;
  if (major == 5) {
    if (minor == 0) return Release::Windows2000;
    if (minor == 1) return Release::WindowsXp;
    if (minor == 2) return workstation ? Release::WindowsXp : Release::Server2003;
    return Release::Unlisted;
  }
  if (major == 6) {
    if (minor == 0) return workstation ? Release::Vista : Release::Server2008;
    if (minor == 1) return workstation ? Release::Windows7 : Release::Server2008R2;
  }
  return Release::Unlisted;
}

Edition editionCode(std::int32_t productType, std::int32_t suiteMask,
                    const std::function<std::int32_t(SystemMetric)>& metric) {
  if (productType == 1) {
    if (metric(SystemMetric::Starter) != 0) return Edition::Starter;
    if (metric(SystemMetric::MediaCenter) != 0) return Edition::MediaCenter;
    if (metric(SystemMetric::TabletPc) != 0) return Edition::TabletPc;
    if (suiteMask & suite::kPersonal) return Edition::Home;
    return Edition::Professional;
  }
  if (productType == 2 || productType == 3) {
    if (suiteMask & suite::kWhServer) return Edition::HomeServer;
    if (suiteMask & suite::kEnterprise) return Edition::Enterprise;
    if (suiteMask & suite::kDatacenter) return Edition::Datacenter;
    if (suiteMask & suite::kBlade) return Edition::Blade;
    if (suiteMask & (suite::kSmallBusiness | suite::kSmallBusinessRestricted)) return Edition::SmallBusiness;
    return Edition::Server;
  }
  return Edition::Starter;
}

std::int32_t revisionOf(std::int32_t platformId, std::int32_t buildNumber) {
  return platformId == 1 ? buildNumber % 65536 : buildNumber;
}

std::optional<std::string> textBeforeNul(const std::string& buffer) {
  const std::size_t nul = buffer.find('\0');
  if (nul == std::string::npos) return std::nullopt;
  return buffer.substr(0, nul);
}

std::string firstCharacters(const std::string& text, std::size_t count) {
  const std::size_t end = utf8::codePointOffset(text, count);
  return end == std::string::npos ? text : text.substr(0, end);
}

std::int16_t nt4ServicePack(const std::string& csdBuffer) {
  const std::optional<std::string> text = textBeforeNul(csdBuffer);
  if (!text) return 0;
  const std::size_t offset = utf8::codePointOffset(*text, 13);
  if (offset == std::string::npos) return 0;
  const char c = (*text)[offset];
  return c >= '0' && c <= '9' ? static_cast<std::int16_t>(c - '0') : std::int16_t{0};
}

std::string productInfoText(std::int32_t productInfo) {
  static constexpr std::array<const char*, 0x1D> kTexts = {
      texts::kProductUndefined,
      "Ultimate",
      "Home Basic",
      "Home Premium",
      "Enterprise",
      "Home Basic N",
      "Business",
      "Standard",
      "Datacenter",
      "Small Business Server",
      "Enterprise",
      "Starter",
      "Datacenter (Core)",
      "Standard (Core)",
      "Enterprise (Core)",
      "for Itanium-Based Systems",
      "Business N",
      "Web Server",
      "Cluster",
      "Home Server",
      "Storage Express",
      "Storage Standard",
      "Storage Workgroup",
      "Storage Enterprise",
      "Server for Small Business",
      "Small Business Server Premium",
      "Home Premium N",
      "Enterprise N",
      "Ultimate N",
  };
  constexpr auto kUnlicensed = static_cast<std::int32_t>(0xABCDABCDu);
  if (productInfo == kUnlicensed) return texts::kProductUnlicensed;
  if (productInfo < 0 || productInfo >= static_cast<std::int32_t>(kTexts.size())) return {};
  return kTexts[static_cast<std::size_t>(productInfo)];
}

std::string windowsName(const NameFacts& f) {
  const auto has = [&](std::int32_t bit) { return (f.suiteMask & bit) != 0; };
  std::string name = "Microsoft Windows";
  switch (f.version) {
    case Release::Windows95:
      name += " 95";
      if (f.revision == 1111) name += " OSR 2";
      break;
    case Release::Windows98:
      name += " 98";
      break;
    case Release::WindowsMe:
      name += " Me";
      break;
    case Release::Nt351:
      if (f.productType == 1) {
        name += " NT 3.51 Workstation";
      } else if (f.productType == 2 || f.productType == 3) {
        name += " NT 3.51 Server";
      }
      break;
    case Release::Nt4:
      if (f.productType == 1) {
        name += " NT Workstation 4.0";
      } else {
        name += " NT Server 4.0";
        if (has(suite::kEnterprise)) name += " Enterprise Edition";
      }
      break;
    case Release::Windows2000:
      name += " 2000";
      if (f.productType == 1) {
        name += " Professional";
      } else if (has(suite::kDatacenter)) {
        name += " Datacenter Server";
      } else if (has(suite::kEnterprise)) {
        name += " Advanced Server";
      } else {
        name += " Server";
      }
      break;
    case Release::WindowsXp:
      name += " XP";
      if (has(suite::kEmbeddedNt)) {
        name += " Embedded";
      } else if (f.edition == Edition::MediaCenter) {
        name += " Media Center Edition";
      } else if (f.edition == Edition::TabletPc) {
        name += " Tablet PC Edition";
      } else if (f.edition == Edition::Starter) {
        name += " Starter Edition";
      } else if (has(suite::kPersonal)) {
        name += " Home Edition";
      } else {
        name += " Professional";
      }
      break;
    case Release::Server2003:
      if (has(suite::kStorageServer)) {
        name += " Storage Server 2003";
      } else if (has(suite::kWhServer)) {
        name += " Home Server";
      } else if (has(suite::kSmallBusiness | suite::kSmallBusinessRestricted)) {
        name += " Small Business Server 2003";
      } else {
        name += " Server 2003";
        if (has(suite::kBlade)) {
          name += " Web Edition";
        } else if (has(suite::kDatacenter)) {
          name += " Datacenter Edition";
        } else if (has(suite::kEnterprise)) {
          name += " Enterprise Edition";
        } else {
          name += " Standard Edition";
        }
      }
      // Home Server is built on 2003 R2 but does not carry the name.
      if (f.serverR2 && !has(suite::kWhServer)) name += " R2";
      break;
    case Release::Vista:
      name += " Vista " + productInfoText(f.productInfo);
      break;
    case Release::Server2008:
      name +=
          f.productInfo == kProductWebServer ? " Web Server 2008 " : " Server 2008 " + productInfoText(f.productInfo);
      break;
    case Release::Windows7:
      name += " 7 " + productInfoText(f.productInfo);
      break;
    case Release::Server2008R2:
      name += f.productInfo == kProductWebServer ? " Web Server 2008 R2"
                                                 : " Server 2008 R2 " + productInfoText(f.productInfo);
      break;
    default:
      break;
  }
  return name;
}

std::string summaryText(std::int32_t platformId, std::int32_t major, std::int32_t minor, std::int32_t revision,
                        const std::string& servicePack) {
  std::string text;
  if (platformId == 1) {
    text = "Microsoft Windows";
  } else if (platformId == 2) {
    text = "Microsoft Windows NT";
  }
  text += withPattern(major, " ");
  text += withPattern(minor, "");
  if (revision != 0) text += std::to_string(revision);
  if (!servicePack.empty()) text += " " + servicePack;
  return text;
}

std::optional<RegistryValue> registryTextValue(RegType type, std::string_view text) {
  if (type == RegType::MultiSz) {
    const std::string_view listed = std::string_view(text).substr(0, text.find(std::string_view("\0\0", 2)));
    RegistryValue::Texts texts;
    if (!listed.empty()) {
      std::size_t start = 0;
      for (;;) {
        const std::size_t nul = listed.find('\0', start);
        texts.emplace_back(listed.substr(start, nul - start));
        if (nul == std::string_view::npos) break;
        start = nul + 1;
      }
    }
    return RegistryValue(std::move(texts));
  }
  std::optional<std::string> plain = textBeforeNul(std::string(text));
  if (!plain) return std::nullopt;
  return RegistryValue(std::move(*plain));
}

std::int32_t net10ServicePack(const std::string& versionText) {
  const std::size_t comma = versionText.rfind(',');
  if (comma == std::string::npos || utf8::codePointCount(std::string_view(versionText).substr(0, comma)) != 8) return 0;
  const double rounded = std::nearbyint(leadingNumber(std::string_view(versionText).substr(comma + 1)));
  if (rounded < std::numeric_limits<std::int32_t>::min() || rounded > std::numeric_limits<std::int32_t>::max()) {
    return 0;
  }
  return static_cast<std::int32_t>(rounded);
}

std::string net10VersionString(std::int32_t servicePack) {
  static constexpr std::array<const char*, 4> kBuilds = {"1.0.3705.0", "1.0.3705.209", "1.0.3705.288", "1.0.3705.6018"};
  if (servicePack < 0 || servicePack >= static_cast<std::int32_t>(kBuilds.size())) return {};
  return kBuilds[static_cast<std::size_t>(servicePack)];
}

std::string net11VersionString(Release windowsVersion, std::int16_t windowsServicePack, std::int32_t netServicePack) {
  if (windowsVersion == Release::Server2003 && windowsServicePack == 2) return "1.1.4322.2375";
  if (windowsVersion == Release::Server2003 && windowsServicePack == 1) return "1.1.4322.2300";
  if (netServicePack == 1) return "1.1.4322.2032";
  return "1.1.4322.573";
}

}  // namespace ocx::osinfo
