// The smaller services of the simulated machine: version resources of the
// simulated files, the program's own resource, shell folders, the clock and
// what the operating system says about itself.
#pragma once

#include <map>
#include <optional>
#include <string>

#include "platform/clock.h"
#include "platform/os_facts.h"
#include "platform/resources.h"
#include "platform/shell_folders.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_system.h"
#include "platform/sim/machine.h"
#include "platform/version_info.h"

namespace ocx::sim {

class SimVersionInfo final : public VersionInfo {
 public:
  SimVersionInfo(SimFileSystem& disk, FaultList& faults) : disk_(disk), faults_(faults) {}
  std::uint32_t fileVersionInfoSize(const std::string& path) override;
  bool fileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) override;
  bool queryRootBlock(const std::vector<std::uint8_t>& block, FixedFileInfo& info) override;

 private:
  // The block of the file at `path`; nothing when it has none or a fault
  // strikes.
  std::optional<std::vector<std::uint8_t>> blockOf(const std::string& path);
  SimFileSystem& disk_;
  FaultList& faults_;
};

class SimResources final : public ProgramResources {
 public:
  SimResources(std::shared_ptr<const FileContent> payload, FaultList& faults)
      : payload_(std::move(payload)), faults_(faults) {}
  std::vector<std::uint8_t> resourceBytes(const std::string& type, int id) override;

 private:
  std::shared_ptr<const FileContent> payload_;
  FaultList& faults_;
};

class SimShellFolders final : public ShellFolders {
 public:
  explicit SimShellFolders(std::map<std::int32_t, std::string> folders) : folders_(std::move(folders)) {}
  WindowHandle activeWindow() override { return 0; }
  std::optional<std::string> specialFolderPath(WindowHandle owner, std::int32_t csidl) override;

 private:
  std::map<std::int32_t, std::string> folders_;
};

struct ClockSettings {
  std::optional<SystemTime> now;        // standing still; the host's clock when absent
  std::optional<int> utcOffsetMinutes;  // the host's when absent
};

class SimClock final : public Clock {
 public:
  explicit SimClock(ClockSettings settings) : settings_(settings) {}
  SystemTime localNow() override;
  bool fileTimeToLocalFileTime(std::uint64_t utc, std::uint64_t& local) override;

 private:
  ClockSettings settings_;
};

enum class Wow64Query { Present, Absent, Fails };

struct OsSettings {
  int bits = 64;
  Wow64Query wow64Query = Wow64Query::Present;
  std::uint32_t platform = 2;
  std::uint32_t major = 6;
  std::uint32_t minor = 1;
  std::uint32_t build = 7601;
  std::string csd = "Service Pack 1";
  std::uint16_t spMajor = 1;
  std::uint16_t spMinor = 0;
  std::uint16_t suiteMask = 256;
  std::uint8_t productType = 1;
  bool extendedQueryFails = false;
  std::int32_t productInfo = 48;
  std::uint16_t langId = 1031;
  std::string language = "Deutsch (Deutschland)";
  std::map<int, std::int32_t> metrics;
  std::uint32_t tickCount = 90400;
};

class SimOsFacts final : public OsFacts {
 public:
  explicit SimOsFacts(OsSettings settings) : settings_(std::move(settings)) {}
  bool getVersionEx(OsVersionRecord& record) override;
  bool getProductInfo(std::int32_t major, std::int32_t minor, std::int32_t spMajor, std::int32_t spMinor,
                      std::int32_t& productType) override;
  std::uint16_t systemDefaultLangId() override { return settings_.langId; }
  std::uint32_t verLanguageName(std::uint16_t langId, std::string& name, std::uint32_t bufferChars) override;
  std::uint32_t tickCount() override { return settings_.tickCount; }
  std::int32_t systemMetrics(SystemMetric index) override;
  ModuleHandle loadLibrary(const std::string& name) override;
  bool hasProcAddress(ModuleHandle module, const std::string& procName) override;
  void freeLibrary(ModuleHandle) override {}
  bool isWow64Process(bool& wow64) override;
  std::string systemMessage(std::uint32_t code) override { return systemErrorText(code); }

 private:
  OsSettings settings_;
};

}  // namespace ocx::sim
