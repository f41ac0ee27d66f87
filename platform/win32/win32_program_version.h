// The program's version numbers, read back from the version record that
// the build puts into the module.
#pragma once

#include "platform/win32/win32_support.h"
#include "platform/window.h"

namespace ocx::win32 {

// Throws PlatformError when the module's file or its record cannot be read.
[[nodiscard]] ProgramVersion programVersionOf(HINSTANCE module);

}  // namespace ocx::win32
