// Shell special folders by CSIDL.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

namespace ocx {

using WindowHandle = std::uintptr_t;

namespace csidl {
inline constexpr std::int32_t kWindows = 36;
inline constexpr std::int32_t kSystem = 37;
}  // namespace csidl

class ShellFolders {
 public:
  virtual ~ShellFolders() = default;

  // GetActiveWindow: the calling thread's active window, 0 for none.
  [[nodiscard]] virtual WindowHandle activeWindow() = 0;

  // SHGetSpecialFolderLocation, SHGetPathFromIDListA into a 260-character
  // buffer, CoTaskMemFree of the list: the folder's file-system path as the
  // shell writes it (cut at its NUL), or nothing when the shell rejects the
  // identifier or the folder has no path.
  [[nodiscard]] virtual std::optional<std::string> specialFolderPath(WindowHandle owner, std::int32_t csidl) = 0;
};

}  // namespace ocx
