#include "app/sim/machine_import.h"

#include <algorithm>
#include <charconv>
#include <cstring>
#include <filesystem>
#include <map>

#include "app/sim/saved_report.h"
#include "fix/control_names.h"
#include "osinfo/os_info_rules.h"
#include "platform/decimal.h"
#include "platform/mod_api.h"
#include "platform/sim/machine.h"
#include "platform/sim/profile.h"
#include "platform/sim/reg_text.h"
#include "platform/sim/text_codec.h"
#include "platform/sim/win_path.h"

namespace ocx::sim {

namespace {

using Json = nlohmann::ordered_json;

// Below HKEY_LOCAL_MACHINE: where Windows keeps what GetVersionEx,
// GetProductInfo and GetSystemDefaultLangID answer, and the architecture.
constexpr char kCurrentVersion[] = "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion";
constexpr char kProductOptions[] = "SYSTEM\\CurrentControlSet\\Control\\ProductOptions";
constexpr char kEnvironment[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager\\Environment";
constexpr char kLanguage[] = "SYSTEM\\CurrentControlSet\\Control\\Nls\\Language";
// Only a 64-bit Windows keeps the 32-bit view of SOFTWARE here.
constexpr char kWow6432Node[] = "SOFTWARE\\Wow6432Node";

constexpr char kTypeLibRoot[] = "HKEY_CLASSES_ROOT\\";

// The VER_SUITE_* bit of each name in ProductOptions\ProductSuite (the suite
// bits as Microsoft documents them for OSVERSIONINFOEX). "Terminal Server"
// is left out: which bits it gives depends on the product type.
struct SuiteName {
  std::string_view name;
  std::uint16_t bit;
};
constexpr SuiteName kSuiteNames[] = {
    {"Small Business", 0x0001},
    {"Enterprise", 0x0002},
    {"BackOffice", 0x0004},
    {"CommunicationServer", 0x0008},
    {"Small Business(Restricted)", 0x0020},
    {"EmbeddedNT", 0x0040},
    {"DataCenter", 0x0080},
    {"Personal", 0x0200},
    {"Blade", 0x0400},
    {"Embedded(Restricted)", 0x0800},
    {"Security Appliance", 0x1000},
    {"Storage Server", 0x2000},
    {"Compute Server", 0x4000},
    {"WH Server", 0x8000},
};
constexpr std::string_view kTerminalServer = "Terminal Server";
constexpr std::uint16_t kSuiteTerminal = 0x0010;
constexpr std::uint16_t kSuiteSingleUserTs = 0x0100;

// GetProductInfo's code for each EditionID that Windows Vista and later
// keep in CurrentVersion. The codes are the PRODUCT_* values of Microsoft's
// GetProductInfo documentation.
struct EditionCode {
  std::string_view editionId;
  std::int32_t product;
};
constexpr EditionCode kEditionCodes[] = {
    {"Ultimate", 0x01},
    {"HomeBasic", 0x02},
    {"HomePremium", 0x03},
    {"Enterprise", 0x04},
    {"HomeBasicN", 0x05},
    {"Business", 0x06},
    {"ServerStandard", 0x07},
    {"ServerDatacenter", 0x08},
    {"ServerSBSStandard", 0x09},
    {"ServerEnterprise", 0x0A},
    {"Starter", 0x0B},
    {"ServerDatacenterCore", 0x0C},
    {"ServerStandardCore", 0x0D},
    {"ServerEnterpriseCore", 0x0E},
    {"ServerEnterpriseIA64", 0x0F},
    {"BusinessN", 0x10},
    {"ServerWeb", 0x11},
    {"ServerComputeCluster", 0x12},
    {"ServerStorageExpress", 0x14},
    {"ServerStorageStandard", 0x15},
    {"ServerStorageWorkgroup", 0x16},
    {"ServerStorageEnterprise", 0x17},
    {"ServerSBSPremium", 0x19},
    {"HomePremiumN", 0x1A},
    {"EnterpriseN", 0x1B},
    {"UltimateN", 0x1C},
    {"ServerWebCore", 0x1D},
    {"ServerFoundation", 0x21},
    {"ServerStandardV", 0x24},
    {"ServerDatacenterV", 0x25},
    {"ServerEnterpriseV", 0x26},
    {"ServerHyperCore", 0x2A},
    {"StarterN", 0x2F},
    {"Professional", 0x30},
    {"ProfessionalN", 0x31},
    {"StarterE", 0x42},
    {"HomeBasicE", 0x43},
    {"HomePremiumE", 0x44},
    {"ProfessionalE", 0x45},
    {"EnterpriseE", 0x46},
    {"UltimateE", 0x47},
    {"EnterpriseEval", 0x48},
    {"ServerStandardEval", 0x4F},
    {"ServerDatacenterEval", 0x50},
    {"EnterpriseNEval", 0x54},
    {"CoreN", 0x62},
    {"CoreCountrySpecific", 0x63},
    {"CoreSingleLanguage", 0x64},
    {"Core", 0x65},
    {"ProfessionalWMC", 0x67},
    {"Education", 0x79},
    {"EducationN", 0x7A},
    {"EnterpriseS", 0x7D},
    {"EnterpriseSN", 0x7E},
    {"EnterpriseSEval", 0x81},
    {"ProfessionalWorkstation", 0xA1},
    {"ProfessionalWorkstationN", 0xA2},
    {"ProfessionalEducation", 0xA4},
    {"ProfessionalEducationN", 0xA5},
    {"ServerRdsh", 0xAF},
    {"IoTEnterprise", 0xBC},
};
constexpr std::int32_t kProductUnlicensed = -1412584499;  // PRODUCT_UNLICENSED, 0xABCDABCD

// The words a ProductName ends with for an edition: "HomePremium" is named
// "Home Premium", and a server's ProductName leaves out the "Server" of its
// EditionID ("Windows Server 2008 R2 Enterprise").
std::string editionWords(std::string_view editionId) {
  if (editionId.starts_with("Server")) {
    editionId.remove_prefix(6);
  }
  std::string words;
  for (std::size_t i = 0; i < editionId.size(); ++i) {
    const char c = editionId[i];
    if (i > 0 && c >= 'A' && c <= 'Z' && editionId[i - 1] >= 'a' && editionId[i - 1] <= 'z') {
      words += ' ';
    }
    words += c;
  }
  return words;
}

bool isServerEdition(std::string_view editionId) {
  return editionId.starts_with("Server");
}

// The suite's metrics that the product name tells apart.
constexpr SystemMetric kNamedMetrics[] = {SystemMetric::TabletPc, SystemMetric::MediaCenter, SystemMetric::Starter,
                                          SystemMetric::ServerR2};

std::string metricKey(SystemMetric metric) {
  return std::to_string(static_cast<int>(metric));
}

bool endsWithIgnoreCase(std::string_view text, std::string_view suffix) {
  return text.size() >= suffix.size() && equalsIgnoreCase(text.substr(text.size() - suffix.size()), suffix);
}

// AddBackslash undone: the folder a path was joined onto, "C:\" kept whole.
std::string folderBefore(std::string_view prefix) {
  if (prefix.size() > 1 && prefix.back() == '\\' && prefix[prefix.size() - 2] != ':') {
    prefix.remove_suffix(1);
  }
  return std::string(prefix);
}

// The values of the export, read as the Windows calls read them.
class ExportValues {
 public:
  explicit ExportValues(const RegistryStore& store) : store_(store) {}

  [[nodiscard]] bool hasKey(RootKey root, std::string_view path) const { return store_.find(root, path) != nullptr; }

  // A REG_SZ or REG_EXPAND_SZ value up to its first NUL.
  [[nodiscard]] std::optional<std::string> text(std::string_view key, std::string_view name) const {
    const RegValue* value = find(key, name);
    if (value == nullptr || (value->type != RegType::Sz && value->type != RegType::ExpandSz)) {
      return std::nullopt;
    }
    std::string text = utf16ToUtf8(utf16FromBytes(value->data));
    return text.substr(0, text.find('\0'));
  }

  [[nodiscard]] std::optional<std::uint32_t> dword(std::string_view key, std::string_view name) const {
    const RegValue* value = find(key, name);
    if (value == nullptr || value->type != RegType::Dword || value->data.size() != 4) {
      return std::nullopt;
    }
    const auto& d = value->data;
    return static_cast<std::uint32_t>(d[0] | (d[1] << 8) | (d[2] << 16) | (static_cast<std::uint32_t>(d[3]) << 24));
  }

  // The texts of a REG_MULTI_SZ value.
  [[nodiscard]] std::optional<std::vector<std::string>> texts(std::string_view key, std::string_view name) const {
    const RegValue* value = find(key, name);
    if (value == nullptr || value->type != RegType::MultiSz) {
      return std::nullopt;
    }
    std::vector<std::string> texts;
    const std::string all = utf16ToUtf8(utf16FromBytes(value->data));
    for (std::size_t start = 0; start < all.size();) {
      const std::size_t end = std::min(all.find('\0', start), all.size());
      if (end > start) {
        texts.push_back(all.substr(start, end - start));
      }
      start = end + 1;
    }
    return texts;
  }

 private:
  [[nodiscard]] const RegValue* find(std::string_view key, std::string_view name) const {
    const auto node = store_.find(RootKey::LocalMachine, key);
    return node ? node->value(name) : nullptr;
  }

  const RegistryStore& store_;
};

class Importer {
 public:
  Importer(const RegistryStore& store, const std::optional<SavedReport>& report, std::string reportPath)
      : values_(store), report_(report), reportPath_(std::move(reportPath)), defaults_(defaultProfileJson()) {}

  Json os() {
    Json os = defaults_["os"];
    readVersion(os);
    readProduct(os);
    readLanguage(os);
    keepDefault("os.tick_count", os["tick_count"]);
    // Every Windows that the program runs on fills the extended record.
    os["extended_query_fails"] = false;
    // IsWow64Process came with Windows XP Service Pack 2 (Microsoft's
    // documentation of the function).
    const auto version = std::pair(os["major"].get<std::uint32_t>(), os["minor"].get<std::uint32_t>());
    const bool wow64Query = version > std::pair(5u, 1u) || (version == std::pair(5u, 1u) && os["sp_major"] >= 2);
    os["wow64_query"] = wow64Query ? "present" : "absent";
    matchReportedName(os);
    return os;
  }

  // The shell's folders 36 and 37, and the folder the control is looked for
  // in. A folder the report shows as the shell gave it wins over the one
  // the export's SystemRoot makes.
  Json folders(const Json& os) {
    Json folders = defaults_["folders"];
    const bool wide = os["bits"] == 64;
    if (const auto root = values_.text(kCurrentVersion, "SystemRoot")) {
      folders["36"] = *root;
      folders["37"] = modAPI::AddBackslash(*root) + "system32";
    } else if (!reportedFolder(wide)) {
      keepDefault("folders.36", folders["36"]);
      keepDefault("folders.37", folders["37"]);
    }
    if (const auto shown = reportedFolder(wide)) {
      const char* csidl = wide ? "36" : "37";
      const bool fromExport = values_.text(kCurrentVersion, "SystemRoot").has_value();
      if (shown->empty()) {
        // The shell gave nothing, and the control was looked for beside the
        // program's current folder.
        folders.erase(csidl);
      } else {
        if (fromExport && !equalsIgnoreCase(*shown, folders[csidl].get<std::string>())) {
          disagree(std::string("folders.") + csidl, folders[csidl], *shown, "the report's");
        }
        folders[csidl] = *shown;
        if (!fromExport) {
          // Each folder follows from the other: system32 lies in the Windows
          // folder.
          if (wide) {
            folders["37"] = modAPI::AddBackslash(*shown) + "system32";
          } else if (endsWithIgnoreCase(*shown, "\\system32")) {
            folders["36"] = folderBefore(shown->substr(0, shown->size() - 8));
          } else {
            keepDefault("folders.36", folders["36"]);
          }
        }
      }
    }
    return folders;
  }

  // Where the program looks for the installed control on this machine.
  std::string installedPath(const Json& os, const Json& folders) const {
    const bool wide = os["bits"] == 64;
    const char* csidl = wide ? "36" : "37";
    const std::string folder = folders.contains(csidl) ? folders[csidl].get<std::string>() : "";
    const std::string systemDir = wide ? modAPI::AddBackslash(folder) + "SysWOW64" : folder;
    return absolute(modAPI::AddBackslash(systemDir) + control_names::kControlFile);
  }

  Json files(const std::string& lookedFor) {
    const ControlRow installed = report_ ? report_->installed : ControlRow{};
    Json file = defaults_["files"][0];
    switch (installed.state) {
      case ControlRow::State::Missing:
        return Json::array();
      case ControlRow::State::Unknown:
        file["path"] = lookedFor;
        keepDefault("files[0] (the installed control: version, size, registration)", file["version"]);
        break;
      case ControlRow::State::Found:
        file["path"] = absolute(installed.path);
        if (!equalsIgnoreCase(file["path"].get<std::string>(), lookedFor)) {
          notes_.push_back("files[0].path: the report shows the control at " + file["path"].dump() +
                           ", the machine made from the files looks for it at " + Json(lookedFor).dump());
        }
        file["version"] = versionJson(installed.version);
        keepDefault("files[0].size", file["size"]);
        keepDefault("files[0].registers", file["registers"]);
        break;
    }
    return Json::array({file});
  }

  Json payload() {
    Json payload = defaults_["payload"];
    const ControlRow available = report_ ? report_->available : ControlRow{};
    if (available.state == ControlRow::State::Found) {
      payload["version"] = versionJson(available.version);
    } else {
      keepDefault("payload.version", payload["version"]);
    }
    keepDefault("payload.size", payload["size"]);
    keepDefault("payload.registers", payload["registers"]);
    return payload;
  }

  // The temporary folder, and whether it exists: where the report shows no
  // carried copy, writing it there failed, which a folder that is not there
  // reproduces.
  std::pair<Json, bool> temp() {
    const ControlRow available = report_ ? report_->available : ControlRow{};
    const Json fallback = defaults_["temp"];
    if (available.state == ControlRow::State::Found &&
        endsWithIgnoreCase(available.path, control_names::kControlFile)) {
      const std::string folder =
          available.path.substr(0, available.path.size() - std::strlen(control_names::kControlFile));
      // An empty folder: GetTempPathA failed and the copy went beside the
      // program.
      return {folder.empty() ? Json(nullptr) : Json(folder), true};
    }
    if (available.state == ControlRow::State::Missing) {
      notes_.push_back("temp: the report shows no carried copy; the default machine's " + fallback.dump() +
                       " is kept and left out of \"directories\", so that writing the copy fails there too");
      return {fallback, false};
    }
    keepDefault("temp", fallback);
    return {fallback, true};
  }

  // What the report's key rows say against what the export holds; the
  // profile holds the export.
  void checkKeyRows() {
    if (!report_) {
      return;
    }
    const auto check = [&](const std::optional<bool>& shown, ReportPlace at, const char* key) {
      const bool exported = values_.hasKey(RootKey::ClassesRoot, key);
      if (shown && *shown != exported) {
        notes_.push_back(reportPath_ + ":" + std::to_string(at.line) + ":" + std::to_string(at.column) + ": the row " +
                         (*shown ? "shows" : "does not show") + " the key, the export " +
                         (exported ? "holds" : "lacks") + " " + kTypeLibRoot + key +
                         "; the profile holds the export's registry");
      }
    };
    check(report_->typeLib20, report_->typeLib20At, control_names::kTypeLib20Key);
    check(report_->typeLib21, report_->typeLib21At, control_names::kTypeLib21Key);
  }

  [[nodiscard]] const std::vector<std::string>& notes() const { return notes_; }

 private:
  const WindowsRow* windowsRow() const { return report_ && report_->windows ? &*report_->windows : nullptr; }

  void keepDefault(const std::string& fact, const Json& value) {
    notes_.push_back(fact + ": neither the export nor the report tells; the default machine's " + value.dump() +
                     " is kept");
  }

  void disagree(const std::string& fact, const Json& fromExport, const Json& fromReport, const char* used) {
    notes_.push_back(fact + ": the export gives " + fromExport.dump() + ", the report " + fromReport.dump() + "; " +
                     used + " is used");
  }

  // The export's value, else the report's, else the default's; where both
  // files tell and disagree, the export's.
  template <typename T>
  void settle(Json& os, const char* key, const std::optional<T>& fromExport, const std::optional<T>& fromReport) {
    if (fromExport) {
      if (fromReport && *fromReport != *fromExport) {
        disagree(std::string("os.") + key, *fromExport, *fromReport, "the export's");
      }
      os[key] = *fromExport;
    } else if (fromReport) {
      os[key] = *fromReport;
    } else {
      keepDefault(std::string("os.") + key, os[key]);
    }
  }

  template <typename T>
  std::optional<T> reported(T WindowsRow::*field) const {
    if (const WindowsRow* row = windowsRow()) {
      return row->*field;
    }
    return std::nullopt;
  }

  std::optional<std::uint32_t> number(std::string_view name) const {
    const auto text = values_.text(kCurrentVersion, name);
    return text ? parseDecimal<std::uint32_t>(*text) : std::nullopt;
  }

  void readVersion(Json& os) {
    // Windows 10 keeps "6.3" in CurrentVersion for old programs and its own
    // numbers in two DWORDs.
    std::optional<std::uint32_t> major = values_.dword(kCurrentVersion, "CurrentMajorVersionNumber");
    std::optional<std::uint32_t> minor = values_.dword(kCurrentVersion, "CurrentMinorVersionNumber");
    if (const auto version = values_.text(kCurrentVersion, "CurrentVersion"); version && (!major || !minor)) {
      const std::size_t dot = version->find('.');
      if (dot != std::string::npos) {
        major = major ? major : parseDecimal<std::uint32_t>(version->substr(0, dot));
        minor = minor ? minor : parseDecimal<std::uint32_t>(version->substr(dot + 1));
      }
    }
    std::optional<std::uint32_t> build = number("CurrentBuildNumber");
    build = build ? build : number("CurrentBuild");

    std::optional<int> bits;
    if (const auto architecture = values_.text(kEnvironment, "PROCESSOR_ARCHITECTURE")) {
      if (equalsIgnoreCase(*architecture, "x86")) {
        bits = 32;
      } else if (equalsIgnoreCase(*architecture, "AMD64") || equalsIgnoreCase(*architecture, "IA64") ||
                 equalsIgnoreCase(*architecture, "ARM64")) {
        bits = 64;
      }
    }
    if (!bits && values_.hasKey(RootKey::LocalMachine, kWow6432Node)) {
      bits = 64;
    }
    settle(os, "bits", bits, reported(&WindowsRow::bits));

    const bool versionKnown = major || windowsRow() != nullptr;
    if (versionKnown) {
      os["platform"] = 2;  // the NT line: the only one with these keys and this program
    } else {
      keepDefault("os.platform", os["platform"]);
    }
    settle(os, "major", major, reported(&WindowsRow::major));
    settle(os, "minor", minor, reported(&WindowsRow::minor));
    settle(os, "build", build, reported(&WindowsRow::build));

    // A Windows without a service pack has no CSDVersion value at all.
    std::optional<std::string> csd = values_.text(kCurrentVersion, "CSDVersion");
    std::optional<std::string> reportedCsd = reported(&WindowsRow::servicePack);
    if (!csd && build && !reportedCsd) {
      csd = "";
    }
    if (csd && utf8ToUtf16(*csd).size() > 128) {
      notes_.push_back("os.csd: the export's CSDVersion is longer than the record's 128 characters; it is not used");
      csd.reset();
    }
    settle(os, "csd", csd, reportedCsd);
    // "Service Pack 3" is service pack 3.0.
    const std::string text = os["csd"];
    constexpr std::string_view kServicePack = "Service Pack ";
    std::uint16_t spMajor = 0;
    if (text.starts_with(kServicePack)) {
      const std::size_t digits = text.find_first_not_of("0123456789", kServicePack.size());
      spMajor = parseDecimal<std::uint16_t>(text.substr(kServicePack.size(), digits - kServicePack.size())).value_or(0);
    }
    os["sp_major"] = spMajor;
    os["sp_minor"] = 0;
  }

  void readProduct(Json& os) {
    const auto type = values_.text(kProductOptions, "ProductType");
    std::optional<std::uint8_t> productType;
    if (type) {
      // ProductOptions\ProductType: WinNT a workstation, LanmanNT a domain
      // controller, ServerNT any other server (VER_NT_* 1, 2, 3).
      static const std::map<std::string, std::uint8_t> kTypes = {{"WINNT", 1}, {"LANMANNT", 2}, {"SERVERNT", 3}};
      const auto known = kTypes.find(foldCaseUtf8(*type));
      if (known != kTypes.end()) {
        productType = known->second;
      } else {
        notes_.push_back("os.product_type: the export's ProductType \"" + *type + "\" is not known");
      }
    }
    if (productType) {
      os["product_type"] = *productType;
    } else {
      keepDefault("os.product_type", os["product_type"]);
    }

    if (const auto suite = values_.texts(kProductOptions, "ProductSuite")) {
      std::uint16_t mask = 0;
      for (const std::string& name : *suite) {
        if (equalsIgnoreCase(name, kTerminalServer)) {
          // A workstation allows one remote session; a server has Terminal
          // Services besides.
          mask |= os["product_type"] == 1 ? kSuiteSingleUserTs : kSuiteTerminal | kSuiteSingleUserTs;
          continue;
        }
        const auto known =
            std::ranges::find_if(kSuiteNames, [&](const SuiteName& s) { return equalsIgnoreCase(s.name, name); });
        if (known == std::end(kSuiteNames)) {
          notes_.push_back("os.suite_mask: the export's ProductSuite name \"" + name + "\" is not known");
        } else {
          mask |= known->bit;
        }
      }
      os["suite_mask"] = mask;
    } else if (productType) {
      os["suite_mask"] = 0;
    } else {
      keepDefault("os.suite_mask", os["suite_mask"]);
    }

    const auto editionId = values_.text(kCurrentVersion, "EditionID");
    const auto productName = values_.text(kCurrentVersion, "ProductName");
    productInfoKnown_ = true;
    if (os["major"].get<std::uint32_t>() < 6) {
      // GetProductInfo is not asked before Windows Vista.
      os["product_info"] = 0;
    } else if (const auto code = productCode(editionId, productName, os["product_type"] != 1)) {
      os["product_info"] = *code;
    } else {
      productInfoKnown_ = false;
    }

    Json metrics = Json::object();
    for (const SystemMetric metric : kNamedMetrics) {
      metrics[metricKey(metric)] = 0;
    }
    metricsKnown_ = editionId || productName;
    if (editionId && editionId->starts_with("Starter")) {
      metrics[metricKey(SystemMetric::Starter)] = 1;
    }
    if (productName && productName->find(" R2") != std::string::npos && os["major"] == 5 && os["minor"] == 2) {
      metrics[metricKey(SystemMetric::ServerR2)] = 1;
    }
    os["metrics"] = metrics;
  }

  // GetProductInfo's code for the EditionID, else for the edition that the
  // ProductName ends with.
  std::optional<std::int32_t> productCode(const std::optional<std::string>& editionId,
                                          const std::optional<std::string>& productName, bool server) {
    if (editionId) {
      const auto known = std::ranges::find_if(
          kEditionCodes, [&](const EditionCode& e) { return equalsIgnoreCase(e.editionId, *editionId); });
      if (known != std::end(kEditionCodes)) {
        return known->product;
      }
      notes_.push_back("os.product_info: the export's EditionID \"" + *editionId + "\" is not known");
    }
    if (productName) {
      const EditionCode* best = nullptr;
      std::size_t bestLength = 0;
      for (const EditionCode& edition : kEditionCodes) {
        // Appended, not " " + a temporary: g++ Release's -Wrestrict misreads that.
        std::string words = " ";
        words += editionWords(edition.editionId);
        if (isServerEdition(edition.editionId) == server && endsWithIgnoreCase(*productName, words) &&
            words.size() > bestLength) {
          best = &edition;
          bestLength = words.size();
        }
      }
      if (best != nullptr) {
        return best->product;
      }
    }
    return std::nullopt;
  }

  void readLanguage(Json& os) {
    // Nls\Language keeps the language identifier as four hex digits ("0407").
    std::optional<std::uint16_t> langId;
    for (const char* name : {"Default", "InstallLanguage"}) {
      const auto text = values_.text(kLanguage, name);
      if (!langId && text && text->size() == 4) {
        std::uint16_t id = 0;
        const auto [end, error] = std::from_chars(text->data(), text->data() + 4, id, 16);
        if (error == std::errc() && end == text->data() + 4) {
          langId = id;
        }
      }
    }
    if (langId) {
      os["lang_id"] = *langId;
    } else {
      keepDefault("os.lang_id", os["lang_id"]);
    }
    // VerLanguageName answers in the language of the user interface, which
    // neither file shows.
    keepDefault("os.language", os["language"]);
  }

  // The product name that the program makes of `os`, by its own rules.
  static std::string nameOf(const Json& os) {
    const auto platform = os["platform"].get<std::int32_t>();
    const auto major = static_cast<std::int32_t>(os["major"].get<std::uint32_t>());
    const bool extended = platform == 2 && major >= 5;
    const std::int32_t productType = extended ? os["product_type"].get<std::int32_t>() : 0;
    const std::int32_t suite = extended ? static_cast<std::int16_t>(os["suite_mask"].get<std::uint16_t>()) : 0;
    const auto metric = [&](SystemMetric m) {
      const std::string key = metricKey(m);
      return os["metrics"].contains(key) ? os["metrics"][key].get<std::int32_t>() : 0;
    };
    osinfo::NameFacts facts;
    facts.version =
        osinfo::versionCode(platform, major, static_cast<std::int32_t>(os["minor"].get<std::uint32_t>()), productType);
    facts.revision = osinfo::revisionOf(platform, static_cast<std::int32_t>(os["build"].get<std::uint32_t>()));
    facts.productType = productType;
    facts.suiteMask = suite;
    facts.edition = osinfo::editionCode(productType, suite, metric);
    facts.serverR2 = metric(SystemMetric::ServerR2) != 0;
    facts.productInfo = platform == 2 && major >= 6 ? os["product_info"].get<std::int32_t>() : 0;
    return osinfo::windowsName(facts);
  }

  // The report's Windows row names the product as the program saw it; what
  // the export leaves open of the name (the edition metrics, the product
  // code) is taken from it.
  void matchReportedName(Json& os) {
    const WindowsRow* row = windowsRow();
    if (row == nullptr) {
      if (!metricsKnown_) {
        keepDefault("os.metrics", defaults_["os"]["metrics"]);
        os["metrics"] = defaults_["os"]["metrics"];
      }
      if (!productInfoKnown_) {
        keepDefault("os.product_info", os["product_info"]);
      }
      return;
    }
    // Where the name shows no edition text (Windows 8 and later), the
    // report does not tell the product code either.
    Json ultimate = os;
    Json homeBasic = os;
    ultimate["product_info"] = 0x01;
    homeBasic["product_info"] = 0x02;
    if (!productInfoKnown_ && nameOf(ultimate) == nameOf(homeBasic)) {
      keepDefault("os.product_info", os["product_info"]);
      productInfoKnown_ = true;
    }
    // Only Windows XP and Server 2003 show the edition metrics in the name.
    const bool nameShowsMetrics = std::ranges::any_of(kNamedMetrics, [&](SystemMetric metric) {
      Json with = os;
      with["metrics"][metricKey(metric)] = 1;
      return nameOf(with) != nameOf(os);
    });
    if (!metricsKnown_ && !nameShowsMetrics) {
      keepDefault("os.metrics", defaults_["os"]["metrics"]);
      os["metrics"] = defaults_["os"]["metrics"];
    }
    if (nameOf(os) == row->name) {
      return;
    }
    std::vector<Json> metricChoices = {os["metrics"]};
    for (const SystemMetric metric : kNamedMetrics) {
      Json choice = os["metrics"];
      choice[metricKey(metric)] = 1;
      metricChoices.push_back(choice);
    }
    std::vector<std::int32_t> codeChoices = {os["product_info"].get<std::int32_t>()};
    if (!productInfoKnown_) {
      codeChoices.push_back(0);
      codeChoices.push_back(kProductUnlicensed);
      for (const EditionCode& edition : kEditionCodes) {
        codeChoices.push_back(edition.product);
      }
    }
    for (const Json& metrics : metricChoices) {
      for (const std::int32_t code : codeChoices) {
        Json candidate = os;
        candidate["metrics"] = metrics;
        candidate["product_info"] = code;
        if (nameOf(candidate) == row->name) {
          os = candidate;
          return;
        }
      }
    }
    notes_.push_back(reportPath_ + ":" + std::to_string(report_->windowsAt.line) + ":" +
                     std::to_string(report_->windowsAt.column) + ": the report names the product " +
                     Json(row->name).dump() + ", the machine made from the export " + Json(nameOf(os)).dump());
    if (!productInfoKnown_) {
      keepDefault("os.product_info", os["product_info"]);
    }
  }

  // The folder that the report's installed row shows the control in, as
  // the shell gave it ("" when it gave none); nothing when the row shows
  // no path or one the survey did not make on this architecture.
  std::optional<std::string> reportedFolder(bool wide) const {
    if (!report_ || report_->installed.state != ControlRow::State::Found) {
      return std::nullopt;
    }
    const std::string& path = report_->installed.path;
    const std::string suffix = std::string(wide ? "SysWOW64\\" : "") + control_names::kControlFile;
    if (!endsWithIgnoreCase(path, suffix)) {
      return std::nullopt;
    }
    std::string_view prefix = std::string_view(path).substr(0, path.size() - suffix.size());
    if (wide && !prefix.empty() && prefix.back() != '\\') {
      return std::nullopt;
    }
    return prefix.empty() ? std::string() : folderBefore(prefix);
  }

  // A path as the program's current folder makes it whole.
  std::string absolute(const std::string& path) const {
    return resolveWinPath(path, defaults_["cwd"].get<std::string>()).value_or(path);
  }

  static Json versionJson(const std::optional<FileVersion>& version) {
    return version ? Json(*version) : Json(nullptr);
  }

  ExportValues values_;
  const std::optional<SavedReport>& report_;
  std::string reportPath_;
  Json defaults_;
  std::vector<std::string> notes_;
  bool productInfoKnown_ = false;
  bool metricsKnown_ = false;
};

std::string registryFileFrom(const std::string& exportPath, const std::string& profilePath) {
  namespace fs = std::filesystem;
  const fs::path profileDir = fs::absolute(fs::path(profilePath)).parent_path();
  const fs::path target = fs::absolute(fs::path(exportPath)).lexically_normal();
  const fs::path relative = target.lexically_relative(profileDir.lexically_normal());
  return relative.empty() ? target.string() : relative.string();
}

}  // namespace

ImportedMachine importMachine(const std::string& exportPath, const std::optional<std::string>& reportPath,
                              const std::string& profilePath) {
  RegistryStore store;
  try {
    if (!importRegFile(exportPath, store)) {
      throw ProfileError(exportPath, 1, 1, "cannot read the registry file");
    }
  } catch (const RegTextError& e) {
    throw ProfileError(exportPath, e.line(), e.column(), e.what());
  }
  std::optional<SavedReport> report;
  if (reportPath) {
    report = readSavedReport(*reportPath);
  }

  Importer importer(store, report, reportPath.value_or(""));
  const Json os = importer.os();
  const Json folders = importer.folders(os);
  const std::string lookedFor = importer.installedPath(os, folders);
  auto [temp, tempExists] = importer.temp();
  const Json files = importer.files(lookedFor);
  const Json payload = importer.payload();
  importer.checkKeyRows();

  // The folders the program's steps need: the temporary folder, its current
  // folder and the one the control is looked for in.
  Json directories = Json::array();
  const auto addDirectory = [&](const std::string& folder) {
    const auto whole = resolveWinPath(folder, "C:\\");
    if (whole && !isDriveRoot(*whole) && std::ranges::none_of(directories, [&](const Json& d) {
          return equalsIgnoreCase(d.get<std::string>(), *whole);
        })) {
      directories.push_back(*whole);
    }
  };
  if (tempExists && temp.is_string()) {
    addDirectory(temp.get<std::string>());
  }
  addDirectory(defaultProfileJson()["cwd"].get<std::string>());
  addDirectory(parentPath(lookedFor));

  std::string description = "Imported from " + std::filesystem::path(exportPath).filename().string();
  if (reportPath) {
    description += " and " + std::filesystem::path(*reportPath).filename().string();
  }
  Json profile;
  profile["description"] = description;
  profile["os"] = os;
  profile["folders"] = folders;
  profile["temp"] = temp;
  profile["directories"] = directories;
  profile["files"] = files;
  profile["payload"] = payload;
  profile["registry_file"] = registryFileFrom(exportPath, profilePath);
  return {profile, importer.notes()};
}

}  // namespace ocx::sim
