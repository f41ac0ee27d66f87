#include "platform/sim/machine.h"

#include <filesystem>

#include "platform/sim/file_system.h"
#include "platform/sim/host_file.h"
#include "platform/sim/profile.h"
#include "platform/sim/reg_text.h"
#include "platform/sim/services.h"
#include "platform/sim/sim_processes.h"
#include "platform/sim/sim_registry.h"
#include "platform/sim/win_path.h"

namespace ocx::sim {

namespace {

// Fault paths of file operations are compared after both sides are
// resolved against the current folder.
std::vector<Fault> resolveFaultPaths(std::vector<Fault> faults, const std::string& cwd) {
  for (Fault& fault : faults) {
    if (fault.path && isFileFaultOp(fault.op)) {
      if (const auto full = resolveWinPath(*fault.path, cwd)) {
        fault.path = *full;
      }
    }
  }
  return faults;
}

DiskSettings diskSettings(const MachineConfig& config) {
  DiskSettings settings;
  settings.cwd = resolveWinPath(config.cwd, "C:\\").value_or("C:\\");
  settings.temp = config.temp;
  if (const auto it = config.folders.find(36); it != config.folders.end()) {
    settings.windowsFolder = resolveWinPath(it->second, settings.cwd);
  }
  settings.admin = config.admin;
  settings.payload = config.payload;
  return settings;
}

class SimMachine final : public Machine {
 public:
  explicit SimMachine(MachineConfig config)
      : faults_(resolveFaultPaths(std::move(config.faults), config.cwd)),
        store_(std::move(config.registry)),
        registry_(store_, faults_, config.admin, config.os.bits == 64),
        disk_(faults_, diskSettings(config)),
        versions_(disk_, faults_),
        shell_(config.folders),
        resources_(config.payload, faults_),
        processes_(disk_, store_, faults_, config.admin, started_),
        os_(config.os),
        clock_(config.clock) {
    for (const auto& directory : config.directories) {
      if (const auto full = disk_.resolve(directory); !full.empty()) {
        disk_.addDirectory(full);
      }
    }
    for (const auto& file : config.files) {
      if (const auto full = disk_.resolve(file.path); !full.empty()) {
        disk_.addFile(full, file.content, file.readonly, file.locked);
      }
    }
  }

  Registry& registry() override { return registry_; }
  FileSystem& files() override { return disk_; }
  VersionInfo& versions() override { return versions_; }
  ShellFolders& shell() override { return shell_; }
  ProgramResources& resources() override { return resources_; }
  Processes& processes() override { return processes_; }
  OsFacts& os() override { return os_; }
  Clock& clock() override { return clock_; }

  void overwriteFromOutside(const std::string& path) override { disk_.overwriteFromOutside(path); }

  std::optional<std::uint32_t> takeFault(std::string_view op, const std::string& path) override {
    if (isFileFaultOp(op) && !path.empty()) {
      return faults_.take(op, {disk_.resolve(path)});
    }
    return faults_.take(op, {path});
  }

  const std::vector<StartedProcess>& startedProcesses() const override { return started_; }

  void exportRegistry(const RegTextSink& write) const override { exportRegText(store_, write); }

  nlohmann::ordered_json toJson(bool registryText) const override {
    nlohmann::ordered_json files = nlohmann::ordered_json::array();
    for (const DiskEntry* file : disk_.plainFiles()) {
      nlohmann::ordered_json item;
      item["path"] = file->path;
      item["size"] = file->content->size;
      if (file->content->version) {
        item["version"] = *file->content->version;
      } else {
        item["version"] = nullptr;
      }
      files.push_back(std::move(item));
    }
    nlohmann::ordered_json machine;
    machine["registry"] = registryText ? exportRegText(store_) : std::string();
    machine["files"] = std::move(files);
    return machine;
  }

 private:
  FaultList faults_;
  RegistryStore store_;
  std::vector<StartedProcess> started_;
  SimRegistry registry_;
  SimFileSystem disk_;
  SimVersionInfo versions_;
  SimShellFolders shell_;
  SimResources resources_;
  SimProcesses processes_;
  SimOsFacts os_;
  SimClock clock_;
};

}  // namespace

std::unique_ptr<Machine> Machine::createDefault() {
  return std::make_unique<SimMachine>(defaultMachineConfig());
}

std::unique_ptr<Machine> Machine::fromProfileFile(const std::string& path) {
  const auto text = readHostFile(path);
  if (!text) {
    throw ProfileError(path, 1, 1, "cannot read the profile");
  }
  const std::string baseDir = std::filesystem::path(path).parent_path().string();
  return fromProfileText(*text, path, baseDir.empty() ? "." : baseDir);
}

std::unique_ptr<Machine> Machine::fromProfileText(const std::string& text, const std::string& name,
                                                  const std::string& baseDir) {
  return std::make_unique<SimMachine>(readProfile(text, name, baseDir));
}

nlohmann::ordered_json Machine::defaultProfile() {
  return defaultProfileJson();
}

}  // namespace ocx::sim
