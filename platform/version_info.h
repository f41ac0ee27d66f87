// A file's version resource, read as GetFileVersionInfoSizeA,
// GetFileVersionInfoA and VerQueryValueA(block, "\") offer it.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <vector>

namespace ocx {

// VS_FIXEDFILEINFO: thirteen unsigned 32-bit fields, 52 bytes.
struct FixedFileInfo {
  static constexpr std::uint32_t kSignature = 0xFEEF04BDu;
  std::uint32_t signature = 0;
  std::uint32_t strucVersion = 0;
  std::uint32_t fileVersionMS = 0;
  std::uint32_t fileVersionLS = 0;
  std::uint32_t productVersionMS = 0;
  std::uint32_t productVersionLS = 0;
  std::uint32_t fileFlagsMask = 0;
  std::uint32_t fileFlags = 0;
  std::uint32_t fileOS = 0;
  std::uint32_t fileType = 0;
  std::uint32_t fileSubtype = 0;
  std::uint32_t fileDateMS = 0;
  std::uint32_t fileDateLS = 0;
};
static_assert(sizeof(FixedFileInfo) == 52);

class VersionInfo {
 public:
  virtual ~VersionInfo() = default;

  // GetFileVersionInfoSizeA: the size of the version block, 0 when the file
  // has none or cannot be read.
  [[nodiscard]] virtual std::uint32_t fileVersionInfoSize(const std::string& path) = 0;

  // GetFileVersionInfoA(path, 0, size, block): false when it fails, and
  // `block` is then untouched.
  [[nodiscard]] virtual bool fileVersionInfo(const std::string& path, std::uint32_t size,
                                             std::vector<std::uint8_t>& block) = 0;

  // VerQueryValueA(block, "\"): the 52-byte record at the root of the block;
  // false when the block has none, and `info` is then untouched.
  [[nodiscard]] virtual bool queryRootBlock(const std::vector<std::uint8_t>& block, FixedFileInfo& info) = 0;
};

}  // namespace ocx
