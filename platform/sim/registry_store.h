// The registry's keys and values as they are stored: five root trees, keys
// named without regard to case but keeping their spelling, values in the
// order they were created. Views and rights are the Registry service's
// business; this store knows only physical paths such as regedit shows.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "platform/registry.h"

namespace ocx::sim {

struct RegValue {
  std::string name;  // "" is the default value
  RegType type = RegType::None;
  std::vector<std::uint8_t> data;
};

// Where a key's subkeys or values are found by name once there are many of
// them: positions in the list by the hash of the folded name. Short lists
// are scanned instead, which costs less than keeping an index.
class NameIndex {
 public:
  static constexpr std::size_t kScanLimit = 8;

  // The positions whose name may be the one hashed; the caller compares.
  template <typename Visit>
  void candidates(std::uint64_t hash, Visit visit) const {
    const auto [first, last] = positions_.equal_range(hash);
    for (auto it = first; it != last; ++it) {
      if (visit(it->second)) {
        return;
      }
    }
  }
  void add(std::uint64_t hash, std::size_t position) { positions_.emplace(hash, position); }
  // The entry of `hash` at `from` moves to `to`, or goes when `to` is
  // nullopt.
  void move(std::uint64_t hash, std::size_t from, std::optional<std::size_t> to) {
    const auto [first, last] = positions_.equal_range(hash);
    for (auto it = first; it != last; ++it) {
      if (it->second == from) {
        if (to) {
          it->second = *to;
        } else {
          positions_.erase(it);
        }
        return;
      }
    }
  }

 private:
  std::unordered_multimap<std::uint64_t, std::size_t> positions_;
};

class RegKeyNode {
 public:
  RegKeyNode(std::string name, RegKeyNode* parent);

  // As it was spelled when the key was created.
  [[nodiscard]] const std::string& name() const { return name_; }
  // The name as it compares: folded once, when the key is created.
  [[nodiscard]] const std::u16string& folded() const { return folded_; }
  [[nodiscard]] RegKeyNode* parent() const { return parent_; }
  // Set when the key is deleted while a handle still holds it.
  [[nodiscard]] bool deleted() const { return deleted_; }
  // In the order they were created.
  [[nodiscard]] const std::vector<RegValue>& values() const { return values_; }

  [[nodiscard]] std::shared_ptr<RegKeyNode> child(std::string_view name) const;
  // The subkey of that name, created when missing.
  std::shared_ptr<RegKeyNode> childOrNew(std::string_view name);
  // Takes the subkey out of the tree and marks it and everything below it
  // deleted.
  void removeChild(const RegKeyNode& child);
  [[nodiscard]] const RegValue* value(std::string_view name) const;
  // Replaces the data of a value that exists, keeping its place.
  void setValue(std::string_view name, RegType type, std::vector<std::uint8_t> data);
  void removeValue(std::string_view name);
  // Children ordered by name without regard to case, as regedit lists them.
  [[nodiscard]] std::vector<const RegKeyNode*> sortedChildren() const;

 private:
  std::size_t childPosition(std::u16string_view folded, std::uint64_t hash) const;
  std::size_t valuePosition(std::string_view name, std::uint64_t hash) const;
  void markDeleted();

  std::string name_;
  std::u16string folded_;
  RegKeyNode* parent_;
  bool deleted_ = false;
  std::vector<RegValue> values_;
  std::vector<std::shared_ptr<RegKeyNode>> children_;
  // Built when a list outgrows a scan. The value index is dropped when a
  // removal shifts the values, which keep their order, and rebuilt on the
  // next look-up; subkeys have no order of their own, so a removal moves
  // the last one into the gap and the index follows.
  mutable std::unique_ptr<NameIndex> childIndex_;
  mutable std::unique_ptr<NameIndex> valueIndex_;
};

inline constexpr RootKey kAllRoots[] = {RootKey::ClassesRoot, RootKey::CurrentUser, RootKey::LocalMachine,
                                        RootKey::Users, RootKey::CurrentConfig};

// "HKEY_CLASSES_ROOT" and so on.
std::string_view rootLongName(RootKey root);
// The root of a long ("HKEY_LOCAL_MACHINE") or short ("HKLM") name.
std::optional<RootKey> rootFromName(std::string_view name);

// Key path components; empty components (doubled or outer backslashes) are
// skipped.
std::vector<std::string> splitKeyPath(std::string_view path);

class RegistryStore {
 public:
  RegistryStore();
  RegistryStore(RegistryStore&&) noexcept = default;
  RegistryStore& operator=(RegistryStore&&) noexcept = default;

  [[nodiscard]] std::shared_ptr<RegKeyNode> root(RootKey root) const;
  [[nodiscard]] std::shared_ptr<RegKeyNode> find(RootKey root, std::string_view path) const;
  // Creates the key and every missing key above it; an existing key keeps
  // its values and spelling.
  std::shared_ptr<RegKeyNode> create(RootKey root, std::string_view path);
  // Removes the key with everything below it; false when it does not exist.
  bool remove(RootKey root, std::string_view path);

  // A full path "HKEY_CLASSES_ROOT\TypeLib\..." split into root and the rest.
  static std::optional<std::pair<RootKey, std::string>> splitFullPath(std::string_view fullPath);

 private:
  std::vector<std::shared_ptr<RegKeyNode>> roots_;
};

}  // namespace ocx::sim
