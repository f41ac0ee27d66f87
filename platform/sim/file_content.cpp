#include "platform/sim/file_content.h"

namespace ocx::sim {

namespace {

std::uint64_t fnv1a(std::span<const std::uint8_t> bytes) {
  std::uint64_t hash = 0xCBF29CE484222325ull;
  for (std::uint8_t byte : bytes) {
    hash = (hash ^ byte) * 0x100000001B3ull;
  }
  return hash;
}

}  // namespace

std::vector<std::uint8_t> generateBytes(const FileContent& content) {
  std::vector<std::uint8_t> bytes(content.size);
  std::uint64_t state = 0x9E3779B97F4A7C15ull ^ content.size;
  if (content.version) {
    for (std::uint16_t part : *content.version) {
      state = (state << 16 | state >> 48) ^ part;
    }
  }
  for (std::size_t i = 0; i < bytes.size(); ++i) {
    // xorshift64*: cheap and plenty for telling contents apart.
    state ^= state >> 12;
    state ^= state << 25;
    state ^= state >> 27;
    bytes[i] = static_cast<std::uint8_t>((state * 0x2545F4914F6CDD1Dull) >> 56);
  }
  // Every DLL starts so; it keeps hex dumps of simulated files familiar.
  if (bytes.size() >= 2) {
    bytes[0] = 'M';
    bytes[1] = 'Z';
  }
  // Overwrite n and n + 1 give each byte a different non-zero mask, so every
  // byte differs from the one before, whatever the size.
  if (content.overwrites != 0) {
    for (std::size_t i = 0; i < bytes.size(); ++i) {
      bytes[i] ^= static_cast<std::uint8_t>((content.overwrites - 1 + i) % 255 + 1);
    }
  }
  return bytes;
}

FileContent overwritten(const FileContent& content) {
  return {content.size, content.version, std::nullopt, static_cast<std::uint8_t>(content.overwrites % 255 + 1)};
}

bool ContentFingerprint::matches(std::span<const std::uint8_t> bytes) const {
  if (bytes.size() != content_->size) {
    return false;
  }
  if (!hash_) {
    hash_ = fnv1a(generateBytes(*content_));
  }
  return fnv1a(bytes) == *hash_;
}

}  // namespace ocx::sim
