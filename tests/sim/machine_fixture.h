// Small helpers shared by the simulated machine's tests.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "platform/error.h"
#include "platform/sim/machine.h"

namespace ocx::sim::test {

inline std::unique_ptr<Machine> machineFrom(const std::string& profile) {
  return Machine::fromProfileText(profile, "test.json");
}

inline std::string registryOf(const Machine& machine) {
  return machine.toJson()["registry"].get<std::string>();
}

// The Win32 code an operation throws with; 0 when it succeeds.
inline std::uint32_t errorOf(const std::function<void()>& operation) {
  try {
    operation();
  } catch (const PlatformError& e) {
    return e.number();
  }
  return 0;
}

// "line:column" of the error a parse throws, or "accepted".
template <class Error>
std::string positionOf(const std::function<void()>& parse) {
  try {
    parse();
  } catch (const Error& e) {
    return std::to_string(e.line()) + ":" + std::to_string(e.column());
  }
  return "accepted";
}

struct ValueRead {
  RegStatus status = -1;
  RegType type = RegType::None;
  std::vector<std::uint8_t> data;
};

// Opens, asks for type and size, reads into a buffer of exactly that size,
// closes: the status of the first step that fails.
inline ValueRead readValue(Registry& registry, RootKey root, const std::string& path, const std::string& name,
                           std::uint32_t sam = reg_access::kReadValues, RegView view = RegView::Default) {
  ValueRead read;
  RegKey key;
  std::uint32_t size = 0;
  if ((read.status = key.open(registry, root, path, sam, view)) != 0 ||
      (read.status = registry.queryValueInfo(key.get(), name, read.type, size)) != 0) {
    return read;
  }
  read.data.assign(size, 0);
  read.status = registry.queryValue(key.get(), name, read.type, read.data, size);
  return read;
}

inline std::vector<std::uint8_t> bytesOf(const std::string& text) {
  return {text.begin(), text.end()};
}

}  // namespace ocx::sim::test
