// A machine profile read into the settings the simulated machine is built
// from. Every key is optional and falls back to the built-in default
// machine; "os", "os.metrics" and "clock" merge key by key, every other key
// replaces the default's value whole.
#pragma once

#include <map>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "platform/sim/faults.h"
#include "platform/sim/file_content.h"
#include "platform/sim/registry_store.h"
#include "platform/sim/services.h"

namespace ocx::sim {

struct ProfileFile {
  std::string path;
  std::shared_ptr<const FileContent> content;
  bool readonly = false;
  bool locked = false;
};

struct MachineConfig {
  std::string description;
  bool admin = true;
  OsSettings os;
  ClockSettings clock;
  std::map<std::int32_t, std::string> folders;
  std::optional<std::string> temp;
  std::string cwd;
  std::vector<std::string> directories;
  std::vector<ProfileFile> files;
  std::shared_ptr<const FileContent> payload;  // null: the program carries none
  RegistryStore registry;
  std::vector<Fault> faults;
};

// The default machine as a profile naming every key.
nlohmann::ordered_json defaultProfileJson();

// The machine a profile describes. `name` is the profile's file name for
// errors; a relative "registry_file" resolves against `baseDir`. Throws
// ProfileError.
MachineConfig readProfile(const std::string& text, const std::string& name, const std::string& baseDir);

// The default machine.
MachineConfig defaultMachineConfig();

}  // namespace ocx::sim
