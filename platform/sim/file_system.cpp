#include "platform/sim/file_system.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/sim/machine.h"
#include "platform/sim/text_codec.h"
#include "platform/sim/win_path.h"

namespace ocx::sim {

using namespace win32_error;

SimFileSystem::SimFileSystem(FaultList& faults, DiskSettings settings)
    : faults_(faults), settings_(std::move(settings)) {
  if (settings_.payload) {
    payload_.emplace(settings_.payload);
  }
  addDirectory(settings_.cwd);
}

void SimFileSystem::addDirectory(const std::string& fullPath) {
  std::string path = fullPath;
  while (!path.empty() && !isDriveRoot(path)) {
    const std::string key = pathKey(path);
    entries_.try_emplace(key, DiskEntry{path, true, nullptr, false, false});
    path = parentPath(path);
  }
  if (!path.empty()) {
    entries_.emplace(pathKey(path), DiskEntry{path, true, nullptr, false, false});
  }
}

void SimFileSystem::addFile(const std::string& fullPath, std::shared_ptr<const FileContent> content, bool readonly,
                            bool locked) {
  addDirectory(parentPath(fullPath));
  entries_[pathKey(fullPath)] = DiskEntry{fullPath, false, std::move(content), readonly, locked};
}

std::string SimFileSystem::resolve(const std::string& path) const {
  return resolveWinPath(path, settings_.cwd).value_or("");
}

const DiskEntry* SimFileSystem::entry(const std::string& fullPath) const {
  const auto it = entries_.find(pathKey(fullPath));
  return it == entries_.end() ? nullptr : &it->second;
}

std::vector<const DiskEntry*> SimFileSystem::plainFiles() const {
  std::vector<const DiskEntry*> files;
  for (const auto& [key, e] : entries_) {
    if (!e.directory) {
      files.push_back(&e);
    }
  }
  std::sort(files.begin(), files.end(),
            [](const DiskEntry* a, const DiskEntry* b) { return compareIgnoreCase(a->path, b->path) < 0; });
  return files;
}

bool SimFileSystem::isDirectory(const std::string& fullPath) const {
  const DiskEntry* e = entry(fullPath);
  return e != nullptr && e->directory;
}

bool SimFileSystem::isProtected(const std::string& fullPath) const {
  return !settings_.admin && settings_.windowsFolder && isAtOrBelow(fullPath, *settings_.windowsFolder);
}

void SimFileSystem::fail(std::uint32_t code) {
  throw PlatformError(code, systemErrorText(code));
}

void SimFileSystem::failOnFault(std::string_view op, std::initializer_list<std::string_view> paths) {
  if (const auto fault = faults_.take(op, paths)) {
    fail(*fault);
  }
}

void SimFileSystem::requireParent(const std::string& fullPath) const {
  if (fullPath.empty() || isDriveRoot(fullPath) || !isDirectory(parentPath(fullPath))) {
    fail(kPathNotFound);
  }
}

std::string SimFileSystem::existing(const std::string& fullPath) const {
  requireParent(fullPath);
  if (entry(fullPath) == nullptr) {
    fail(kFileNotFound);
  }
  return fullPath;
}

bool SimFileSystem::findFirstFile(const std::string& pattern) {
  const std::string full = resolve(pattern);
  if (faults_.take("find", {full})) {
    return false;
  }
  // A search for a folder name with a trailing separator, or for a drive
  // root, finds nothing on Windows.
  if (full.empty() || pattern.ends_with('\\') || pattern.ends_with('/') || isDriveRoot(full)) {
    return false;
  }
  const std::string leaf = leafName(full);
  if (!hasWildcards(leaf)) {
    return entry(full) != nullptr;
  }
  const std::string folder = parentPath(full);
  if (!isDirectory(folder)) {
    return false;
  }
  // Every folder but a drive root lists "." and "..".
  if (!isDriveRoot(folder) && (wildcardMatch(leaf, ".") || wildcardMatch(leaf, ".."))) {
    return true;
  }
  const std::string folderKey = pathKey(folder);
  return std::any_of(entries_.begin(), entries_.end(), [&](const auto& item) {
    return pathKey(parentPath(item.second.path)) == folderKey && wildcardMatch(leaf, leafName(item.second.path));
  });
}

std::string SimFileSystem::tempPath(std::uint32_t bufferChars) {
  failOnFault("temp_path", {settings_.temp.value_or("")});
  if (!settings_.temp) {
    fail(kPathNotFound);
  }
  const std::string ansi = utf8ToAnsi(*settings_.temp);
  return ansi.size() < bufferChars ? ansiToUtf8(ansi) : std::string();
}

void SimFileSystem::deleteFile(const std::string& path) {
  const std::string full = resolve(path);
  failOnFault("delete", {full});
  const DiskEntry& e = *entry(existing(full));
  if (e.directory || isProtected(full) || e.readonly) {
    fail(kAccessDenied);
  }
  if (e.locked || heldAtOrBelow(full)) {
    fail(kSharingViolation);
  }
  entries_.erase(pathKey(full));
}

void SimFileSystem::renameFile(const std::string& from, const std::string& to) {
  const std::string source = resolve(from);
  const std::string target = resolve(to);
  failOnFault("rename", {source, target});
  const DiskEntry moving = *entry(existing(source));
  if (isProtected(source)) {
    fail(kAccessDenied);
  }
  if (moving.locked || heldAtOrBelow(source)) {
    fail(kSharingViolation);
  }
  requireParent(target);
  const bool sameEntry = pathKey(source) == pathKey(target);
  if (!sameEntry && entry(target) != nullptr) {
    fail(kAlreadyExists);
  }
  if (isProtected(target)) {
    fail(kAccessDenied);
  }
  if (moving.directory && isAtOrBelow(target, source) && !sameEntry) {
    fail(kSharingViolation);
  }
  // A folder takes everything below it along.
  const std::string sourceKey = pathKey(source);
  std::vector<DiskEntry> moved;
  for (auto it = entries_.begin(); it != entries_.end();) {
    if (it->first == sourceKey || (moving.directory && isAtOrBelow(it->second.path, source))) {
      DiskEntry e = it->second;
      e.path = target + e.path.substr(source.size());
      moved.push_back(std::move(e));
      it = entries_.erase(it);
    } else {
      ++it;
    }
  }
  for (auto& e : moved) {
    const std::string key = pathKey(e.path);
    entries_[key] = std::move(e);
  }
}

void SimFileSystem::copyFile(const std::string& from, const std::string& to) {
  const std::string source = resolve(from);
  const std::string target = resolve(to);
  failOnFault("copy", {source, target});
  const DiskEntry copied = *entry(existing(source));
  if (copied.directory) {
    fail(kAccessDenied);
  }
  if (copied.locked) {
    fail(kSharingViolation);
  }
  requireParent(target);
  const DiskEntry* old = entry(target);
  if (old != nullptr && pathKey(source) == pathKey(target)) {
    fail(kSharingViolation);
  }
  if (isProtected(target) || (old != nullptr && (old->directory || old->readonly))) {
    fail(kAccessDenied);
  }
  if (old != nullptr && (old->locked || heldAtOrBelow(target))) {
    fail(kSharingViolation);
  }
  // The copy keeps the attributes of its source, the name of a file it
  // replaces.
  const std::string spelling = old != nullptr ? old->path : target;
  entries_[pathKey(target)] = DiskEntry{spelling, false, copied.content, copied.readonly, false};
}

void SimFileSystem::writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  const std::string full = resolve(path);
  failOnFault("write", {full});
  requireParent(full);
  const DiskEntry* old = entry(full);
  if (isProtected(full) || (old != nullptr && (old->directory || old->readonly))) {
    fail(kAccessDenied);
  }
  if (old != nullptr && (old->locked || heldAtOrBelow(full))) {
    fail(kSharingViolation);
  }
  std::shared_ptr<const FileContent> content;
  if (payload_ && payload_->matches(bytes)) {
    content = payload_->content();
  } else {
    content = std::make_shared<FileContent>(FileContent{bytes.size(), std::nullopt, std::nullopt});
  }
  const std::string spelling = old != nullptr ? old->path : full;
  entries_[pathKey(full)] = DiskEntry{spelling, false, std::move(content), false, false};
}

