// The simulated Windows machine: every platform service but the window,
// answered from a machine profile (JSON plus registry text in regedit
// format). Tests, the simulator command and reproductions of a customer's
// machine all start here.
#pragma once

#include <cstdint>
#include <memory>
#include <nlohmann/json.hpp>
#include <optional>
#include <stdexcept>
#include <string>
#include <string_view>
#include <vector>

#include "platform/platform.h"
#include "platform/sim/reg_text.h"

namespace ocx::sim {

// A profile that cannot be used: the file that holds the fault, and the line
// and column (from 1) of the offending token. what() says what is wrong.
class ProfileError : public std::runtime_error {
 public:
  ProfileError(std::string file, int line, int column, const std::string& message)
      : std::runtime_error(message), file_(std::move(file)), line_(line), column_(column) {}
  [[nodiscard]] const std::string& file() const noexcept { return file_; }
  [[nodiscard]] int line() const noexcept { return line_; }
  [[nodiscard]] int column() const noexcept { return column_; }

 private:
  std::string file_;
  int line_;
  int column_;
};

struct StartedProcess {
  std::string commandLine;
  int windowStyle = 0;
};

class Machine {
 public:
  virtual ~Machine() = default;

  // The built-in default machine.
  static std::unique_ptr<Machine> createDefault();
  // A machine from a profile file; throws ProfileError.
  static std::unique_ptr<Machine> fromProfileFile(const std::string& path);
  // A machine from profile text; `name` is the file name used in errors, and
  // relative `registry_file` paths resolve against `baseDir`.
  static std::unique_ptr<Machine> fromProfileText(const std::string& text, const std::string& name,
                                                  const std::string& baseDir = ".");
  // The default machine as a profile with every key.
  static nlohmann::ordered_json defaultProfile();

  virtual Registry& registry() = 0;
  virtual FileSystem& files() = 0;
  virtual VersionInfo& versions() = 0;
  virtual ShellFolders& shell() = 0;
  virtual ProgramResources& resources() = 0;
  virtual Processes& processes() = 0;
  virtual OsFacts& os() = 0;
  virtual Clock& clock() = 0;

  // Another process overwrites the file `path` (resolved against the
  // current folder) with other bytes of the same length: its version
  // information stays, its self-registration is gone. A missing, read-only
  // or locked file is left as it is. Nothing of this reaches the program.
  virtual void overwriteFromOutside(const std::string& path) = 0;

  // When a configured fault matches `op` on `path`, counts it and gives its
  // error code; the caller then fails without changing anything.
  virtual std::optional<std::uint32_t> takeFault(std::string_view op, const std::string& path) = 0;

  [[nodiscard]] virtual const std::vector<StartedProcess>& startedProcesses() const = 0;

  // The "machine" object of the simulator's output: {"registry", "files"}.
  [[nodiscard]] nlohmann::ordered_json toJson() const { return toJson(true); }
  // Without `registryText`, "registry" is left "" for a writer that puts
  // the text of exportRegistry in its place.
  [[nodiscard]] virtual nlohmann::ordered_json toJson(bool registryText) const = 0;
  // machine.registry, handed to `write` in pieces of whole lines.
  virtual void exportRegistry(const RegTextSink& write) const = 0;
};

// Windows' German text for a Win32 error code, as FormatMessage gives it.
std::string systemErrorText(std::uint32_t code);

}  // namespace ocx::sim
