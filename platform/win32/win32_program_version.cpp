#include "platform/win32/win32_program_version.h"

#include <optional>
#include <string>

#include "platform/win32/win32_platform.h"

namespace ocx::win32 {

ProgramVersion programVersionOf(HINSTANCE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (length == 0) {
      throwLastError();
    }
    if (length < path.size()) {
      path.resize(length);
      break;
    }
    path.resize(path.size() * 2);
  }
  const std::optional<FixedFileInfo> info = fixedFileInfoOf(path);
  if (!info) {
    throwError(ERROR_RESOURCE_TYPE_NOT_FOUND);
  }
  // Major and minor are the first two parts; the revision is the fourth.
  return {static_cast<int>(HIWORD(info->fileVersionMS)), static_cast<int>(LOWORD(info->fileVersionMS)),
          static_cast<int>(LOWORD(info->fileVersionLS))};
}

}  // namespace ocx::win32
