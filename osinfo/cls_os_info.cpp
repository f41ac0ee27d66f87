#include "osinfo/cls_os_info.h"

#include <array>

#include "osinfo/os_info_rules.h"
#include "platform/error.h"
#include "platform/time_convert.h"

namespace ocx {

namespace {

constexpr std::int32_t kPlatformNt = 2;

constexpr const char* kNtCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr const char* kWindowsCurrentVersionKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion";
constexpr const char* kNetSetupKey = "SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\";

constexpr std::int64_t kSecondsPerDay = 86400;
constexpr std::int64_t kOleDaysAt1970 = 25569;

// t / 1000 to whole seconds, half to even as the program's rounding does.
std::int64_t tickSeconds(std::uint32_t ticks) {
  std::int64_t seconds = ticks / 1000;
  const std::uint32_t rest = ticks % 1000;
  if (rest > 500 || (rest == 500 && seconds % 2 == 1)) ++seconds;
  return seconds;
}

std::uint32_t littleEndian32(std::span<const std::uint8_t> bytes) {
  std::uint32_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

std::uint64_t littleEndian64(std::span<const std::uint8_t, 8> bytes) {
  std::uint64_t value = 0;
  for (std::size_t i = bytes.size(); i-- > 0;) value = (value << 8) | bytes[i];
  return value;
}

}  // namespace

clsOSInfo::clsOSInfo(ocx::Platform& platform) : platform_(platform) {
  OsFacts& os = platform_.os;

  // The plain query works on every Windows; whether the extended one may be
  // asked is decided from its answer alone. Its result is not looked at: a
  // failed query leaves a zero record, which then takes the plain road.
  OsVersionRecord plain;
  plain.size = OsVersionRecord::kPlainSize;
  static_cast<void>(os.getVersionEx(plain));

  const bool nt = plain.platformId == kPlatformNt;
  std::int16_t servicePack = 0;
  if (nt && plain.majorVersion == 4) servicePack = osinfo::nt4ServicePack(plain.csdVersion);

  // NT 4.0 learned the extended record with Service Pack 6. When the
  // extended query fails the record stays empty on purpose: falling back
  // would hide the failure behind plausible numbers.
  if (nt && (plain.majorVersion >= 5 || (plain.majorVersion == 4 && servicePack >= 6))) {
    mVersionInfo.size = OsVersionRecord::kExtendedSize;
    static_cast<void>(os.getVersionEx(mVersionInfo));
  } else {
    mVersionInfo.size = plain.size;
    mVersionInfo.majorVersion = plain.majorVersion;
    mVersionInfo.minorVersion = plain.minorVersion;
    mVersionInfo.buildNumber = plain.buildNumber;
    mVersionInfo.platformId = plain.platformId;
    mVersionInfo.csdVersion = plain.csdVersion;
    mVersionInfo.servicePackMajor = servicePack;
  }

  mLangID = static_cast<std::int16_t>(os.systemDefaultLangId());

  constexpr std::uint32_t kLanguageChars = 128;
  std::string language(kLanguageChars, '\0');
  const std::uint32_t written = os.verLanguageName(static_cast<std::uint16_t>(mLangID), language, kLanguageChars);
  if (written != 0) mLanguage = osinfo::firstCharacters(language, written);

  // The tick count first: the later the clock is read, the closer the
  // difference comes to the true start.
  const std::uint32_t ticks = os.tickCount();
  SystemTime now = platform_.clock.localNow();
  now.milliseconds = 0;
  mBootTime = oleDateFromSeconds(oleDateToSeconds(oleDateFromSystemTime(now)) - tickSeconds(ticks));

  if (nt && plain.majorVersion >= 6) {
    static_cast<void>(os.getProductInfo(mVersionInfo.majorVersion, mVersionInfo.minorVersion,
                                        mVersionInfo.servicePackMajor, mVersionInfo.servicePackMinor, mProductInfo));
  }
}

std::optional<std::vector<std::uint8_t>> clsOSInfo::pReadExactBinary(const char* subKey, const char* valueName,
                                                                     std::uint32_t exactSize) {
  // Both time stamps are raw binary values whose stored size is tested
  // exactly, so they bypass pGetRegistryValue.
  Registry& registry = platform_.registry;
  RegKey key;
  if (key.open(registry, RootKey::LocalMachine, subKey, reg_access::kReadValues, readView(true)) != 0) {
    return std::nullopt;
  }
  RegType type = RegType::None;
  std::uint32_t size = 0;
  if (registry.queryValueInfo(key.get(), valueName, type, size) != 0) return std::nullopt;
  if (type != RegType::Binary || size != exactSize) return std::nullopt;
  std::vector<std::uint8_t> data(exactSize, 0);
  std::uint32_t readSize = exactSize;
  if (registry.queryValue(key.get(), valueName, type, data, readSize) != 0) return std::nullopt;
  return data;
}

double clsOSInfo::pGetShutdownTime() {
  const auto data = pReadExactBinary("SYSTEM\\CurrentControlSet\\Control\\Windows", "ShutdownTime", 8);
  if (!data) return 0;
  FileTime local = 0;
  SystemTime fields;
  if (!platform_.clock.fileTimeToLocalFileTime(littleEndian64(std::span<const std::uint8_t, 8>(data->data(), 8)),
                                               local) ||
      !FileTimeToSystemTime(local, fields)) {
    return 0;
  }
  return oleDateFromSystemTime(fields);
}

std::string clsOSInfo::ToString() {
  if (mToString.empty()) mToString = osinfo::summaryText(Platform(), Major(), Minor(), Revision(), ServicePack());
  return mToString;
}

std::int32_t clsOSInfo::Edition() {
  return static_cast<std::int32_t>(pEdition());
}

osinfo::Edition clsOSInfo::pEdition() {
  return osinfo::editionCode(ProductType(), SuiteMask(),
                             [this](SystemMetric index) { return platform_.os.systemMetrics(index); });
}

double clsOSInfo::InstallDate() {
  return mVersionInfo.platformId == kPlatformNt ? pGetNTInstallDate() : pGetFirstInstallDate();
}

bool clsOSInfo::Is64BitOS() {
  OsFacts& os = platform_.os;
  bool wow64 = false;
  // Windows before XP SP2 has no IsWow64Process, and none of them is 64-bit.
  moduleExports(os, "kernel32.dll", "IsWow64Process", [&] {
    bool flag = false;
    if (os.isWow64Process(flag)) wow64 = flag;
  });
  return wow64;
}

bool clsOSInfo::IsWindowsHomeServer() const {
  return pRelease() == osinfo::Release::Server2003 && (mVersionInfo.suiteMask & osinfo::suite::kWhServer);
}

bool clsOSInfo::IsWindowsServer2003R2() {
  return platform_.os.systemMetrics(SystemMetric::ServerR2) != 0;
}

std::int16_t clsOSInfo::LangID() const {
  return mLangID;
}

std::string clsOSInfo::Language() const {
  return mLanguage;
}

double clsOSInfo::LastBootTime() const {
  return mBootTime;
}

double clsOSInfo::LastShutdownTime() {
  return pGetShutdownTime();
}

std::int32_t clsOSInfo::Major() const {
  return mVersionInfo.majorVersion;
}

std::int32_t clsOSInfo::Minor() const {
  return mVersionInfo.minorVersion;
}

std::string clsOSInfo::Name() {
  osinfo::NameFacts facts;
  facts.version = pRelease();
  facts.revision = Revision();
  facts.productType = ProductType();
  facts.suiteMask = SuiteMask();
  facts.edition = pEdition();
  facts.serverR2 = IsWindowsServer2003R2();
  facts.productInfo = ProductInfo();
  return osinfo::windowsName(facts);
}

bool clsOSInfo::NETFrameworkInstalled(std::int32_t versionCode) {
  pDetectNETFrameworks();
  if (versionCode == 0) return mNETMask != 0;
  return (mNETMask & versionCode) == versionCode;
}

std::int32_t clsOSInfo::NETFrameworkServicePack(std::int32_t versionCode) {
  pDetectNETFrameworks();
  if ((mNETMask & versionCode) != versionCode) return 0;
  for (const NETFrameworkInfo& info : mNETInfo) {
    if (info.VersionCode == versionCode) return info.ServicePack;
  }
  return 0;
}

std::string clsOSInfo::NETFrameworkVersion(std::int32_t versionCode) {
  pDetectNETFrameworks();
  if ((mNETMask & versionCode) != versionCode) return {};
  for (const NETFrameworkInfo& info : mNETInfo) {
    if (info.VersionCode == versionCode) return info.VersionString;
  }
  return {};
}

std::vector<std::int32_t> clsOSInfo::NETFrameworkVersions() {
  pDetectNETFrameworks();
  return mNETMask != 0 ? mNETVersions : std::vector<std::int32_t>{};
}

std::string clsOSInfo::Organization() {
  const char* key = mVersionInfo.platformId == kPlatformNt ? kNtCurrentVersionKey : kWindowsCurrentVersionKey;
  return pGetRegistryValue(RootKey::LocalMachine, key, "RegisteredOrganization", std::string(), true)
      .asText()
      .value_or(std::string());
}

std::int32_t clsOSInfo::Platform() const {
  return mVersionInfo.platformId;
}

std::int32_t clsOSInfo::ProductInfo() const {
  return mProductInfo;
}

std::string clsOSInfo::ProductInfoString() const {
  return osinfo::productInfoText(mProductInfo);
}

std::int32_t clsOSInfo::ProductType() const {
  return mVersionInfo.productType;
}

std::string clsOSInfo::RegisteredUser() {
  const char* key = mVersionInfo.platformId == kPlatformNt ? kNtCurrentVersionKey : kWindowsCurrentVersionKey;
  return pGetRegistryValue(RootKey::LocalMachine, key, "RegisteredOwner", std::string(), true)
      .asText()
      .value_or(std::string());
}

std::int32_t clsOSInfo::Revision() const {
  return osinfo::revisionOf(mVersionInfo.platformId, mVersionInfo.buildNumber);
}

std::string clsOSInfo::ServicePack() const {
  return osinfo::textBeforeNul(mVersionInfo.csdVersion).value_or("");
}

std::int16_t clsOSInfo::ServicePackMajor() const {
  return mVersionInfo.servicePackMajor;
}

std::int16_t clsOSInfo::ServicePackMinor() const {
  return mVersionInfo.servicePackMinor;
}

std::int32_t clsOSInfo::SuiteMask() const {
  return static_cast<std::int16_t>(mVersionInfo.suiteMask);
}

std::int32_t clsOSInfo::Version() const {
  return static_cast<std::int32_t>(pRelease());
}

osinfo::Release clsOSInfo::pRelease() const {
  return osinfo::versionCode(mVersionInfo.platformId, mVersionInfo.majorVersion, mVersionInfo.minorVersion,
                             mVersionInfo.productType);
}

RegView clsOSInfo::readView(bool use64BitView) {
  // Asked on every read, even when the 64-bit view is not wanted.
  const bool is64 = Is64BitOS();
  return viewFor(is64, use64BitView);
}

RegistryValue clsOSInfo::pGetRegistryValue(RootKey hKey, const std::string& SubKey, const std::string& ValueName,
                                           const RegistryValue& Default, bool Use64BitView) {
  Registry& registry = platform_.registry;
  RegistryValue result = Default;
  const RegView view = readView(Use64BitView);

  RegKey key;
  if (key.open(registry, hKey, SubKey, reg_access::kReadValues, view) != 0) return result;

  RegType type = RegType::None;
  std::uint32_t size = 0;
  if (registry.queryValueInfo(key.get(), ValueName, type, size) != 0) return result;

  switch (type) {
    case RegType::Sz:
    case RegType::ExpandSz:
    case RegType::MultiSz: {
      std::vector<std::uint8_t> buffer(size, 0);
      RegType readType = type;
      std::uint32_t readSize = size;
      if (registry.queryValue(key.get(), ValueName, readType, buffer, readSize) != 0) break;
      if (auto value = osinfo::registryTextValue(readType, registry.textFromAnsi(buffer))) result = std::move(*value);
      break;
    }
    case RegType::Binary: {
      RegistryValue::Bytes bytes(size, 0);
      RegType readType = type;
      std::uint32_t readSize = size;
      if (registry.queryValue(key.get(), ValueName, readType, bytes, readSize) == 0) result = std::move(bytes);
      break;
    }
    case RegType::Dword: {
      // Shorter data fills the low-order bytes; longer data does not fit and
      // the read fails.
      std::array<std::uint8_t, 4> data{};
      RegType readType = type;
      std::uint32_t readSize = size;
      if (registry.queryValue(key.get(), ValueName, readType, data, readSize) == 0) {
        result = static_cast<std::int32_t>(littleEndian32(data));
      }
      break;
    }
    default:
      break;
  }
  return result;
}

void clsOSInfo::pDetectNETFrameworks() {
  if (mNETCount) return;

  struct Marker {
    std::int32_t code;
    std::string key;
    const char* value;
    void (clsOSInfo::*info)(NETFrameworkInfo&);
  };
  const std::string setup = kNetSetupKey;
  const std::array<Marker, 5> markers = {{
      {net_framework::kV10, "SOFTWARE\\Microsoft\\.NETFramework\\policy\\v1.0", "3705", &clsOSInfo::pGetNET10Info},
      {net_framework::kV11, setup + "v1.1.4322", "Install", &clsOSInfo::pGetNET11Info},
      {net_framework::kV20, setup + "v2.0.50727", "Install", &clsOSInfo::pGetNET20Info},
      {net_framework::kV30, setup + "v3.0\\Setup", "InstallSuccess", &clsOSInfo::pGetNET30Info},
      {net_framework::kV35, setup + "v3.5", "Install", &clsOSInfo::pGetNET35Info},
  }};

  std::int32_t count = 0;
  for (const Marker& marker : markers) {
    bool installed = false;
    if (marker.code == net_framework::kV10) {
      // 1.0 has no install flag; its policy names the build range it serves.
      const RegistryValue value = pGetRegistryValue(RootKey::LocalMachine, marker.key, marker.value, std::string());
      installed = value.asText() == "3321-3705";
    } else {
      // A marker that is not a number cannot say "installed".
      const RegistryValue value = pGetRegistryValue(RootKey::LocalMachine, marker.key, marker.value, 0);
      installed = value.asWholeNumber().value_or(0) != 0;
    }
    if (!installed) continue;
    pAddNETFramework(count, marker.code);
    (this->*marker.info)(mNETInfo[static_cast<std::size_t>(count)]);
    ++count;
  }
  mNETCount = count;
}

void clsOSInfo::pAddNETFramework(std::int32_t Index, std::int32_t VersionCode) {
  mNETMask |= VersionCode;
  const auto entries = static_cast<std::size_t>(Index) + 1;
  mNETVersions.resize(entries, 0);
  mNETInfo.resize(entries);
  mNETVersions[static_cast<std::size_t>(Index)] = VersionCode;
}

void clsOSInfo::pGetNET10Info(NETFrameworkInfo& info) {
  info.VersionCode = net_framework::kV10;
  // Media Center and Tablet PC brought 1.0 as a component of their own.
  const osinfo::Edition edition = pEdition();
  const std::string key = edition == osinfo::Edition::MediaCenter || edition == osinfo::Edition::TabletPc
                              ? "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\"
                                "{FDC11A6F-17D1-48f9-9EA3-9051954BAA24}"
                              : "SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\"
                                "{78705f0d-e8db-4b2d-8193-982bdda15ecd}";
  const std::string version =
      pGetRegistryValue(RootKey::LocalMachine, key, "Version", "0").asText().value_or(std::string());
  info.ServicePack = osinfo::net10ServicePack(version);
  info.VersionString = osinfo::net10VersionString(info.ServicePack);
}

void clsOSInfo::pGetNET11Info(NETFrameworkInfo& info) {
  info.VersionCode = net_framework::kV11;
  const RegistryValue sp = pGetRegistryValue(RootKey::LocalMachine, kNetSetupKey + std::string("v1.1.4322"), "SP", 0);
  info.ServicePack = sp.asWholeNumber().value_or(info.ServicePack);
  info.VersionString = osinfo::net11VersionString(pRelease(), ServicePackMajor(), info.ServicePack);
}

void clsOSInfo::pGetNET20Info(NETFrameworkInfo& info) {
  const std::string key = kNetSetupKey + std::string("v2.0.50727");
  info.VersionCode = net_framework::kV20;
  info.ServicePack = pGetRegistryValue(RootKey::LocalMachine, key, "SP", 0).asWholeNumber().value_or(info.ServicePack);
  if (auto increment = pGetRegistryValue(RootKey::LocalMachine, key, "Increment", "0").asText()) {
    info.VersionString = "2.0.50727." + *increment;
  }
}

void clsOSInfo::pGetNET30Info(NETFrameworkInfo& info) {
  const std::string key = kNetSetupKey + std::string("v3.0");
  info.VersionCode = net_framework::kV30;
  info.ServicePack = pGetRegistryValue(RootKey::LocalMachine, key, "SP", 0).asWholeNumber().value_or(info.ServicePack);
  info.VersionString =
      pGetRegistryValue(RootKey::LocalMachine, key, "Version", "3.0").asText().value_or(info.VersionString);
}

void clsOSInfo::pGetNET35Info(NETFrameworkInfo& info) {
  const std::string key = kNetSetupKey + std::string("v3.5");
  info.VersionCode = net_framework::kV35;
  info.ServicePack = pGetRegistryValue(RootKey::LocalMachine, key, "SP", 0).asWholeNumber().value_or(info.ServicePack);
  info.VersionString =
      pGetRegistryValue(RootKey::LocalMachine, key, "Version", "3.5").asText().value_or(info.VersionString);
}

double clsOSInfo::pGetFirstInstallDate() {
  // Windows 95 writes the key in this spelling; names compare without case.
  const auto data = pReadExactBinary("Software\\Microsoft\\Windows\\CurrentVersion", "FirstInstallDateTime", 4);
  if (!data) return 0;
  const std::uint32_t stamp = littleEndian32(*data);
  FileTime fileTime = 0;
  SystemTime fields;
  // Stored in local time already, so no time-zone step.
  if (!DosDateTimeToFileTime(static_cast<std::uint16_t>(stamp >> 16), static_cast<std::uint16_t>(stamp & 0xFFFF),
                             fileTime) ||
      !FileTimeToSystemTime(fileTime, fields)) {
    return 0;
  }
  return oleDateFromSystemTime(fields);
}

double clsOSInfo::pGetNTInstallDate() {
  const RegistryValue stored =
      pGetRegistryValue(RootKey::LocalMachine, kNtCurrentVersionKey, "InstallDate", std::int32_t{0}, true);
  // A missing or unreadable value counts as 0, the start of 1970, not as
  // "no date": that is what the stored number would say.
  const std::int32_t seconds = stored.asWholeNumber().value_or(0);
  const SystemTime utcFields = systemTimeFromOleDate(oleDateFromSeconds(kOleDaysAt1970 * kSecondsPerDay + seconds));

  FileTime utc = 0;
  FileTime local = 0;
  SystemTime localFields;
  if (!SystemTimeToFileTime(utcFields, utc) || !platform_.clock.fileTimeToLocalFileTime(utc, local) ||
      !FileTimeToSystemTime(local, localFields)) {
    return 0;
  }
  return oleDateFromSystemTime(localFields);
}

}  // namespace ocx
