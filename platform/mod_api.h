// modAPI: the shell-folder lookup and the two small text operations the fix
// operations build their paths with. None of them hands a failure to its
// caller; a folder that cannot be found is the empty text.
#pragma once

#include <cstdint>
#include <string>

#include "platform/shell_folders.h"

namespace ocx::modAPI {

// The file-system path of a shell special folder (CSIDL), as the shell
// writes it, or the empty text when the shell rejects the identifier, the
// folder has no path, or anything else fails. An owner of 0 stands for the
// calling thread's active window.
[[nodiscard]] std::string GetSpecialFolderPath(ShellFolders& shell, std::int32_t folderId, WindowHandle owner = 0);

// The characters before the first NUL: system calls fill fixed buffers and
// leave the rest as it was.
[[nodiscard]] std::string CutAtNull(const std::string& text);

// The text trimmed of spaces (tabs stay) with one backslash appended unless
// it already ends in one; the empty text stays empty, so that a missing
// folder turns a path into a relative one rather than into "\file".
[[nodiscard]] std::string AddBackslash(const std::string& text);

}  // namespace ocx::modAPI
