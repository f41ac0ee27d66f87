// The platform contract on the real Windows API, one class per service. The
// window is in win32_window.h.
#pragma once

#include <optional>
#include <set>

#include "platform/clock.h"
#include "platform/files.h"
#include "platform/os_facts.h"
#include "platform/processes.h"
#include "platform/registry.h"
#include "platform/resources.h"
#include "platform/shell_folders.h"
#include "platform/version_info.h"
#include "platform/win32/win32_support.h"

namespace ocx::win32 {

class Win32Registry final : public Registry {
 public:
  Win32Registry();

  RegStatus openKey(RootKey root, const std::string& subKey, std::uint32_t sam, RegView view, RegHandle& key) override;
  RegStatus openSubKey(RegHandle parent, const std::string& subKey, std::uint32_t sam, RegHandle& key) override;
  RegStatus queryValueInfo(RegHandle key, const std::string& name, RegType& type, std::uint32_t& size) override;
  RegStatus queryValue(RegHandle key, const std::string& name, RegType& type, std::span<std::uint8_t> buffer,
                       std::uint32_t& size) override;
  RegStatus closeKey(RegHandle key) override;
  std::string textFromAnsi(std::span<const std::uint8_t> data) override;
  // 127 (procedure not found) when the shell's light-weight API is missing.
  RegStatus deleteKeyTree(RegHandle parent, const std::string& child) override;

 private:
  RegStatus open(HKEY parent, const std::string& subKey, std::uint32_t sam, RegView view, RegHandle& key);

  using ShDeleteKeyA = LSTATUS(WINAPI*)(HKEY, LPCSTR);
  SystemLibrary shlwapi_;
  ShDeleteKeyA shDeleteKeyA_;
  // The open handles of the 64-bit view. Windows wants the same view for
  // every open along a path and does not promise to carry it from a handle
  // to the opens below it, so a child open names its parent's view itself.
  std::set<RegHandle> opened64_;
};

class Win32FileSystem final : public FileSystem {
 public:
  bool findFirstFile(const std::string& pattern) override;
  std::string tempPath(std::uint32_t bufferChars) override;
  void deleteFile(const std::string& path) override;
  void renameFile(const std::string& from, const std::string& to) override;
  void copyFile(const std::string& from, const std::string& to) override;
  // A write that fails part-way removes what it wrote.
  void writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
  std::uint64_t fileLength(const std::string& path) override;
  std::unique_ptr<HeldFile> holdFile(const std::string& path) override;
};

class Win32VersionInfo final : public VersionInfo {
 public:
  Win32VersionInfo();

  std::uint32_t fileVersionInfoSize(const std::string& path) override;
  bool fileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) override;
  bool queryRootBlock(const std::vector<std::uint8_t>& block, FixedFileInfo& info) override;

 private:
  using SizeA = DWORD(WINAPI*)(LPCSTR, LPDWORD);
  using InfoA = BOOL(WINAPI*)(LPCSTR, DWORD, DWORD, LPVOID);
  using QueryA = BOOL(WINAPI*)(LPCVOID, LPCSTR, LPVOID*, PUINT);
  SystemLibrary version_;
  SizeA sizeA_;
  InfoA infoA_;
  QueryA queryA_;
};

// The version record of a file whose path may hold any character, such as
// the program's own; nothing when it has none.
[[nodiscard]] std::optional<FixedFileInfo> fixedFileInfoOf(const std::wstring& path);

class Win32ShellFolders final : public ShellFolders {
 public:
  WindowHandle activeWindow() override;
  std::optional<std::string> specialFolderPath(WindowHandle owner, std::int32_t csidl) override;
};

class Win32Resources final : public ProgramResources {
 public:
  explicit Win32Resources(HMODULE module) : module_(module) {}

  std::vector<std::uint8_t> resourceBytes(const std::string& type, int id) override;

 private:
  HMODULE module_;
};

class Win32Processes final : public Processes {
 public:
  // A program named without a folder ("regsvr32 /s ...") is started as the
  // copy in the system folder, never one found beside this program or in the
  // current folder; the command line stays as given.
  void startProcess(const std::string& commandLine, int windowStyle) override;
};

class Win32OsFacts final : public OsFacts {
 public:
  bool getVersionEx(OsVersionRecord& record) override;
  bool getProductInfo(std::int32_t major, std::int32_t minor, std::int32_t spMajor, std::int32_t spMinor,
                      std::int32_t& productType) override;
  std::uint16_t systemDefaultLangId() override;
  std::uint32_t verLanguageName(std::uint16_t langId, std::string& name, std::uint32_t bufferChars) override;
  std::uint32_t tickCount() override;
  std::int32_t systemMetrics(SystemMetric index) override;
  ModuleHandle loadLibrary(const std::string& name) override;
  bool hasProcAddress(ModuleHandle module, const std::string& procName) override;
  void freeLibrary(ModuleHandle module) override;
  bool isWow64Process(bool& wow64) override;
  std::string systemMessage(std::uint32_t code) override { return win32::systemMessage(code); }
};

class Win32Clock final : public Clock {
 public:
  SystemTime localNow() override;
  bool fileTimeToLocalFileTime(std::uint64_t utc, std::uint64_t& local) override;
};

}  // namespace ocx::win32
