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
#include <vector>

#include "platform/registry.h"

namespace ocx::sim {

struct RegValue {
  std::string name;  // "" is the default value
  std::uint32_t type = reg_type::kNone;
  std::vector<std::uint8_t> data;
};

struct RegKeyNode {
  std::string name;
  RegKeyNode* parent = nullptr;
  // Set when the key is deleted while a handle still holds it.
  bool deleted = false;
  std::vector<RegValue> values;
  std::vector<std::shared_ptr<RegKeyNode>> children;

  [[nodiscard]] std::shared_ptr<RegKeyNode> child(std::string_view name) const;
  [[nodiscard]] const RegValue* value(std::string_view name) const;
  // Replaces the data of a value that exists, keeping its place.
  void setValue(std::string_view name, std::uint32_t type, std::vector<std::uint8_t> data);
  void removeValue(std::string_view name);
  // Children ordered by name without regard to case, as regedit lists them.
  [[nodiscard]] std::vector<const RegKeyNode*> sortedChildren() const;
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
