// Reading a profile or registry file from the host's disk.
#pragma once

#include <optional>
#include <string>

namespace ocx::sim {

// The file's bytes; nothing when it cannot be read (missing, a folder, no
// permission). An empty file gives an empty text.
std::optional<std::string> readHostFile(const std::string& path);

}  // namespace ocx::sim