std::uint64_t SimFileSystem::fileLength(const std::string& path) {
  const std::string full = resolve(path);
  failOnFault("length", {full});
  const DiskEntry& e = *entry(existing(full));
  return e.directory ? 0 : e.content->size;
}

// The source stays held, so nothing can have changed it since it was read:
// copying it is copying what was read. A locked source still refuses the
// copy, as the machine's other copies do.
class SimFileSystem::Held final : public HeldFile {
 public:
  Held(SimFileSystem& disk, std::string fullPath, std::vector<std::uint8_t> bytes)
      : disk_(disk), path_(std::move(fullPath)), bytes_(std::move(bytes)) {
    ++disk_.holds_[pathKey(path_)];
  }
  Held(const Held&) = delete;
  Held& operator=(const Held&) = delete;
  ~Held() override {
    const auto it = disk_.holds_.find(pathKey(path_));
    if (--it->second == 0) {
      disk_.holds_.erase(it);
    }
  }

  const std::vector<std::uint8_t>& bytes() const override { return bytes_; }
  void copyTo(const std::string& to) override { disk_.copyFile(path_, to); }

 private:
  SimFileSystem& disk_;
  std::string path_;
  std::vector<std::uint8_t> bytes_;
};

std::unique_ptr<HeldFile> SimFileSystem::holdFile(const std::string& path) {
  const std::string full = resolve(path);
  const DiskEntry& e = *entry(existing(full));
  if (e.directory) {
    fail(kAccessDenied);
  }
  return std::make_unique<Held>(*this, full, generateBytes(*e.content));
}

bool SimFileSystem::heldAtOrBelow(const std::string& fullPath) const {
  return std::any_of(holds_.begin(), holds_.end(), [&](const auto& item) { return isAtOrBelow(item.first, fullPath); });
}

void SimFileSystem::overwriteFromOutside(const std::string& path) {
  const std::string full = resolve(path);
  const auto it = full.empty() ? entries_.end() : entries_.find(pathKey(full));
  if (it == entries_.end()) {
    return;
  }
  DiskEntry& e = it->second;
  if (e.directory || e.readonly || e.locked || e.content->size == 0 || heldAtOrBelow(full)) {
    return;
  }
  e.content = std::make_shared<FileContent>(overwritten(*e.content));
}

}  // namespace ocx::sim
