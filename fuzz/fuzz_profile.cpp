// The machine profile reader on arbitrary text: refused with a position, or
// a machine on which the program starts, reports and repairs.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>

#include "app/sim/sim_session.h"
#include "fuzz_check.h"
#include "platform/sim/machine.h"

namespace {

// File contents are generated at their full size; a profile asking for
// gigabytes is accepted, but running the program on it only measures memory.
bool hasHugeFile(const nlohmann::json& node) {
  if (node.is_object()) {
    for (const auto& [key, value] : node.items()) {
      if (key == "size" && value.is_number() && value.get<double>() > 64.0 * 1024 * 1024) return true;
      if (hasHugeFile(value)) return true;
    }
  } else if (node.is_array()) {
    for (const auto& item : node) {
      if (hasHugeFile(item)) return true;
    }
  }
  return false;
}

// An absolute registry file is read from this host, where /dev/zero or a
// FIFO would hang the fuzzer rather than test the reader.
bool namesHostFile(const nlohmann::json& profile) {
  if (!profile.is_object()) return false;
  const auto it = profile.find("registry_file");
  return it != profile.end() && it->is_string() && it->get<std::string>().starts_with("/");
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ocx::sim;
  const std::string text(reinterpret_cast<const char*>(data), size);
  const nlohmann::json parsed = nlohmann::json::parse(text, nullptr, false);
  if (namesHostFile(parsed)) return 0;
  std::unique_ptr<Machine> machine;
  try {
    // No registry file can be found below this folder: a profile naming one
    // is refused at 1:1 of that file.
    machine = Machine::fromProfileText(text, "fuzz.json", "/nonexistent/ocx-fuzz");
  } catch (const ProfileError& error) {
    ocx::fuzz::require(error.line() >= 1 && error.column() >= 1, "refusal has a position");
    ocx::fuzz::require(!std::string(error.what()).empty(), "refusal says what is wrong");
    ocx::fuzz::require(!error.file().empty(), "refusal names a file");
    return 0;
  }
  if (hasHugeFile(parsed)) return 0;
  Session session(std::move(machine));
  session.form().Start();
  ocx::fuzz::require(session.window().visible(), "the window is shown after any survey");
  session.form().cmdStatus_Click();
  session.form().cmdGo_Click();
  static_cast<void>(session.machine().toJson().dump());
  return 0;
}
