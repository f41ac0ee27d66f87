#include "platform/sim/services.h"

#include <chrono>
#include <ctime>

#include "platform/error.h"
#include "platform/sim/machine.h"
#include "platform/sim/text_codec.h"
#include "platform/version_block.h"

namespace ocx::sim {

namespace {

constexpr ModuleHandle kKernel32 = 0x77E40000;
constexpr ModuleHandle kUser32 = 0x77D10000;
constexpr int kMaxPath = 260;

[[noreturn]] void fail(std::uint32_t code) {
  throw PlatformError(code, systemErrorText(code));
}

SystemTime fromTm(const std::tm& tm) {
  return SystemTime{tm.tm_year + 1900, tm.tm_mon + 1, tm.tm_mday, tm.tm_hour, tm.tm_min, tm.tm_sec, 0};
}

long hostOffsetSeconds() {
  const std::time_t now = std::time(nullptr);
  std::tm local{};
  localtime_r(&now, &local);
  return local.tm_gmtoff;
}

bool sameName(const std::string& name, std::string_view module) {
  return equalsIgnoreCase(name, module) || equalsIgnoreCase(name, std::string(module) + ".dll");
}

}  // namespace

std::optional<std::vector<std::uint8_t>> SimVersionInfo::blockOf(const std::string& path) {
  const std::string full = disk_.resolve(path);
  if (faults_.take("version_info", {full})) {
    return std::nullopt;
  }
  const DiskEntry* entry = full.empty() ? nullptr : disk_.entry(full);
  if (entry == nullptr || entry->directory || !entry->content->version) {
    return std::nullopt;
  }
  const FileVersion& v = *entry->content->version;
  return buildVersionBlock(fixedFileInfoForVersion(v[0], v[1], v[2], v[3]));
}

std::uint32_t SimVersionInfo::fileVersionInfoSize(const std::string& path) {
  const auto block = blockOf(path);
  return block ? static_cast<std::uint32_t>(block->size()) : 0;
}

bool SimVersionInfo::fileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) {
  const auto found = blockOf(path);
  if (!found || size == 0) {
    return false;
  }
  // Windows copies what fits into the caller's buffer.
  std::vector<std::uint8_t> filled(size, 0);
  std::copy_n(found->begin(), std::min<std::size_t>(size, found->size()), filled.begin());
  block = std::move(filled);
  return true;
}

bool SimVersionInfo::queryRootBlock(const std::vector<std::uint8_t>& block, FixedFileInfo& info) {
  return readRootBlock(block, info);
}

std::vector<std::uint8_t> SimResources::resourceBytes(const std::string& type, int id) {
  if (const auto fault = faults_.take("resource", {})) {
    fail(*fault);
  }
  if (!payload_ || !equalsIgnoreCase(type, "CUSTOM")) {
    fail(win32_error::kResourceTypeNotFound);
  }
  if (id != 101) {
    fail(win32_error::kResourceNameNotFound);
  }
  return generateBytes(*payload_);
}

std::optional<std::string> SimShellFolders::specialFolderPath(WindowHandle, std::int32_t csidl) {
  const auto it = folders_.find(csidl);
  if (it == folders_.end()) {
    return std::nullopt;
  }
  const std::string ansi = utf8ToAnsi(it->second);
  if (ansi.size() >= kMaxPath) {
    return std::nullopt;
  }
  return ansiToUtf8(ansi);
}

SystemTime SimClock::localNow() {
  if (settings_.now) {
    return *settings_.now;
  }
  const std::time_t now = std::time(nullptr);
  std::tm tm{};
  if (settings_.utcOffsetMinutes) {
    const std::time_t shifted = now + static_cast<std::time_t>(*settings_.utcOffsetMinutes) * 60;
    gmtime_r(&shifted, &tm);
  } else {
    localtime_r(&now, &tm);
  }
  return fromTm(tm);
}

bool SimClock::fileTimeToLocalFileTime(std::uint64_t utc, std::uint64_t& local) {
  constexpr std::int64_t kTicksPerSecond = 10'000'000;
  const std::int64_t offsetSeconds =
      settings_.utcOffsetMinutes ? static_cast<std::int64_t>(*settings_.utcOffsetMinutes) * 60 : hostOffsetSeconds();
  if (utc > static_cast<std::uint64_t>(INT64_MAX)) {
    return false;
  }
  const std::int64_t shifted = static_cast<std::int64_t>(utc) + offsetSeconds * kTicksPerSecond;
  if (shifted < 0 || (offsetSeconds > 0 && shifted < static_cast<std::int64_t>(utc))) {
    return false;
  }
  local = static_cast<std::uint64_t>(shifted);
  return true;
}

bool SimOsFacts::getVersionEx(OsVersionRecord& record) {
  if (record.size != OsVersionRecord::kPlainSize && record.size != OsVersionRecord::kExtendedSize) {
    return false;
  }
  const bool extended = record.size == OsVersionRecord::kExtendedSize;
  if (extended && settings_.extendedQueryFails) {
    return false;
  }
  record.majorVersion = static_cast<std::int32_t>(settings_.major);
  record.minorVersion = static_cast<std::int32_t>(settings_.minor);
  record.buildNumber = static_cast<std::int32_t>(settings_.build);
  record.platformId = static_cast<std::int32_t>(settings_.platform);
  std::string csd = utf8ToAnsi(settings_.csd);
  csd.resize(OsVersionRecord::kCsdChars, '\0');
  record.csdVersion = ansiToUtf8(csd);
  if (extended) {
    record.servicePackMajor = static_cast<std::int16_t>(settings_.spMajor);
    record.servicePackMinor = static_cast<std::int16_t>(settings_.spMinor);
    record.suiteMask = settings_.suiteMask;
    record.productType = settings_.productType;
    record.reserved = 0;
  }
  return true;
}

bool SimOsFacts::getProductInfo(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t& productType) {
  productType = settings_.productInfo;
  return true;
}

std::uint32_t SimOsFacts::verLanguageName(std::uint16_t langId, std::string& name, std::uint32_t bufferChars) {
  if (settings_.language.empty() || langId != settings_.langId || bufferChars == 0) {
    return 0;
  }
  std::string ansi = utf8ToAnsi(settings_.language);
  if (ansi.size() >= bufferChars) {
    ansi.resize(bufferChars - 1);
  }
  name = ansiToUtf8(ansi);
  return static_cast<std::uint32_t>(ansi.size());
}

std::int32_t SimOsFacts::systemMetrics(SystemMetric index) {
  const auto it = settings_.metrics.find(static_cast<int>(index));
  return it == settings_.metrics.end() ? 0 : it->second;
}

ModuleHandle SimOsFacts::loadLibrary(const std::string& name) {
  if (sameName(name, "kernel32")) {
    return kKernel32;
  }
  if (sameName(name, "user32")) {
    return kUser32;
  }
  return 0;
}

bool SimOsFacts::hasProcAddress(ModuleHandle module, const std::string& procName) {
  if (module == kKernel32) {
    if (procName == "IsWow64Process") {
      return settings_.wow64Query != Wow64Query::Absent;
    }
    if (procName == "GetProductInfo") {
      return settings_.major >= 6;
    }
    return true;
  }
  return module == kUser32;
}

bool SimOsFacts::isWow64Process(bool& wow64) {
  if (settings_.wow64Query != Wow64Query::Present) {
    return false;
  }
  wow64 = settings_.bits == 64;
  return true;
}

}  // namespace ocx::sim
