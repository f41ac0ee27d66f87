// Registry operations, as the ANSI registry functions of Windows offer them.
//
// Every operation reports by its status (0 on success, the Win32 error code
// otherwise) and leaves its out-parameters untouched when it fails. Key paths
// and value names are UTF-8 here; the bindings convert them to the ANSI code
// page at the call. Value data comes back as the "A" call gives it, text in
// the ANSI code page with sizes counted in its bytes, so that a reader sees
// the sizes Windows reports; textFromAnsi turns such text into UTF-8.
//
// Both bindings answer alike:
// - A key or value that does not exist gives 2; names compare without
//   regard to case.
// - Views: a 32-bit process on a 64-bit Windows sees the Wow6432Node subtree
//   as HKEY_LOCAL_MACHINE\SOFTWARE unless the open asks for kWow64_64Key;
//   outside SOFTWARE both views are one tree, and on a 32-bit Windows the
//   flag does nothing. A handle does not remember its view: every open,
//   below a key too, names the view it wants.
// - Sizes are those of the "A" calls: a text value counts one code-page
//   byte per stored UTF-16 unit, its NUL only when one was stored.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <utility>

namespace ocx {

// The predefined root keys, with their handle values.
enum class RootKey : std::uint32_t {
  ClassesRoot = 0x80000000u,
  CurrentUser = 0x80000001u,
  LocalMachine = 0x80000002u,
  Users = 0x80000003u,
  CurrentConfig = 0x80000005u,
};

namespace reg_access {
inline constexpr std::uint32_t kQueryValue = 0x1;
inline constexpr std::uint32_t kEnumerateSubKeys = 0x8;
inline constexpr std::uint32_t kNotify = 0x10;
// Query, enumerate and notify: reading without asking for READ_CONTROL.
inline constexpr std::uint32_t kReadValues = 0x19;
// A view flag, not a right: open in the 64-bit view of a 64-bit Windows.
inline constexpr std::uint32_t kWow64_64Key = 0x100;
inline constexpr std::uint32_t kAllAccess = 0xF003F;

// Reading rights, in the 64-bit view when the system is 64-bit and that view
// is wanted; a 32-bit system has only the one view.
constexpr std::uint32_t forReading(bool is64BitSystem, bool want64BitView) {
  return is64BitSystem && want64BitView ? kReadValues | kWow64_64Key : kReadValues;
}
}  // namespace reg_access

namespace reg_type {
inline constexpr std::uint32_t kNone = 0;
inline constexpr std::uint32_t kSz = 1;
inline constexpr std::uint32_t kExpandSz = 2;
inline constexpr std::uint32_t kBinary = 3;
inline constexpr std::uint32_t kDword = 4;
inline constexpr std::uint32_t kDwordBigEndian = 5;
inline constexpr std::uint32_t kLink = 6;
inline constexpr std::uint32_t kMultiSz = 7;
inline constexpr std::uint32_t kResourceList = 8;
inline constexpr std::uint32_t kFullResourceDescriptor = 9;
inline constexpr std::uint32_t kResourceRequirementsList = 10;
inline constexpr std::uint32_t kQword = 11;
}  // namespace reg_type

using RegStatus = std::int32_t;
using RegHandle = std::uintptr_t;

class Registry {
 public:
  virtual ~Registry() = default;

  // RegOpenKeyExA(root, subKey, 0, sam, &key). `sam` carries the rights and,
  // when wanted, kWow64_64Key. On 0 `key` is open and must be closed; on any
  // other status nothing was opened and `key` is untouched.
  [[nodiscard]] virtual RegStatus openKey(RootKey root, const std::string& subKey, std::uint32_t sam,
                                          RegHandle& key) = 0;

  // Same, below an open key (the root of a deletion is such a key), in the
  // view that `sam` names, whatever view the parent was opened in.
  [[nodiscard]] virtual RegStatus openSubKey(RegHandle parent, const std::string& subKey, std::uint32_t sam,
                                             RegHandle& key) = 0;

  // RegQueryValueExA without a data buffer: on 0, `type` and `size` (bytes,
  // as the "A" call reports them after its code-page conversion).
  [[nodiscard]] virtual RegStatus queryValueInfo(RegHandle key, const std::string& name, std::uint32_t& type,
                                                 std::uint32_t& size) = 0;

  // RegQueryValueExA with a buffer. On 0, the data fills the first `size`
  // bytes of `buffer` and `type` is set. When the buffer is too small the
  // status is 234 and `size` tells the size needed; `buffer` is untouched.
  [[nodiscard]] virtual RegStatus queryValue(RegHandle key, const std::string& name, std::uint32_t& type,
                                             std::span<std::uint8_t> buffer, std::uint32_t& size) = 0;

  // RegCloseKey.
  virtual RegStatus closeKey(RegHandle key) = 0;

  // Text data of the ANSI code page, NULs included, as UTF-8.
  [[nodiscard]] virtual std::string textFromAnsi(std::span<const std::uint8_t> data) = 0;

  // SHDeleteKeyA(parent, child): the child with all its subkeys and values.
  // A child that does not exist gives 2 and changes nothing.
  [[nodiscard]] virtual RegStatus deleteKeyTree(RegHandle parent, const std::string& child) = 0;
};

// An open key that closes itself. Move-only.
class RegKey {
 public:
  RegKey() = default;
  RegKey(Registry& registry, RegHandle handle) : registry_(&registry), handle_(handle) {}
  RegKey(const RegKey&) = delete;
  RegKey& operator=(const RegKey&) = delete;
  RegKey(RegKey&& other) noexcept
      : registry_(std::exchange(other.registry_, nullptr)), handle_(std::exchange(other.handle_, 0)) {}
  RegKey& operator=(RegKey&& other) noexcept {
    if (this != &other) {
      close();
      registry_ = std::exchange(other.registry_, nullptr);
      handle_ = std::exchange(other.handle_, 0);
    }
    return *this;
  }
  ~RegKey() { close(); }

  // Opens root\subKey; on failure `this` stays closed and the status is returned.
  [[nodiscard]] RegStatus open(Registry& registry, RootKey root, const std::string& subKey, std::uint32_t sam) {
    close();
    RegHandle handle = 0;
    const RegStatus status = registry.openKey(root, subKey, sam, handle);
    if (status == 0) {
      registry_ = &registry;
      handle_ = handle;
    }
    return status;
  }

  [[nodiscard]] bool isOpen() const noexcept { return registry_ != nullptr; }
  [[nodiscard]] RegHandle get() const noexcept { return handle_; }

  void close() noexcept {
    if (registry_ != nullptr) {
      static_cast<void>(registry_->closeKey(handle_));
      registry_ = nullptr;
      handle_ = 0;
    }
  }

 private:
  Registry* registry_ = nullptr;
  RegHandle handle_ = 0;
};

}  // namespace ocx
