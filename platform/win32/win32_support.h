// The one header of the Windows binding that includes <windows.h>, and the
// small tools every binding file needs: text conversion at the API boundary,
// owning handles, Win32 errors as PlatformError, and system DLLs loaded from
// the system folder only.
//
// Text inside the program is UTF-8. It becomes UTF-16 for the "W" calls and
// the ANSI code page for the "A" calls right at the call, and comes back the
// same way.
#pragma once

#ifndef NOMINMAX
#define NOMINMAX
#endif
#ifndef WIN32_LEAN_AND_MEAN
#define WIN32_LEAN_AND_MEAN
#endif
// <windows.h> must come first: the others build on it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>
// clang-format on

#include <string>
#include <string_view>
#include <utility>

#include "platform/error.h"

namespace ocx::win32 {

// UTF-8 <-> UTF-16. Embedded NULs are kept.
[[nodiscard]] std::wstring widen(std::string_view utf8);
[[nodiscard]] std::string narrow(std::wstring_view wide);

// UTF-8 <-> the ANSI code page, as the "A" functions take and give text.
// Characters the code page lacks become its default character, as they would
// in the "A" call itself.
[[nodiscard]] std::string toAnsi(std::string_view utf8);
[[nodiscard]] std::string fromAnsi(std::string_view ansi);

// The system's description of a Win32 error code in the user's language,
// without the line break Windows ends it with; empty when it has none.
[[nodiscard]] std::string systemMessage(DWORD code);

// Handles and pointers that cross the contract or a message as integers
// turn back into what they are here, in one place.
template <typename Pointer, typename Integer>
[[nodiscard]] Pointer fromInteger(Integer value) noexcept {
  return reinterpret_cast<Pointer>(value);  // NOLINT(performance-no-int-to-ptr): handles are integers to Windows too
}

[[noreturn]] void throwError(DWORD code);
// GetLastError of the call that just failed.
[[noreturn]] void throwLastError();

// An owning handle; Traits says what is invalid and how to close.
template <typename Traits>
class ScopedHandle {
 public:
  using Handle = typename Traits::Handle;

  ScopedHandle() = default;
  explicit ScopedHandle(Handle handle) : handle_(handle) {}
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  ScopedHandle(ScopedHandle&& other) noexcept : handle_(std::exchange(other.handle_, Traits::invalid())) {}
  ScopedHandle& operator=(ScopedHandle&& other) noexcept {
    if (this != &other) {
      reset(std::exchange(other.handle_, Traits::invalid()));
    }
    return *this;
  }
  ~ScopedHandle() { reset(); }

  [[nodiscard]] Handle get() const noexcept { return handle_; }
  [[nodiscard]] bool valid() const noexcept { return Traits::isValid(handle_); }
  explicit operator bool() const noexcept { return valid(); }

  void reset(Handle handle = Traits::invalid()) noexcept {
    if (Traits::isValid(handle_)) {
      Traits::close(handle_);
    }
    handle_ = handle;
  }

 private:
  Handle handle_ = Traits::invalid();
};

struct KernelHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() noexcept { return nullptr; }
  // Some calls fail with NULL, others with INVALID_HANDLE_VALUE.
  static bool isValid(Handle h) noexcept { return h != nullptr && h != INVALID_HANDLE_VALUE; }
  static void close(Handle h) noexcept { CloseHandle(h); }
};

struct FindHandleTraits {
  using Handle = HANDLE;
  static Handle invalid() noexcept { return INVALID_HANDLE_VALUE; }
  static bool isValid(Handle h) noexcept { return h != INVALID_HANDLE_VALUE; }
  static void close(Handle h) noexcept { FindClose(h); }
};

struct ModuleTraits {
  using Handle = HMODULE;
  static Handle invalid() noexcept { return nullptr; }
  static bool isValid(Handle h) noexcept { return h != nullptr; }
  static void close(Handle h) noexcept { FreeLibrary(h); }
};

struct GdiObjectTraits {
  using Handle = HGDIOBJ;
  static Handle invalid() noexcept { return nullptr; }
  static bool isValid(Handle h) noexcept { return h != nullptr; }
  static void close(Handle h) noexcept { DeleteObject(h); }
};

using ScopedKernelHandle = ScopedHandle<KernelHandleTraits>;
using ScopedFindHandle = ScopedHandle<FindHandleTraits>;
using ScopedModule = ScopedHandle<ModuleTraits>;
using ScopedGdiObject = ScopedHandle<GdiObjectTraits>;

// The system folder (System32; SysWOW64's contents for a 32-bit process on
// 64-bit Windows, through file-system redirection), without a trailing
// backslash.
[[nodiscard]] std::wstring systemDirectory();

// A DLL of the system folder, loaded by its full path there so that neither
// it nor the DLLs it imports in turn can come from the program's folder or
// the current one: its imports are searched in the system folder only where
// Windows offers that (LOAD_LIBRARY_SEARCH_SYSTEM32), else from its own
// folder first. nullptr when it cannot be loaded.
[[nodiscard]] HMODULE loadSystemDll(const wchar_t* fileName) noexcept;

// Confines the DLL search of the whole process to the system folder where
// Windows can (SetDefaultDllDirectories: Windows 8 and later, 7 and Vista
// with their loader update). Elsewhere it can only take the current folder
// out of the search (SetDllDirectoryW, from XP SP1 on); the program's own
// folder then stays in it, and only the system DLLs loaded through
// loadSystemDll are safe from copies planted there.
void confineDllSearch() noexcept;

// What a window of ours needs before anything else runs: the DLL search
// confined, before any DLL not yet in memory loads, and the common
// controls' window classes registered.
void prepareForWindows() noexcept;

// A DLL that is not a KnownDLL, loaded through loadSystemDll. A DLL that
// fails to load leaves every function absent.
class SystemLibrary {
 public:
  explicit SystemLibrary(const wchar_t* fileName);

  [[nodiscard]] bool loaded() const noexcept { return module_.valid(); }

  // The exported function, nullptr when absent.
  template <typename Function>
  [[nodiscard]] Function function(const char* name) const noexcept {
    if (!module_) {
      return nullptr;
    }
    return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module_.get(), name)));
  }

 private:
  ScopedModule module_;
};

// A function of a system library that every process of ours has loaded
// (kernel32, user32) and that older Windows may lack: nullptr there. Such a
// library needs no handle of its own.
template <typename Function>
[[nodiscard]] Function loadedLibraryFunction(const wchar_t* library, const char* name) noexcept {
  const HMODULE module = GetModuleHandleW(library);
  if (module == nullptr) {
    return nullptr;
  }
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

template <typename Function>
[[nodiscard]] Function kernel32Function(const char* name) noexcept {
  return loadedLibraryFunction<Function>(L"kernel32.dll", name);
}

}  // namespace ocx::win32
