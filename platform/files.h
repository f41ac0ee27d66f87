// File-system operations with Windows semantics: drive-letter paths, names
// compared without regard to case, relative paths resolved against the
// current directory. Paths are UTF-8; the bindings use the "A" functions.
//
// Every operation but findFirstFile throws PlatformError carrying the Win32
// error code when it fails, and a failed operation changes nothing. Both
// bindings give the numbers Windows gives: 2 for a missing file, 3 when a
// folder on the way is missing, 183 when a rename's target exists, 32 for a
// file that a process (this one included) holds open against the change,
// 5 for a change the user has no right to.
#pragma once

#include <cstdint>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace ocx {

// A file that this program holds open for reading. Until the object is
// destroyed, others may still read the file, but nobody, this program
// included, can write, rename or delete it: what was read is what the file
// holds.
class HeldFile {
 public:
  virtual ~HeldFile() = default;

  // The whole content, read through the held handle when it was opened.
  [[nodiscard]] virtual const std::vector<std::uint8_t>& bytes() const = 0;

  // Writes exactly bytes() over `to`, replacing a file that is there, and
  // returns only once the copy is on the disk, not just in the system's
  // cache; fails where copyFile from the held file to `to` would.
  virtual void copyTo(const std::string& to) = 0;
};

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

  // Opens the file for reading, shared with readers only, and reads it whole.
  // Fails with 32 while another process has the file open for writing. The
  // held file must not outlive this object.
  [[nodiscard]] virtual std::unique_ptr<HeldFile> holdFile(const std::string& path) = 0;
};

}  // namespace ocx
