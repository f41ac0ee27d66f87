// Failures a machine profile plants in the platform's operations. The first
// fault in the list that matches a call and has failures left decides it;
// a fault without `times` fails every matching call.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace ocx::sim {

struct Fault {
  std::string op;
  // Compared whole, without regard to case; absent matches every path.
  std::optional<std::string> path;
  std::uint32_t error = 0;
  std::optional<std::uint32_t> times;
};

// The operation names a profile may use.
bool isFaultOp(std::string_view op);
// Operations whose path is a file path, resolved against the current folder
// before it is compared.
bool isFileFaultOp(std::string_view op);

class FaultList {
 public:
  FaultList() = default;
  explicit FaultList(std::vector<Fault> faults) : faults_(std::move(faults)) {}

  // When a fault matches `op` on any of `paths`, uses up one of its failures
  // and gives its error code.
  std::optional<std::uint32_t> take(std::string_view op, std::initializer_list<std::string_view> paths);

  [[nodiscard]] const std::vector<Fault>& faults() const { return faults_; }

 private:
  std::vector<Fault> faults_;
};

}  // namespace ocx::sim
