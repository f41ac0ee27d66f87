#include "osinfo/os_info_report.h"

#include <array>
#include <string>

#include "osinfo/cls_os_info.h"
#include "platform/time_convert.h"

namespace ocx {

nlohmann::ordered_json osInfoReport(ocx::Platform& platform) {
  clsOSInfo info(platform);

  // Read in slot order first; the keys are printed in an order of their own.
  static_cast<void>(info.pGetShutdownTime());
  const std::string toString = info.ToString();
  const std::int32_t edition = info.Edition();
  const double installDate = info.InstallDate();
  const bool is64 = info.Is64BitOS();
  const bool homeServer = info.IsWindowsHomeServer();
  const bool server2003R2 = info.IsWindowsServer2003R2();
  const std::int16_t langId = info.LangID();
  const std::string language = info.Language();
  const double bootTime = info.LastBootTime();
  const double shutdownTime = info.LastShutdownTime();
  const std::int32_t major = info.Major();
  const std::int32_t minor = info.Minor();
  const std::string name = info.Name();
  const bool netInstalled = info.NETFrameworkInstalled();
  const std::vector<std::int32_t> netVersions = info.NETFrameworkVersions();
  const std::string organization = info.Organization();
  const std::int32_t platformId = info.Platform();
  const std::int32_t productInfo = info.ProductInfo();
  const std::string productInfoString = info.ProductInfoString();
  const std::int32_t productType = info.ProductType();
  const std::string registeredUser = info.RegisteredUser();
  const std::int32_t revision = info.Revision();
  const std::string servicePack = info.ServicePack();
  const std::int16_t servicePackMajor = info.ServicePackMajor();
  const std::int16_t servicePackMinor = info.ServicePackMinor();
  const std::int32_t suiteMask = info.SuiteMask();
  const std::int32_t version = info.Version();

  nlohmann::ordered_json frameworks = nlohmann::ordered_json::object();
  for (const std::int32_t code :
       {net_framework::kV10, net_framework::kV11, net_framework::kV20, net_framework::kV30, net_framework::kV35}) {
    const bool installed = info.NETFrameworkInstalled(code);
    const std::int32_t frameworkServicePack = info.NETFrameworkServicePack(code);
    const std::string frameworkVersion = info.NETFrameworkVersion(code);
    frameworks[std::to_string(code)] = {
        {"installed", installed}, {"service_pack", frameworkServicePack}, {"version", frameworkVersion}};
  }

  nlohmann::ordered_json report;
  report["Major"] = major;
  report["Minor"] = minor;
  report["Revision"] = revision;
  report["Platform"] = platformId;
  report["ProductType"] = productType;
  report["SuiteMask"] = suiteMask;
  report["ServicePackMajor"] = servicePackMajor;
  report["ServicePackMinor"] = servicePackMinor;
  report["ServicePack"] = servicePack;
  report["ProductInfo"] = productInfo;
  report["ProductInfoString"] = productInfoString;
  report["LangID"] = langId;
  report["Language"] = language;
  report["Version"] = version;
  report["Edition"] = edition;
  report["Is64BitOS"] = is64;
  report["IsWindowsHomeServer"] = homeServer;
  report["IsWindowsServer2003R2"] = server2003R2;
  report["Name"] = name;
  report["ToString"] = toString;
  report["Organization"] = organization;
  report["RegisteredUser"] = registeredUser;
  report["InstallDate"] = formatOleDate(installDate);
  report["LastBootTime"] = formatOleDate(bootTime);
  report["LastShutdownTime"] = formatOleDate(shutdownTime);
  report["NETFrameworkInstalled"] = netInstalled;
  report["NETFrameworkVersions"] = netVersions;
  report["NETFramework"] = std::move(frameworks);
  return report;
}

}  // namespace ocx
