// The simulated disk and the FileSystem service on it: folders and files
// by full path, read-only and locked files, the rights of a user without
// administrator rights below the Windows folder, and the failures Windows
// gives for each operation.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/sim/faults.h"
#include "platform/sim/file_content.h"

namespace ocx::sim {

struct DiskEntry {
  std::string path;  // spelled as when it was created
  bool directory = false;
  std::shared_ptr<const FileContent> content;  // files only
  bool readonly = false;
  bool locked = false;
};

struct DiskSettings {
  std::string cwd = "C:\\";
  std::optional<std::string> temp;
  // Below this folder a user without administrator rights may not change
  // files; nothing when the shell names no Windows folder.
  std::optional<std::string> windowsFolder;
  bool admin = true;
  // The program's own resource, recognised when its bytes are written.
  std::shared_ptr<const FileContent> payload;
};

class SimFileSystem final : public FileSystem {
 public:
  SimFileSystem(FaultList& faults, DiskSettings settings);

  // Loading a machine: folders and files, with every folder above them.
  void addDirectory(const std::string& fullPath);
  void addFile(const std::string& fullPath, std::shared_ptr<const FileContent> content, bool readonly, bool locked);

  // `path` resolved against the current folder; "" when it names no drive.
  [[nodiscard]] std::string resolve(const std::string& path) const;
  // The entry at a resolved path, or null.
  [[nodiscard]] const DiskEntry* entry(const std::string& fullPath) const;
  // Every plain file, sorted by path without regard to case.
  [[nodiscard]] std::vector<const DiskEntry*> plainFiles() const;

  bool findFirstFile(const std::string& pattern) override;
  std::string tempPath(std::uint32_t bufferChars) override;
  void deleteFile(const std::string& path) override;
  void renameFile(const std::string& from, const std::string& to) override;
  void copyFile(const std::string& from, const std::string& to) override;
  void writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
  std::uint64_t fileLength(const std::string& path) override;
  std::unique_ptr<HeldFile> holdFile(const std::string& path) override;

  // Another process overwrites the file with other bytes of the same length
  // (see overwritten()). A missing, empty, read-only, locked or held file is
  // left as it is, and so is a folder.
  void overwriteFromOutside(const std::string& path);

 private:
  class Held;

  // Whether the program holds the file or a file below the folder open.
  [[nodiscard]] bool heldAtOrBelow(const std::string& fullPath) const;
  [[nodiscard]] bool isDirectory(const std::string& fullPath) const;
  [[nodiscard]] bool isProtected(const std::string& fullPath) const;
  // The resolved path of an existing file or folder; throws 3 or 2.
  std::string existing(const std::string& path) const;
  // Throws 3 unless the folder that would hold `fullPath` exists.
  void requireParent(const std::string& fullPath) const;
  [[noreturn]] static void fail(std::uint32_t code);
  void failOnFault(std::string_view op, std::initializer_list<std::string_view> paths);

  FaultList& faults_;
  DiskSettings settings_;
  std::optional<ContentFingerprint> payload_;
  std::map<std::string, DiskEntry> entries_;  // by pathKey
  std::map<std::string, int> holds_;          // open handles by pathKey
};

}  // namespace ocx::sim
