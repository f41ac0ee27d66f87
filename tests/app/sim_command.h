// The built ocxmedic-sim run as a shell runs it, with what it gave back.
#pragma once

#include <sys/wait.h>
#include <unistd.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

namespace ocx::testing {

struct SimOutcome {
  int exitCode = -1;
  std::string out;
  std::string err;
};

inline std::string readWhole(const std::string& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), {}};
}

// `args` as shell words. CTest runs the cases as separate processes side by
// side, so the outputs are kept under this process's number.
inline SimOutcome runSim(const std::string& args) {
  const std::string base = ::testing::TempDir() + "ocxmedic_sim_" + std::to_string(getpid());
  const std::string command =
      std::string(OCXMEDIC_SIM) + " " + args + " >" + base + ".out 2>" + base + ".err </dev/null";
  const int status = std::system(command.c_str());
  return {WIFEXITED(status) ? WEXITSTATUS(status) : -1, readWhole(base + ".out"), readWhole(base + ".err")};
}

}  // namespace ocx::testing
