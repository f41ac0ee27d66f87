// File-system operations with Windows semantics: drive-letter paths, names
// compared without regard to case, relative paths resolved against the
// current directory. Paths are UTF-8; the bindings use the "A" functions.
//
// Every operation but findFirstFile throws PlatformError carrying the Win32
// error code when it fails, and a failed operation changes nothing.
#pragma once

#include <cstdint>
#include <span>
#include <string>
#include <vector>

namespace ocx {

class FileSystem {
 public:
  virtual ~FileSystem() = default;

  // FindFirstFileA followed by FindClose of the handle it gave: true when
  // the search gave a valid handle, that is when anything (a file or a
  // folder) matches. Wildcards in the last component make it a pattern.
  // A failing search is simply false.
  [[nodiscard]] virtual bool findFirstFile(const std::string& pattern) = 0;

  // GetTempPathA into a buffer of `bufferChars` characters of the ANSI code
  // page: the temporary folder with its trailing backslash, or the empty
  // text when it does not fit with its NUL (Windows then writes nothing).
  [[nodiscard]] virtual std::string tempPath(std::uint32_t bufferChars) = 0;

  // DeleteFileA.
  virtual void deleteFile(const std::string& path) = 0;

  // Renames (moves) a file; fails with 183 when `to` exists, 2 when `from`
  // is missing.
  virtual void renameFile(const std::string& from, const std::string& to) = 0;

  // Copies `from` over `to`, replacing a file that is there.
  virtual void copyFile(const std::string& from, const std::string& to) = 0;

  // Creates (or replaces) `path` and writes `bytes` to it as a binary file.
  virtual void writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes) = 0;

  // The length of the file in bytes.
  [[nodiscard]] virtual std::uint64_t fileLength(const std::string& path) = 0;

  // The whole content of the file. A file that another process holds open
  // can still be read.
  [[nodiscard]] virtual std::vector<std::uint8_t> readFile(const std::string& path) = 0;
};

}  // namespace ocx
