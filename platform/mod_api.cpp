#include "platform/mod_api.h"

#include "platform/error.h"

namespace ocx::modAPI {

std::string GetSpecialFolderPath(ShellFolders& shell, std::int32_t folderId, WindowHandle owner) {
  std::string path;
  try {
    if (owner == 0) {
      owner = shell.activeWindow();
    }
  } catch (const PlatformError&) {
    // Without an active window the shell is asked without an owner.
  }
  try {
    if (const auto found = shell.specialFolderPath(owner, folderId)) {
      path = CutAtNull(*found);
    }
  } catch (const PlatformError&) {
    path.clear();
  }
  return path;
}

std::string CutAtNull(const std::string& text) {
  return text.substr(0, text.find('\0'));
}

std::string AddBackslash(const std::string& text) {
  const auto first = text.find_first_not_of(' ');
  if (first == std::string::npos) {
    return {};
  }
  std::string trimmed = text.substr(first, text.find_last_not_of(' ') - first + 1);
  if (trimmed.back() != '\\') {
    trimmed += '\\';
  }
  return trimmed;
}

}  // namespace ocx::modAPI
