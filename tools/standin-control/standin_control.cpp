// A self-registering 32-bit DLL that stands in for the common controls file
// the program carries. It registers only the one type-library version key
// that the repair looks at, with its own path as the library's location, so
// that a test can tell which copy regsvr32 registered last.
#include <olectl.h>
#include <windows.h>

namespace {

HMODULE g_self = nullptr;

constexpr wchar_t kVersionKey[] = L"TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1";
constexpr wchar_t kTypeLibKey[] = L"TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}";
constexpr wchar_t kVersionName[] = L"2.1";
constexpr wchar_t kLibraryName[] = L"Microsoft Windows Common Controls 6.0 (SP6)";

LONG setDefaultValue(HKEY parent, const wchar_t* subKey, const wchar_t* text) {
  HKEY key = nullptr;
  LONG status = RegCreateKeyExW(parent, subKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr, &key, nullptr);
  if (status != ERROR_SUCCESS) {
    return status;
  }
  const DWORD bytes = static_cast<DWORD>(lstrlenW(text) + 1) * sizeof(wchar_t);
  status = RegSetValueExW(key, nullptr, 0, REG_SZ, reinterpret_cast<const BYTE*>(text), bytes);
  RegCloseKey(key);
  return status;
}

// RegDeleteTree is missing before Vista and SHDeleteKey would drag shlwapi
// in; the key is two levels deep, so walking it here is short.
LONG deleteTree(HKEY parent, const wchar_t* name) {
  HKEY key = nullptr;
  LONG status = RegOpenKeyExW(parent, name, 0, KEY_ENUMERATE_SUB_KEYS | KEY_QUERY_VALUE | DELETE, &key);
  if (status != ERROR_SUCCESS) {
    return status;
  }
  wchar_t child[256];
  for (;;) {
    DWORD length = sizeof child / sizeof child[0];
    // Always the first one: each deletion renumbers the rest.
    status = RegEnumKeyExW(key, 0, child, &length, nullptr, nullptr, nullptr, nullptr);
    if (status != ERROR_SUCCESS) {
      break;
    }
    status = deleteTree(key, child);
    if (status != ERROR_SUCCESS) {
      RegCloseKey(key);
      return status;
    }
  }
  RegCloseKey(key);
  return status == ERROR_NO_MORE_ITEMS ? RegDeleteKeyW(parent, name) : status;
}

}  // namespace

extern "C" BOOL WINAPI DllMain(HINSTANCE instance, DWORD reason, LPVOID) {
  if (reason == DLL_PROCESS_ATTACH) {
    g_self = instance;
    DisableThreadLibraryCalls(instance);
  }
  return TRUE;
}

extern "C" HRESULT WINAPI DllRegisterServer() {
  wchar_t path[MAX_PATH + 1];
  const DWORD length = GetModuleFileNameW(g_self, path, MAX_PATH + 1);
  if (length == 0 || length > MAX_PATH) {
    return SELFREG_E_TYPELIB;
  }
  if (setDefaultValue(HKEY_CLASSES_ROOT, kVersionKey, kLibraryName) != ERROR_SUCCESS) {
    return SELFREG_E_TYPELIB;
  }
  HKEY version = nullptr;
  if (RegOpenKeyExW(HKEY_CLASSES_ROOT, kVersionKey, 0, KEY_CREATE_SUB_KEY, &version) != ERROR_SUCCESS) {
    return SELFREG_E_TYPELIB;
  }
  const LONG status = setDefaultValue(version, L"0\\win32", path);
  RegCloseKey(version);
  return status == ERROR_SUCCESS ? S_OK : SELFREG_E_TYPELIB;
}

extern "C" HRESULT WINAPI DllUnregisterServer() {
  HKEY typeLib = nullptr;
  LONG status = RegOpenKeyExW(HKEY_CLASSES_ROOT, kTypeLibKey, 0, KEY_ENUMERATE_SUB_KEYS, &typeLib);
  if (status == ERROR_FILE_NOT_FOUND) {
    return S_OK;  // nothing registered: already in the state asked for
  }
  if (status != ERROR_SUCCESS) {
    return SELFREG_E_TYPELIB;
  }
  status = deleteTree(typeLib, kVersionName);
  RegCloseKey(typeLib);
  return status == ERROR_SUCCESS || status == ERROR_FILE_NOT_FOUND ? S_OK : SELFREG_E_TYPELIB;
}
