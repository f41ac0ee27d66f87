// The statically linked threads library asks kernel32 for GetTickCount64,
// which XP lacks: one such import and the loader refuses the whole program
// there. This object fills the import slot the library refers to, so the
// linker takes it instead of kernel32's, and the real function is looked up
// at run time where it exists.
//
// It must be linked as an object of the program itself: in a static library
// it would be searched before the threads library asks for the slot.
#include "platform/win32/win32_support.h"

namespace {

ULONGLONG WINAPI tickCount64() {
  using TickCount64 = ULONGLONG(WINAPI*)();
  if (const auto real = ocx::win32::kernel32Function<TickCount64>("GetTickCount64")) {
    return real();
  }
  // XP: the 32-bit count, which wraps after 49.7 days. The library uses it
  // for time-outs of a few seconds at most.
  return GetTickCount();
}

}  // namespace

extern "C" {
// The name the compiler gives an import of the stdcall function.
ULONGLONG(WINAPI* ocxTickCount64Import)() __asm__("__imp__GetTickCount64@0") = &tickCount64;
}
