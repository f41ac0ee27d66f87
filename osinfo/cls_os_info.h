// clsOSInfo: what the running Windows is, probed once when the object is
// created and answered afterwards through read-only members.
//
// Callers create an instance for one use and drop it, so every use sees a
// fresh probe. No member reports a failure: a step that fails is passed
// over and shows as 0, false or an empty text. Dates are OLE Automation
// dates (days since 1899-12-30, local time, whole seconds), 0 when none was
// found; formatOleDate in platform/time_convert.h prints them.
//
// The members stand in the order of the object's slots; the report of the
// simulator reads them in exactly this order.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "osinfo/os_info_rules.h"
#include "osinfo/registry_value.h"
#include "platform/platform.h"

namespace ocx {

// One installed .NET Framework.
struct NETFrameworkInfo {
  std::int32_t VersionCode = 0;
  std::string VersionString;
  std::int32_t ServicePack = 0;
  friend bool operator==(const NETFrameworkInfo&, const NETFrameworkInfo&) = default;
};

// The .NET Framework codes; callers may OR them.
namespace net_framework {
inline constexpr std::int32_t kV10 = 1;
inline constexpr std::int32_t kV11 = 2;
inline constexpr std::int32_t kV20 = 4;
inline constexpr std::int32_t kV30 = 8;
inline constexpr std::int32_t kV35 = 16;
}  // namespace net_framework

class clsOSInfo {
 public:
  // Runs the probe; cannot fail. Uses platform.os, platform.registry and
  // platform.clock only, and keeps the reference for later reads.
  explicit clsOSInfo(ocx::Platform& platform);

  // Last shutdown, read from the registry on every call.
  [[nodiscard]] double pGetShutdownTime();
  // "Microsoft Windows NT 6.1.7601 Service Pack 1"; kept after the first call.
  [[nodiscard]] std::string ToString();
  // Edition code: 0 Starter (or none), 1 Home, 2 Professional, 3 Standard,
  // 4 Enterprise, 5 Datacenter, 6 Web, 7 Media Center, 8 Tablet PC,
  // 9 Home Server, 10 Small Business Server. Asks the metrics anew.
  [[nodiscard]] std::int32_t Edition();
  [[nodiscard]] double InstallDate();
  // True for this 32-bit program under WOW64. Asked anew on every read.
  [[nodiscard]] bool Is64BitOS();
  [[nodiscard]] bool IsWindowsHomeServer() const;
  [[nodiscard]] bool IsWindowsServer2003R2();
  [[nodiscard]] std::int16_t LangID() const;
  [[nodiscard]] std::string Language() const;
  [[nodiscard]] double LastBootTime() const;
  [[nodiscard]] double LastShutdownTime();
  [[nodiscard]] std::int32_t Major() const;
  [[nodiscard]] std::int32_t Minor() const;
  // "Microsoft Windows XP Professional" and the like.
  [[nodiscard]] std::string Name();
  // With versionCode 0 (or omitted): whether any framework is installed;
  // otherwise whether every framework named in the OR of codes is.
  [[nodiscard]] bool NETFrameworkInstalled(std::int32_t versionCode = 0);
  [[nodiscard]] std::int32_t NETFrameworkServicePack(std::int32_t versionCode);
  [[nodiscard]] std::string NETFrameworkVersion(std::int32_t versionCode);
  [[nodiscard]] std::vector<std::int32_t> NETFrameworkVersions();
  [[nodiscard]] std::string Organization();
  [[nodiscard]] std::int32_t Platform() const;
  [[nodiscard]] std::int32_t ProductInfo() const;
  [[nodiscard]] std::string ProductInfoString() const;
  [[nodiscard]] std::int32_t ProductType() const;
  [[nodiscard]] std::string RegisteredUser();
  [[nodiscard]] std::int32_t Revision() const;
  [[nodiscard]] std::string ServicePack() const;
  [[nodiscard]] std::int16_t ServicePackMajor() const;
  [[nodiscard]] std::int16_t ServicePackMinor() const;
  // The suite mask widened with its sign: 0x8000 alone reads -32768.
  [[nodiscard]] std::int32_t SuiteMask() const;
  // Release code: 1 Windows 95 ... 12 Windows Server 2008 R2, 0 for others.
  [[nodiscard]] std::int32_t Version() const;

 private:
  // Reads one value; `Default` whenever it cannot be read.
  RegistryValue pGetRegistryValue(RootKey hKey, const std::string& SubKey, const std::string& ValueName,
                                  const RegistryValue& Default = {}, bool Use64BitView = false);
  void pDetectNETFrameworks();
  void pAddNETFramework(std::int32_t Index, std::int32_t VersionCode);
  void pGetNET10Info(NETFrameworkInfo& info);
  void pGetNET11Info(NETFrameworkInfo& info);
  void pGetNET20Info(NETFrameworkInfo& info);
  void pGetNET30Info(NETFrameworkInfo& info);
  void pGetNET35Info(NETFrameworkInfo& info);
  double pGetFirstInstallDate();
  // The bytes of a REG_BINARY value below HKEY_LOCAL_MACHINE whose stored
  // size is exactly `exactSize`; nothing for any other value or failure.
  std::optional<std::vector<std::uint8_t>> pReadExactBinary(const char* subKey, const char* valueName,
                                                            std::uint32_t exactSize);
  double pGetNTInstallDate();

  // The registry view to read in: the 64-bit one when asked for and the
  // system has one.
  RegView readView(bool use64BitView);

  // What Version and Edition give, by name.
  [[nodiscard]] osinfo::Release pRelease() const;
  [[nodiscard]] osinfo::Edition pEdition();

  ocx::Platform& platform_;

  std::int16_t mLangID = 0;
  std::string mLanguage;
  std::string mToString;
  // The number of .NET Frameworks found; empty until the detection has run,
  // which the first question about them starts.
  std::optional<std::int32_t> mNETCount;
  double mBootTime = 0;
  std::int32_t mProductInfo = 0;
  std::int32_t mNETMask = 0;
  std::vector<std::int32_t> mNETVersions;
  std::vector<NETFrameworkInfo> mNETInfo;
  OsVersionRecord mVersionInfo;
};

}  // namespace ocx
