#include "platform/sim/host_file.h"

#include <filesystem>
#include <fstream>
#include <iterator>

namespace ocx::sim {

std::optional<std::string> readHostFile(const std::string& path) {
  std::error_code error;
  if (std::filesystem::is_directory(path, error)) {
    return std::nullopt;
  }
  std::ifstream in(path, std::ios::binary);
  if (!in.is_open()) {
    return std::nullopt;
  }
  std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (in.bad()) {
    return std::nullopt;
  }
  return bytes;
}

}  // namespace ocx::sim
