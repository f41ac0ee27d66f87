// Starting programs on the simulated machine. The only program there is
// the system's regsvr32; it does its work the moment it starts, on the file
// as it is then, and has ended before the caller goes on.
#pragma once

#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/processes.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_system.h"
#include "platform/sim/registry_store.h"

namespace ocx::sim {

struct StartedProcess;

struct Regsvr32Command {
  bool silent = false;
  bool unregister = false;
  // The files named, quotes removed, as written.
  std::vector<std::string> files;
};

// The command line split as regsvr32 takes it; nothing when the program it
// starts is not regsvr32.
std::optional<Regsvr32Command> parseRegsvr32(std::string_view commandLine);

class SimProcesses final : public Processes {
 public:
  SimProcesses(SimFileSystem& disk, RegistryStore& store, FaultList& faults, bool admin,
               std::vector<StartedProcess>& started)
      : disk_(disk), store_(store), faults_(faults), admin_(admin), started_(started) {}

  void startProcess(const std::string& commandLine, int windowStyle) override;

 private:
  void registerFile(const std::string& path, bool unregister);

  SimFileSystem& disk_;
  RegistryStore& store_;
  FaultList& faults_;
  bool admin_;
  std::vector<StartedProcess>& started_;
};

}  // namespace ocx::sim
