#include "tools/pe-inspect/pe_image.h"

#include <algorithm>
#include <fstream>
#include <iterator>
#include <stdexcept>

namespace ocx::inspect {
namespace {

constexpr std::uint32_t kPeSignature = 0x00004550;  // "PE\0\0"
constexpr std::uint16_t kPe32Magic = 0x10b;
constexpr std::size_t kCoffHeaderSize = 20;
constexpr std::size_t kSectionHeaderSize = 40;
constexpr std::size_t kImportDescriptorSize = 20;
constexpr std::uint32_t kHighBit = 0x80000000u;
// Deeper than the three levels of type, name and language means a loop.
constexpr int kMaxResourceDepth = 3;

// An ordinal or a numeric resource identifier as the reader names it: "#14".
std::string numbered(std::uint32_t number) {
  std::string name = "#";
  name += std::to_string(number);
  return name;
}

[[noreturn]] void malformed(const std::string& what) {
  throw std::runtime_error("malformed PE image: " + what);
}

}  // namespace

PeImage PeImage::load(const std::filesystem::path& path) {
  std::ifstream in(path, std::ios::binary);
  if (!in) {
    throw std::runtime_error("cannot read " + path.string());
  }
  return PeImage(std::vector<std::uint8_t>(std::istreambuf_iterator<char>(in), {}));
}

PeImage::PeImage(std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes)) {
  if (bytes_.size() < 0x40 || bytes_[0] != 'M' || bytes_[1] != 'Z') {
    malformed("no MZ header");
  }
  const std::uint32_t pe = u32(0x3c);
  if (u32(pe) != kPeSignature) {
    malformed("no PE signature");
  }
  const std::size_t coff = pe + 4;
  machine_ = u16(coff);
  const std::uint16_t sectionCount = u16(coff + 2);
  const std::uint16_t optionalSize = u16(coff + 16);
  characteristics_ = u16(coff + 18);
  const std::size_t optional = coff + kCoffHeaderSize;
  magic_ = u16(optional);
  if (magic_ != kPe32Magic) {
    return;  // not a 32-bit image: nothing below is laid out as read here
  }
  subsystem_ = u16(optional + 68);
  dllCharacteristics_ = u16(optional + 70);
  const std::uint32_t directoryCount = u32(optional + 92);
  const auto directory = [&](std::uint32_t index) {
    const std::size_t entry = optional + 96 + std::size_t{index} * 8;
    return index < directoryCount ? Directory{u32(entry), u32(entry + 4)} : Directory{};
  };
  exports_ = directory(0);
  imports_ = directory(1);
  resources_ = directory(2);

  const std::size_t table = optional + optionalSize;
  for (std::uint16_t i = 0; i < sectionCount; ++i) {
    const std::size_t s = table + i * kSectionHeaderSize;
    sections_.push_back({u32(s + 12), u32(s + 8), u32(s + 20), u32(s + 16)});
  }
}

std::uint16_t PeImage::u16(std::size_t offset) const {
  if (offset + 2 > bytes_.size()) {
    malformed("read past the end at " + std::to_string(offset));
  }
  return static_cast<std::uint16_t>(bytes_[offset] | bytes_[offset + 1] << 8);
}

std::uint32_t PeImage::u32(std::size_t offset) const {
  return u16(offset) | static_cast<std::uint32_t>(u16(offset + 2)) << 16;
}

std::string PeImage::cString(std::size_t offset) const {
  const auto start = bytes_.begin() + static_cast<std::ptrdiff_t>(std::min(offset, bytes_.size()));
  const auto end = std::find(start, bytes_.end(), std::uint8_t{0});
  if (end == bytes_.end()) {
    malformed("unterminated name at " + std::to_string(offset));
  }
  return std::string(start, end);
}

std::uint32_t PeImage::offsetOf(std::uint32_t rva) const {
  for (const Section& s : sections_) {
    const std::uint32_t extent = std::max(s.virtualSize, s.rawSize);
    if (rva >= s.virtualAddress && rva - s.virtualAddress < extent) {
      const std::uint32_t inSection = rva - s.virtualAddress;
      if (inSection >= s.rawSize) {
        malformed("address " + std::to_string(rva) + " has no bytes in the file");
      }
      return s.rawOffset + inSection;
    }
  }
  malformed("address " + std::to_string(rva) + " lies in no section");
}

std::vector<Import> PeImage::imports() const {
  std::vector<Import> result;
  if (imports_.rva == 0) {
    return result;
  }
  for (std::size_t d = offsetOf(imports_.rva);; d += kImportDescriptorSize) {
    const std::uint32_t lookup = u32(d);
    const std::uint32_t name = u32(d + 12);
    const std::uint32_t bound = u32(d + 16);
    if (name == 0 && lookup == 0 && bound == 0) {
      break;
    }
    Import import{cString(offsetOf(name)), {}};
    // Without a lookup table the import address table holds the same entries.
    for (std::size_t t = offsetOf(lookup != 0 ? lookup : bound);; t += 4) {
      const std::uint32_t thunk = u32(t);
      if (thunk == 0) {
        break;
      }
      import.functions.push_back((thunk & kHighBit) != 0 ? numbered(thunk & 0xffff) : cString(offsetOf(thunk) + 2));
    }
    result.push_back(std::move(import));
  }
  return result;
}

