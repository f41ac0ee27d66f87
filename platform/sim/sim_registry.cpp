#include "platform/sim/sim_registry.h"

#include <algorithm>

#include "platform/error.h"
#include "platform/sim/text_codec.h"

namespace ocx::sim {

namespace {

// KEY_READ and the two view flags: what a user without administrator rights
// may still ask for below the machine-wide roots.
constexpr std::uint32_t kUserAllowed = 0x20019 | 0x100 | 0x200;

std::string joinPath(const std::string& parent, const std::string& child) {
  if (parent.empty()) {
    return child;
  }
  if (child.empty()) {
    return parent;
  }
  return parent + '\\' + child;
}

std::string faultPath(RootKey root, const std::string& path) {
  return joinPath(std::string(rootLongName(root)), path);
}

std::optional<RootKey> predefinedRoot(RegHandle handle) {
  for (RootKey root : kAllRoots) {
    if (static_cast<RegHandle>(root) == handle) {
      return root;
    }
  }
  return std::nullopt;
}

// The bytes the "A" call hands out: text kinds one code-page byte per
// stored UTF-16 unit, everything else as stored.
std::vector<std::uint8_t> ansiData(const RegValue& value) {
  if (value.type != RegType::Sz && value.type != RegType::ExpandSz && value.type != RegType::MultiSz) {
    return value.data;
  }
  const std::string ansi = utf16ToAnsi(utf16FromBytes(value.data));
  return {ansi.begin(), ansi.end()};
}

}  // namespace

std::string SimRegistry::physicalPath(RootKey root, const std::string& path, bool view64) const {
  if (!is64_ || view64 || root != RootKey::LocalMachine) {
    return path;
  }
  // The 32-bit view of SOFTWARE is its Wow6432Node subtree.
  auto parts = splitKeyPath(path);
  if (parts.empty() || !equalsIgnoreCase(parts[0], "SOFTWARE")) {
    return path;
  }
  if (parts.size() >= 2 && equalsIgnoreCase(parts[1], "Wow6432Node")) {
    return path;
  }
  parts.insert(parts.begin() + 1, "Wow6432Node");
  std::string physical;
  for (const auto& part : parts) {
    physical = joinPath(physical, part);
  }
  return physical;
}

RegStatus SimRegistry::open(RootKey root, const std::string& path, std::uint32_t sam, RegView view, RegHandle& key) {
  if (const auto fault = faults_.take("reg_open", {faultPath(root, path)})) {
    return static_cast<RegStatus>(*fault);
  }
  auto node = store_.find(root, physicalPath(root, path, view64(view)));
  if (!node) {
    return win32_error::kFileNotFound;
  }
  if (refused(root) && (sam & ~kUserAllowed) != 0) {
    return win32_error::kAccessDenied;
  }
  const RegHandle handle = nextHandle_;
  nextHandle_ += 4;
  open_.emplace(handle, OpenKey{root, path, view, sam, std::move(node)});
  key = handle;
  return win32_error::kSuccess;
}

const SimRegistry::OpenKey* SimRegistry::lookup(RegHandle handle) {
  if (const auto root = predefinedRoot(handle)) {
    rootScratch_ = OpenKey{*root, "", RegView::Default, reg_access::kAllAccess, store_.root(*root)};
    return &rootScratch_;
  }
  const auto it = open_.find(handle);
  return it == open_.end() ? nullptr : &it->second;
}

RegStatus SimRegistry::openKey(RootKey root, const std::string& subKey, std::uint32_t sam, RegView view,
                               RegHandle& key) {
  if (!predefinedRoot(static_cast<RegHandle>(root))) {
    return win32_error::kInvalidHandle;
  }
  return open(root, throughAnsi(subKey), sam, view, key);
}

RegStatus SimRegistry::openSubKey(RegHandle parent, const std::string& subKey, std::uint32_t sam, RegHandle& key) {
  const OpenKey* open_key = lookup(parent);
  if (open_key == nullptr) {
    return win32_error::kInvalidHandle;
  }
  if (open_key->node->deleted()) {
    return win32_error::kKeyDeleted;
  }
  const RootKey root = open_key->root;
  return open(root, joinPath(open_key->path, throughAnsi(subKey)), sam, open_key->view, key);
}

RegStatus SimRegistry::readValue(RegHandle key, const std::string& name, RegType& type,
                                 std::vector<std::uint8_t>& data) {
  const OpenKey* open_key = lookup(key);
  if (open_key == nullptr) {
    return win32_error::kInvalidHandle;
  }
  if (const auto fault = faults_.take("reg_query", {faultPath(open_key->root, open_key->path)})) {
    return static_cast<RegStatus>(*fault);
  }
  if (open_key->node->deleted()) {
    return win32_error::kKeyDeleted;
  }
  if ((open_key->sam & reg_access::kQueryValue) == 0) {
    return win32_error::kAccessDenied;
  }
  const RegValue* value = open_key->node->value(throughAnsi(name));
  if (value == nullptr) {
    return win32_error::kFileNotFound;
  }
  type = value->type;
  data = ansiData(*value);
  return win32_error::kSuccess;
}

RegStatus SimRegistry::queryValueInfo(RegHandle key, const std::string& name, RegType& type, std::uint32_t& size) {
  RegType found_type = RegType::None;
  std::vector<std::uint8_t> data;
  const RegStatus status = readValue(key, name, found_type, data);
  if (status == win32_error::kSuccess) {
    type = found_type;
    size = static_cast<std::uint32_t>(data.size());
  }
  return status;
}

RegStatus SimRegistry::queryValue(RegHandle key, const std::string& name, RegType& type, std::span<std::uint8_t> buffer,
                                  std::uint32_t& size) {
  RegType found_type = RegType::None;
  std::vector<std::uint8_t> data;
  const RegStatus status = readValue(key, name, found_type, data);
  if (status != win32_error::kSuccess) {
    return status;
  }
  size = static_cast<std::uint32_t>(data.size());
  if (data.size() > buffer.size()) {
    return win32_error::kMoreData;
  }
  std::copy(data.begin(), data.end(), buffer.begin());
  type = found_type;
  return win32_error::kSuccess;
}

RegStatus SimRegistry::closeKey(RegHandle key) {
  if (predefinedRoot(key)) {
    return win32_error::kSuccess;
  }
  return static_cast<RegStatus>(open_.erase(key) == 1 ? win32_error::kSuccess : win32_error::kInvalidHandle);
}

std::string SimRegistry::textFromAnsi(std::span<const std::uint8_t> data) {
  return ansiToUtf8(std::string_view(reinterpret_cast<const char*>(data.data()), data.size()));
}

RegStatus SimRegistry::deleteKeyTree(RegHandle parent, const std::string& child) {
  const OpenKey* open_key = lookup(parent);
  if (open_key == nullptr) {
    return win32_error::kInvalidHandle;
  }
  const std::string childPath = throughAnsi(child);
  if (childPath.empty()) {
    return win32_error::kInvalidParameter;
  }
  const RootKey root = open_key->root;
  const std::string path = joinPath(open_key->path, childPath);
  if (const auto fault = faults_.take("reg_delete", {faultPath(root, path)})) {
    return static_cast<RegStatus>(*fault);
  }
  if (open_key->node->deleted()) {
    return win32_error::kKeyDeleted;
  }
  const std::string physical = physicalPath(root, path, view64(open_key->view));
  if (!store_.find(root, physical)) {
    return win32_error::kFileNotFound;
  }
  if (refused(root)) {
    return win32_error::kAccessDenied;
  }
  store_.remove(root, physical);
  return win32_error::kSuccess;
}

}  // namespace ocx::sim
