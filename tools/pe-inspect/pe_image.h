// A reader for 32-bit Windows executables (PE32): headers, imports, exports
// and the resource tree, enough to check what the cross-built program holds
// without running it. Every read is bounds-checked; a malformed file throws
// std::runtime_error.
#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ocx::inspect {

// Resource types and names: "#14" for a numeric identifier, the name itself
// otherwise (as "CUSTOM").
using ResourceKey = std::string;

struct Resource {
  ResourceKey type;
  ResourceKey name;
  std::uint16_t language = 0;
  std::span<const std::uint8_t> data;
};

struct Import {
  std::string dll;
  std::vector<std::string> functions;  // by name; ordinals as "#n"
};

class PeImage {
 public:
  explicit PeImage(std::vector<std::uint8_t> bytes);
  static PeImage load(const std::filesystem::path& path);

  [[nodiscard]] std::uint16_t machine() const { return machine_; }
  [[nodiscard]] std::uint16_t characteristics() const { return characteristics_; }
  [[nodiscard]] std::uint16_t optionalMagic() const { return magic_; }
  [[nodiscard]] std::uint16_t subsystem() const { return subsystem_; }
  // IMAGE_DLLCHARACTERISTICS_* of the optional header.
  [[nodiscard]] std::uint16_t dllCharacteristics() const { return dllCharacteristics_; }

  [[nodiscard]] std::vector<Import> imports() const;
  [[nodiscard]] std::vector<std::string> exportedNames() const;
  [[nodiscard]] std::vector<Resource> resources() const;

  // The first resource of that type and name (and language, when given).
  [[nodiscard]] std::optional<Resource> findResource(const ResourceKey& type, const ResourceKey& name,
                                                     std::optional<std::uint16_t> language = std::nullopt) const;

 private:
  struct Section {
    std::uint32_t virtualAddress;
    std::uint32_t virtualSize;
    std::uint32_t rawOffset;
    std::uint32_t rawSize;
  };
  struct Directory {
    std::uint32_t rva = 0;
    std::uint32_t size = 0;
  };

  [[nodiscard]] std::uint32_t offsetOf(std::uint32_t rva) const;
  [[nodiscard]] std::uint16_t u16(std::size_t offset) const;
  [[nodiscard]] std::uint32_t u32(std::size_t offset) const;
  [[nodiscard]] std::string cString(std::size_t offset) const;
  [[nodiscard]] ResourceKey resourceKey(std::uint32_t entryName, std::size_t resourceBase) const;

  std::vector<std::uint8_t> bytes_;
  std::uint16_t machine_ = 0;
  std::uint16_t characteristics_ = 0;
  std::uint16_t magic_ = 0;
  std::uint16_t subsystem_ = 0;
  std::uint16_t dllCharacteristics_ = 0;
  std::vector<Section> sections_;
  Directory exports_;
  Directory imports_;
  Directory resources_;
};

// One node of a version resource (VS_VERSIONINFO and its children).
struct VersionNode {
  std::u16string key;
  std::uint16_t type = 0;  // 1 text, 0 binary
  std::vector<std::uint8_t> value;
  std::vector<VersionNode> children;

  [[nodiscard]] const VersionNode* child(std::u16string_view name) const;
  // A text value without its terminating NUL.
  [[nodiscard]] std::u16string text() const;
};

[[nodiscard]] VersionNode parseVersionResource(std::span<const std::uint8_t> data);

}  // namespace ocx::inspect
