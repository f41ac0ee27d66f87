#include "platform/sim/registry_store.h"

#include <algorithm>

#include "platform/sim/text_codec.h"

namespace ocx::sim {

namespace {

std::size_t rootIndex(RootKey root) {
  for (std::size_t i = 0; i < std::size(kAllRoots); ++i) {
    if (kAllRoots[i] == root) {
      return i;
    }
  }
  return 0;
}

constexpr std::size_t kMissing = static_cast<std::size_t>(-1);

}  // namespace

RegKeyNode::RegKeyNode(std::string name, RegKeyNode* parent)
    : name_(std::move(name)), folded_(foldedUtf16(name_)), parent_(parent) {}

std::size_t RegKeyNode::childPosition(std::u16string_view folded, std::uint64_t hash) const {
  if (children_.size() <= NameIndex::kScanLimit) {
    for (std::size_t i = 0; i < children_.size(); ++i) {
      if (children_[i]->folded_ == folded) {
        return i;
      }
    }
    return kMissing;
  }
  if (!childIndex_) {
    childIndex_ = std::make_unique<NameIndex>();
    for (std::size_t i = 0; i < children_.size(); ++i) {
      childIndex_->add(hashFolded(children_[i]->folded_), i);
    }
  }
  std::size_t found = kMissing;
  childIndex_->candidates(hash, [&](std::size_t i) {
    found = children_[i]->folded_ == folded ? i : kMissing;
    return found != kMissing;
  });
  return found;
}

std::size_t RegKeyNode::valuePosition(std::string_view valueName, std::uint64_t hash) const {
  if (values_.size() <= NameIndex::kScanLimit) {
    for (std::size_t i = 0; i < values_.size(); ++i) {
      if (equalsIgnoreCase(values_[i].name, valueName)) {
        return i;
      }
    }
    return kMissing;
  }
  if (!valueIndex_) {
    valueIndex_ = std::make_unique<NameIndex>();
    for (std::size_t i = 0; i < values_.size(); ++i) {
      valueIndex_->add(hashIgnoreCase(values_[i].name), i);
    }
  }
  std::size_t found = kMissing;
  valueIndex_->candidates(hash, [&](std::size_t i) {
    found = equalsIgnoreCase(values_[i].name, valueName) ? i : kMissing;
    return found != kMissing;
  });
  return found;
}

std::shared_ptr<RegKeyNode> RegKeyNode::child(std::string_view childName) const {
  const std::u16string folded = foldedUtf16(childName);
  const std::size_t i = childPosition(folded, hashFolded(folded));
  return i == kMissing ? nullptr : children_[i];
}

std::shared_ptr<RegKeyNode> RegKeyNode::childOrNew(std::string_view childName) {
  const std::u16string folded = foldedUtf16(childName);
  const std::uint64_t hash = hashFolded(folded);
  if (const std::size_t i = childPosition(folded, hash); i != kMissing) {
    return children_[i];
  }
  auto node = std::make_shared<RegKeyNode>(std::string(childName), this);
  if (childIndex_) {
    childIndex_->add(hash, children_.size());
  }
  children_.push_back(node);
  return node;
}

void RegKeyNode::markDeleted() {
  deleted_ = true;
  for (const auto& c : children_) {
    c->markDeleted();
  }
}

void RegKeyNode::removeChild(const RegKeyNode& gone) {
  const std::uint64_t hash = hashFolded(gone.folded_);
  const std::size_t i = childPosition(gone.folded_, hash);
  if (i == kMissing || children_[i].get() != &gone) {
    return;
  }
  children_[i]->markDeleted();
  children_[i]->parent_ = nullptr;
  const std::size_t last = children_.size() - 1;
  if (childIndex_) {
    childIndex_->move(hash, i, std::nullopt);
    if (i != last) {
      childIndex_->move(hashFolded(children_[last]->folded_), last, i);
    }
  }
  if (i != last) {
    children_[i] = std::move(children_[last]);
  }
  children_.pop_back();
}

const RegValue* RegKeyNode::value(std::string_view valueName) const {
  const std::size_t i = valuePosition(valueName, hashIgnoreCase(valueName));
  return i == kMissing ? nullptr : &values_[i];
}

void RegKeyNode::setValue(std::string_view valueName, RegType type, std::vector<std::uint8_t> data) {
  const std::uint64_t hash = hashIgnoreCase(valueName);
  if (const std::size_t i = valuePosition(valueName, hash); i != kMissing) {
    values_[i].type = type;
    values_[i].data = std::move(data);
    return;
  }
  if (valueIndex_) {
    valueIndex_->add(hash, values_.size());
  }
  values_.push_back(RegValue{std::string(valueName), type, std::move(data)});
}

void RegKeyNode::removeValue(std::string_view valueName) {
  const std::size_t i = valuePosition(valueName, hashIgnoreCase(valueName));
  if (i != kMissing) {
    values_.erase(values_.begin() + static_cast<std::ptrdiff_t>(i));
    valueIndex_.reset();
  }
}

std::vector<const RegKeyNode*> RegKeyNode::sortedChildren() const {
  std::vector<const RegKeyNode*> sorted;
  sorted.reserve(children_.size());
  for (const auto& c : children_) {
    sorted.push_back(c.get());
  }
  std::sort(sorted.begin(), sorted.end(),
            [](const RegKeyNode* a, const RegKeyNode* b) { return a->folded_ < b->folded_; });
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
    roots_.push_back(std::make_shared<RegKeyNode>(std::string(rootLongName(root)), nullptr));
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
    node = node->childOrNew(part);
  }
  return node;
}

// NOLINTNEXTLINE(readability-make-member-function-const): removes from the tree.
bool RegistryStore::remove(RootKey rootKey, std::string_view path) {
  const auto node = find(rootKey, path);
  if (!node || node->parent() == nullptr) {
    return false;
  }
  node->parent()->removeChild(*node);
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
