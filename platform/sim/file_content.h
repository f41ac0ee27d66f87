// What a simulated file holds. The bytes themselves are generated from the
// content's description when someone asks for them; what matters to the
// machine is the size, the version resource and the self-registration that
// travel with them. Files that are copies share one content.
#pragma once

#include <array>
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

namespace ocx::sim {

using FileVersion = std::array<std::uint16_t, 4>;

struct FileContent {
  std::uint64_t size = 0;
  std::optional<FileVersion> version;
  // Key paths (from the root's long name) the file's self-registration
  // creates; nothing when the file does not register itself.
  std::optional<std::vector<std::string>> registers;
  // Bumped each time another process overwrites the file in place with
  // other bytes of the same length (after 255 it starts again at 1).
  std::uint8_t overwrites = 0;
};

// The content's bytes: the same description gives the same bytes, and
// contents that differ in version give different bytes. An overwrite
// changes every byte, and so does the next one.
std::vector<std::uint8_t> generateBytes(const FileContent& content);

// The content that another process leaves when it overwrites `content`:
// same size and version information, other bytes, no self-registration.
FileContent overwritten(const FileContent& content);

// Recognises the bytes of one generated content without keeping them.
class ContentFingerprint {
 public:
  explicit ContentFingerprint(std::shared_ptr<const FileContent> content) : content_(std::move(content)) {}
  [[nodiscard]] bool matches(std::span<const std::uint8_t> bytes) const;
  [[nodiscard]] const std::shared_ptr<const FileContent>& content() const { return content_; }

 private:
  std::shared_ptr<const FileContent> content_;
  mutable std::optional<std::uint64_t> hash_;
};

}  // namespace ocx::sim
