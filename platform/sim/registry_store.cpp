#include "platform/sim/registry_store.h"

#include <algorithm>

#include "platform/sim/text_codec.h"

namespace ocx::sim {

namespace {

void markDeleted(RegKeyNode& node) {
  node.deleted = true;
  for (const auto& child : node.children) {
    markDeleted(*child);
  }
}

std::size_t rootIndex(RootKey root) {
  for (std::size_t i = 0; i < std::size(kAllRoots); ++i) {
    if (kAllRoots[i] == root) {
      return i;
    }
  }
  return 0;
}

}  // namespace

std::shared_ptr<RegKeyNode> RegKeyNode::child(std::string_view childName) const {
  for (const auto& c : children) {
    if (equalsIgnoreCase(c->name, childName)) {
      return c;
    }
  }
  return nullptr;
}

const RegValue* RegKeyNode::value(std::string_view valueName) const {
  for (const auto& v : values) {
    if (equalsIgnoreCase(v.name, valueName)) {
      return &v;
    }
  }
  return nullptr;
}

void RegKeyNode::setValue(std::string_view valueName, std::uint32_t type, std::vector<std::uint8_t> data) {
  for (auto& v : values) {
    if (equalsIgnoreCase(v.name, valueName)) {
      v.type = type;
      v.data = std::move(data);
      return;
    }
  }
  values.push_back(RegValue{std::string(valueName), type, std::move(data)});
}

void RegKeyNode::removeValue(std::string_view valueName) {
  std::erase_if(values, [&](const RegValue& v) { return equalsIgnoreCase(v.name, valueName); });
}

std::vector<const RegKeyNode*> RegKeyNode::sortedChildren() const {
  std::vector<std::pair<std::u16string, const RegKeyNode*>> keyed;
  keyed.reserve(children.size());
  for (const auto& c : children) {
    keyed.emplace_back(foldCase(utf8ToUtf16(c->name)), c.get());
  }
  std::sort(keyed.begin(), keyed.end(), [](const auto& a, const auto& b) { return a.first < b.first; });
  std::vector<const RegKeyNode*> sorted;
  sorted.reserve(keyed.size());
  for (const auto& entry : keyed) {
    sorted.push_back(entry.second);
  }
  return sorted;
}

std::string_view rootLongName(RootKey root) {
  switch (root) {
    case RootKey::ClassesRoot:
      return "HKEY_CLASSES_ROOT";
    case RootKey::CurrentUser:
      return "HKEY_CURRENT_USER";
    case RootKey::LocalMachine:
      return "HKEY_LOCAL_MACHINE";
    case RootKey::Users:
      return "HKEY_USERS";
    case RootKey::CurrentConfig:
      return "HKEY_CURRENT_CONFIG";
  }
  return "";
}

std::optional<RootKey> rootFromName(std::string_view name) {
  static constexpr std::pair<std::string_view, RootKey> kShort[] = {
      {"HKCR", RootKey::ClassesRoot}, {"HKCU", RootKey::CurrentUser},   {"HKLM", RootKey::LocalMachine},
      {"HKU", RootKey::Users},        {"HKCC", RootKey::CurrentConfig},
  };
  for (RootKey root : kAllRoots) {
    if (equalsIgnoreCase(rootLongName(root), name)) {
      return root;
    }
  }
  for (const auto& [shortName, root] : kShort) {
    if (equalsIgnoreCase(shortName, name)) {
      return root;
    }
  }
  return std::nullopt;
}

std::vector<std::string> splitKeyPath(std::string_view path) {
  std::vector<std::string> parts;
  std::size_t start = 0;
  while (start <= path.size()) {
    const std::size_t end = std::min(path.find('\\', start), path.size());
    if (end > start) {
      parts.emplace_back(path.substr(start, end - start));
    }
    start = end + 1;
  }
  return parts;
}

RegistryStore::RegistryStore() {
  for (RootKey root : kAllRoots) {
    auto node = std::make_shared<RegKeyNode>();
    node->name = std::string(rootLongName(root));
    roots_.push_back(std::move(node));
  }
}

std::shared_ptr<RegKeyNode> RegistryStore::root(RootKey root) const {
  return roots_[rootIndex(root)];
}

std::shared_ptr<RegKeyNode> RegistryStore::find(RootKey rootKey, std::string_view path) const {
  std::shared_ptr<RegKeyNode> node = root(rootKey);
  for (const auto& part : splitKeyPath(path)) {
    node = node->child(part);
    if (!node) {
      return nullptr;
    }
  }
  return node;
}

// The tree changes through the roots' pointers; a const store must not.
// NOLINTNEXTLINE(readability-make-member-function-const)
std::shared_ptr<RegKeyNode> RegistryStore::create(RootKey rootKey, std::string_view path) {
  std::shared_ptr<RegKeyNode> node = root(rootKey);
  for (const auto& part : splitKeyPath(path)) {
    auto next = node->child(part);
    if (!next) {
      next = std::make_shared<RegKeyNode>();
      next->name = part;
      next->parent = node.get();
      node->children.push_back(next);
    }
    node = std::move(next);
  }
  return node;
}

// NOLINTNEXTLINE(readability-make-member-function-const): removes from the tree.
bool RegistryStore::remove(RootKey rootKey, std::string_view path) {
  const auto node = find(rootKey, path);
  if (!node || node->parent == nullptr) {
    return false;
  }
  markDeleted(*node);
  std::erase_if(node->parent->children, [&](const auto& c) { return c == node; });
  node->parent = nullptr;
  return true;
}

std::optional<std::pair<RootKey, std::string>> RegistryStore::splitFullPath(std::string_view fullPath) {
  const std::size_t slash = fullPath.find('\\');
  const auto root = rootFromName(fullPath.substr(0, slash));
  if (!root) {
    return std::nullopt;
  }
  return std::pair{*root, slash == std::string_view::npos ? std::string() : std::string(fullPath.substr(slash + 1))};
}

}  // namespace ocx::sim
