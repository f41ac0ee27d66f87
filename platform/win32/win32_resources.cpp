#include "platform/win32/win32_platform.h"

namespace ocx::win32 {

std::vector<std::uint8_t> Win32Resources::resourceBytes(const std::string& type, int id) {
  const HRSRC found = FindResourceA(module_, MAKEINTRESOURCEA(id), toAnsi(type).c_str());
  if (found == nullptr) {
    throwLastError();  // 1813 no such type, 1814 no such identifier
  }
  const DWORD size = SizeofResource(module_, found);
  const HGLOBAL loaded = LoadResource(module_, found);
  if (loaded == nullptr) {
    throwLastError();
  }
  // Resource memory belongs to the mapped module; there is nothing to free.
  const auto* bytes = static_cast<const std::uint8_t*>(LockResource(loaded));
  if (bytes == nullptr && size != 0) {
    throwLastError();
  }
  return std::vector<std::uint8_t>(bytes, bytes + size);
}

}  // namespace ocx::win32
