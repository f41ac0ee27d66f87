#include "platform/sim/faults.h"

#include <algorithm>

#include "platform/sim/text_codec.h"

namespace ocx::sim {

namespace {

constexpr std::string_view kOps[] = {"find",     "delete",       "rename",     "copy",      "write",
                                     "length",   "version_info", "resource",   "temp_path", "start_process",
                                     "reg_open", "reg_query",    "reg_delete", "clipboard"};
constexpr std::string_view kFileOps[] = {"find",  "delete", "rename",       "copy",
                                         "write", "length", "version_info", "start_process"};

}  // namespace

bool isFaultOp(std::string_view op) {
  return std::find(std::begin(kOps), std::end(kOps), op) != std::end(kOps);
}

bool isFileFaultOp(std::string_view op) {
  return std::find(std::begin(kFileOps), std::end(kFileOps), op) != std::end(kFileOps);
}

std::optional<std::uint32_t> FaultList::take(std::string_view op, std::initializer_list<std::string_view> paths) {
  for (Fault& fault : faults_) {
    if (fault.op != op || (fault.times && *fault.times == 0)) {
      continue;
    }
    const bool matches = !fault.path || std::any_of(paths.begin(), paths.end(), [&](std::string_view path) {
      return equalsIgnoreCase(*fault.path, path);
    });
    if (!matches) {
      continue;
    }
    if (fault.times) {
      --*fault.times;
    }
    return fault.error;
  }
  return std::nullopt;
}

}  // namespace ocx::sim
