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
//   as HKEY_LOCAL_MACHINE\SOFTWARE unless the open asks for
//   RegView::Wow64_64; outside SOFTWARE both views are one tree, and on a
//   32-bit Windows there is only the one. An open key keeps the view it was
//   opened in, and every key opened below it is in that view: Windows wants
//   the same view for every open along a path, so a child cannot name
//   another.
// - Sizes are those of the "A" calls: a text value counts one code-page
//   byte per stored UTF-16 unit, its NUL only when one was stored.
#pragma once

#include <concepts>
#include <cstdint>
#include <iosfwd>
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
inline constexpr std::uint32_t kAllAccess = 0xF003F;
}  // namespace reg_access

// Which of a 64-bit Windows' two registries an open sees below
// HKEY_LOCAL_MACHINE\SOFTWARE.
enum class RegView : std::uint8_t {
  Default,   // the process's own: for this 32-bit program the 32-bit view
  Wow64_64,  // the 64-bit view, KEY_WOW64_64KEY
};

// The 64-bit view when the system is 64-bit and that view is wanted; a
// 32-bit system has only the one view, and is not asked for another.
constexpr RegView viewFor(bool is64BitSystem, bool want64BitView) {
  return is64BitSystem && want64BitView ? RegView::Wow64_64 : RegView::Default;
}

// The type of a registry value, REG_NONE to REG_QWORD. A value may carry
// any other 32-bit number as its type; that number is kept as it is.
enum class RegType : std::uint32_t {
  None = 0,
  Sz = 1,
  ExpandSz = 2,
  Binary = 3,
  Dword = 4,
  DwordBigEndian = 5,
  Link = 6,
  MultiSz = 7,
  ResourceList = 8,
  FullResourceDescriptor = 9,
  ResourceRequirementsList = 10,
  Qword = 11,
};

// A failed test shows a type by its number.
void PrintTo(RegType type, std::ostream* out);

// What a registry call returns: 0 or a Win32 error number, and used as that
// number. A type of its own so that a failed test can name it.
class RegStatus {
 public:
  constexpr RegStatus() noexcept = default;
  // From any integer type: Windows hands out the same numbers as LONG and
  // as DWORD.
  template <std::integral Number>
  constexpr RegStatus(Number number) noexcept : number_(static_cast<std::int32_t>(number)) {}
  constexpr operator std::int32_t() const noexcept { return number_; }

  // "2 (ERROR_FILE_NOT_FOUND)", the number alone when it has no name.
  friend void PrintTo(RegStatus status, std::ostream* out);

 private:
  std::int32_t number_ = 0;
};

using RegHandle = std::uintptr_t;

class Registry {
 public:
  virtual ~Registry() = default;

  // RegOpenKeyExA(root, subKey, 0, sam, &key), with KEY_WOW64_64KEY added
  // for RegView::Wow64_64. `sam` carries the rights alone. On 0 `key` is
  // open and must be closed; on any other status nothing was opened and
  // `key` is untouched.
  [[nodiscard]] virtual RegStatus openKey(RootKey root, const std::string& subKey, std::uint32_t sam, RegView view,
                                          RegHandle& key) = 0;

  // Same, below an open key (the root of a deletion is such a key), in the
  // view the parent was opened in; below a predefined root, RegView::Default.
  [[nodiscard]] virtual RegStatus openSubKey(RegHandle parent, const std::string& subKey, std::uint32_t sam,
                                             RegHandle& key) = 0;

  // RegQueryValueExA without a data buffer: on 0, `type` and `size` (bytes,
  // as the "A" call reports them after its code-page conversion).
  [[nodiscard]] virtual RegStatus queryValueInfo(RegHandle key, const std::string& name, RegType& type,
                                                 std::uint32_t& size) = 0;

  // RegQueryValueExA with a buffer. On 0, the data fills the first `size`
  // bytes of `buffer` and `type` is set. When the buffer is too small the
  // status is 234 and `size` tells the size needed; `buffer` is untouched.
  [[nodiscard]] virtual RegStatus queryValue(RegHandle key, const std::string& name, RegType& type,
                                             std::span<std::uint8_t> buffer, std::uint32_t& size) = 0;

  // RegCloseKey.
  virtual RegStatus closeKey(RegHandle key) = 0;

  // Text data of the ANSI code page, NULs included, as UTF-8.
  [[nodiscard]] virtual std::string textFromAnsi(std::span<const std::uint8_t> data) = 0;

  // SHDeleteKeyA(parent, child): the child with all its subkeys and values.
  // A child that does not exist gives 2 and changes nothing. SHDeleteKeyA
  // takes no view of its own, so the program deletes only below keys of
  // RegView::Default, where both bindings agree.
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
  [[nodiscard]] RegStatus open(Registry& registry, RootKey root, const std::string& subKey, std::uint32_t sam,
                               RegView view) {
    close();
    RegHandle handle = 0;
    const RegStatus status = registry.openKey(root, subKey, sam, view, handle);
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
