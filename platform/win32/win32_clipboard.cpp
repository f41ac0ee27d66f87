#include "platform/win32/win32_clipboard.h"

#include <cstring>

#include "platform/win32/win32_support.h"

namespace ocx::win32 {
namespace {

// Movable global memory holding `bytes`, owned until the clipboard takes it.
struct ClipboardData {
  HGLOBAL memory;
  ClipboardData(const void* data, std::size_t bytes) : memory(GlobalAlloc(GMEM_MOVEABLE, bytes)) {
    if (memory == nullptr) {
      throwLastError();
    }
    void* target = GlobalLock(memory);
    if (target == nullptr) {
      const DWORD error = GetLastError();
      GlobalFree(memory);
      throwError(error);
    }
    std::memcpy(target, data, bytes);
    GlobalUnlock(memory);
  }
  ClipboardData(const ClipboardData&) = delete;
  ClipboardData& operator=(const ClipboardData&) = delete;
  ~ClipboardData() {
    if (memory != nullptr) {
      GlobalFree(memory);
    }
  }
  // Hands the memory to the clipboard, which owns it from then on.
  [[nodiscard]] bool placeAs(UINT format) {
    if (SetClipboardData(format, memory) == nullptr) {
      return false;
    }
    memory = nullptr;
    return true;
  }
};

void openClipboard(HWND owner) {
  // Another program may hold the clipboard for a moment; a busy machine
  // can make that moment long.
  for (int attempt = 0; attempt < 100; ++attempt) {
    if (OpenClipboard(owner)) {
      return;
    }
    Sleep(20);
  }
  throwLastError();
}

}  // namespace

void emptyClipboard(HWND owner) {
  openClipboard(owner);
  const BOOL emptied = EmptyClipboard();
  const DWORD error = GetLastError();
  CloseClipboard();
  if (!emptied) {
    throwError(error);
  }
}

void putClipboardText(HWND owner, const std::string& text) {
  // The standard text format holds the ANSI text as the program's other "A"
  // calls see it, whatever keyboard layout the user has; the Unicode form
  // keeps what the code page lacks for readers that ask for it.
  const std::string ansi = toAnsi(text);
  const std::wstring wide = widen(text);
  ClipboardData ansiData(ansi.c_str(), ansi.size() + 1);
  ClipboardData wideData(wide.c_str(), (wide.size() + 1) * sizeof(wchar_t));

  // The clipboard's owner must be this window for the data to stay.
  openClipboard(owner);
  EmptyClipboard();
  const bool placed = ansiData.placeAs(CF_TEXT) && wideData.placeAs(CF_UNICODETEXT);
  const DWORD error = GetLastError();
  CloseClipboard();
  if (!placed) {
    throwError(error);
  }
}

}  // namespace ocx::win32
