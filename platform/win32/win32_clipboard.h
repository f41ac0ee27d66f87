// The clipboard of the window services: emptied, or given the program's
// plain text, by the window that owns it from then on.
#pragma once

#include <string>

#include "platform/win32/win32_support.h"

namespace ocx::win32 {

// Both throw PlatformError when the clipboard cannot be had or refuses.
void emptyClipboard(HWND owner);
// The text in the standard text format and as Unicode text.
void putClipboardText(HWND owner, const std::string& text);

}  // namespace ocx::win32