std::vector<std::string> PeImage::exportedNames() const {
  std::vector<std::string> names;
  if (exports_.rva == 0) {
    return names;
  }
  const std::size_t directory = offsetOf(exports_.rva);
  const std::uint32_t count = u32(directory + 24);
  const std::size_t table = offsetOf(u32(directory + 32));
  for (std::uint32_t i = 0; i < count; ++i) {
    names.push_back(cString(offsetOf(u32(table + std::size_t{i} * 4))));
  }
  return names;
}

ResourceKey PeImage::resourceKey(std::uint32_t entryName, std::size_t resourceBase) const {
  if ((entryName & kHighBit) == 0) {
    return numbered(entryName);
  }
  const std::size_t at = resourceBase + (entryName & ~kHighBit);
  const std::uint16_t length = u16(at);
  std::string name;
  for (std::uint16_t i = 0; i < length; ++i) {
    const std::uint16_t c = u16(at + 2 + std::size_t{i} * 2);
    name += c < 0x80 ? static_cast<char>(c) : '?';  // resource names here are ASCII
  }
  return name;
}

std::vector<Resource> PeImage::resources() const {
  std::vector<Resource> result;
  if (resources_.rva == 0) {
    return result;
  }
  const std::size_t base = offsetOf(resources_.rva);
  // Walks type, name, language; `path` holds the keys of the levels above.
  const auto walk = [&](auto&& self, std::size_t directory, int depth, std::vector<ResourceKey>& path) -> void {
    if (depth >= kMaxResourceDepth) {
      malformed("resource tree deeper than type, name and language");
    }
    const std::size_t count = static_cast<std::size_t>(u16(directory + 12)) + u16(directory + 14);
    for (std::size_t i = 0; i < count; ++i) {
      const std::size_t entry = directory + 16 + i * 8;
      const std::uint32_t name = u32(entry);
      const std::uint32_t target = u32(entry + 4);
      path.push_back(resourceKey(name, base));
      if ((target & kHighBit) != 0) {
        self(self, base + (target & ~kHighBit), depth + 1, path);
      } else if (depth == kMaxResourceDepth - 1) {
        const std::size_t data = base + target;
        const std::uint32_t at = offsetOf(u32(data));
        const std::uint32_t size = u32(data + 4);
        if (at + static_cast<std::size_t>(size) > bytes_.size()) {
          malformed("resource data past the end of the file");
        }
        result.push_back({path[0], path[1], static_cast<std::uint16_t>(name),
                          std::span<const std::uint8_t>(bytes_).subspan(at, size)});
      } else {
        malformed("resource data above the language level");
      }
      path.pop_back();
    }
  };
  std::vector<ResourceKey> path;
  walk(walk, base, 0, path);
  return result;
}

std::optional<Resource> PeImage::findResource(const ResourceKey& type, const ResourceKey& name,
                                              std::optional<std::uint16_t> language) const {
  for (const Resource& r : resources()) {
    if (r.type == type && r.name == name && (!language || r.language == *language)) {
      return r;
    }
  }
  return std::nullopt;
}

const VersionNode* VersionNode::child(std::u16string_view name) const {
  const auto it = std::ranges::find(children, name, &VersionNode::key);
  return it == children.end() ? nullptr : &*it;
}

std::u16string VersionNode::text() const {
  std::u16string result;
  for (std::size_t i = 0; i + 1 < value.size(); i += 2) {
    const char16_t c = static_cast<char16_t>(value[i] | value[i + 1] << 8);
    if (c == 0) {
      break;
    }
    result += c;
  }
  return result;
}

namespace {

std::size_t align4(std::size_t offset) {
  return (offset + 3) & ~std::size_t{3};
}

// Parses the node at `offset` of `data`, which must lie within [offset, end).
VersionNode parseNode(std::span<const std::uint8_t> data, std::size_t offset, std::size_t end) {
  const auto word = [&](std::size_t at) {
    if (at + 2 > end) {
      malformed("version node runs past its parent");
    }
    return static_cast<std::uint16_t>(data[at] | data[at + 1] << 8);
  };
  const std::size_t length = word(offset);
  const std::uint16_t valueLength = word(offset + 2);
  VersionNode node;
  node.type = word(offset + 4);
  if (length < 6 || offset + length > end) {
    malformed("version node length " + std::to_string(length));
  }
  const std::size_t nodeEnd = offset + length;
  std::size_t at = offset + 6;
  for (std::uint16_t c; (c = word(at)) != 0; at += 2) {
    node.key += static_cast<char16_t>(c);
  }
  at = align4(at + 2);
  // Text values count characters, binary values bytes.
  const std::size_t valueBytes = node.type == 1 ? valueLength * 2u : valueLength;
  if (at + valueBytes > nodeEnd) {
    malformed("version value runs past its node");
  }
  node.value.assign(data.begin() + static_cast<std::ptrdiff_t>(at),
                    data.begin() + static_cast<std::ptrdiff_t>(at + valueBytes));
  for (at = align4(at + valueBytes); at + 6 <= nodeEnd; at = align4(at + word(at))) {
    node.children.push_back(parseNode(data, at, nodeEnd));
  }
  return node;
}

}  // namespace

VersionNode parseVersionResource(std::span<const std::uint8_t> data) {
  return parseNode(data, 0, data.size());
}

}  // namespace ocx::inspect
