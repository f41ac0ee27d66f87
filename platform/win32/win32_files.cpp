#include <algorithm>
#include <memory>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace ocx::win32 {

namespace {

std::vector<std::uint8_t> readToEnd(HANDLE file) {
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[64 * 1024];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file, chunk, sizeof chunk, &read, nullptr)) {
      throwLastError();
    }
    if (read == 0) {
      return bytes;
    }
    bytes.insert(bytes.end(), chunk, chunk + read);
  }
}

enum class Flush { Cached, ToDisk };

void writeFile(const std::string& path, std::span<const std::uint8_t> bytes, Flush flush) {
  const std::string ansiPath = toAnsi(path);
  ScopedKernelHandle file(
      CreateFileA(ansiPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    throwLastError();
  }
  // What was written in part is no file of ours.
  const auto discard = [&](DWORD error) {
    file.reset();
    DeleteFileA(ansiPath.c_str());
    throwError(error);
  };
  constexpr std::size_t kChunk = 1 << 20;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min(kChunk, bytes.size() - done));
    DWORD written = 0;
    const BOOL ok = WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr);
    if (!ok || written == 0) {
      discard(ok ? ERROR_WRITE_FAULT : GetLastError());
    }
    done += written;
  }
  if (flush == Flush::ToDisk && !FlushFileBuffers(file.get())) {
    discard(GetLastError());
  }
}

// Without FILE_SHARE_WRITE and FILE_SHARE_DELETE nobody can open the file to
// change, rename or delete it while the handle is open, and the open itself
// fails while someone has the file open for writing. The copy writes what
// was read through the handle, not whatever the path names by then.
class Win32HeldFile final : public HeldFile {
 public:
  explicit Win32HeldFile(const std::string& path)
      : file_(CreateFileA(toAnsi(path).c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr)) {
    if (!file_) {
      throwLastError();
    }
    bytes_ = readToEnd(file_.get());
  }

  const std::vector<std::uint8_t>& bytes() const override { return bytes_; }
  void copyTo(const std::string& to) override { writeFile(to, bytes_, Flush::ToDisk); }

 private:
  ScopedKernelHandle file_;
  std::vector<std::uint8_t> bytes_;
};

}  // namespace

bool Win32FileSystem::findFirstFile(const std::string& pattern) {
  WIN32_FIND_DATAA found{};
  const ScopedFindHandle search(FindFirstFileA(toAnsi(pattern).c_str(), &found));
  return search.valid();
}

std::string Win32FileSystem::tempPath(std::uint32_t bufferChars) {
  std::vector<char> buffer(bufferChars + 1, '\0');
  const DWORD length = GetTempPathA(bufferChars, buffer.data());
  if (length == 0) {
    throwLastError();
  }
  // Too small a buffer: the call gives the size it needs and writes nothing.
  return length < bufferChars ? fromAnsi(std::string_view(buffer.data(), length)) : std::string();
}

void Win32FileSystem::deleteFile(const std::string& path) {
  if (!DeleteFileA(toAnsi(path).c_str())) {
    throwLastError();
  }
}

void Win32FileSystem::renameFile(const std::string& from, const std::string& to) {
  // Without MOVEFILE_REPLACE_EXISTING an existing target fails with 183.
  if (!MoveFileA(toAnsi(from).c_str(), toAnsi(to).c_str())) {
    throwLastError();
  }
}

void Win32FileSystem::copyFile(const std::string& from, const std::string& to) {
  if (!CopyFileA(toAnsi(from).c_str(), toAnsi(to).c_str(), FALSE)) {
    throwLastError();
  }
}

void Win32FileSystem::writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes) {
  writeFile(path, bytes, Flush::Cached);
}

std::uint64_t Win32FileSystem::fileLength(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(toAnsi(path).c_str(), GetFileExInfoStandard, &data)) {
    throwLastError();
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::unique_ptr<HeldFile> Win32FileSystem::holdFile(const std::string& path) {
  return std::make_unique<Win32HeldFile>(path);
}

}  // namespace ocx::win32
