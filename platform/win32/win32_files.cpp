#include <algorithm>
#include <vector>

#include "platform/win32/win32_platform.h"

namespace ocx::win32 {

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
  const std::string ansiPath = toAnsi(path);
  ScopedKernelHandle file(
      CreateFileA(ansiPath.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    throwLastError();
  }
  constexpr std::size_t kChunk = 1 << 20;
  std::size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min(kChunk, bytes.size() - done));
    DWORD written = 0;
    const BOOL ok = WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr);
    if (!ok || written == 0) {
      const DWORD error = ok ? ERROR_WRITE_FAULT : GetLastError();
      file.reset();
      DeleteFileA(ansiPath.c_str());
      throwError(error);
    }
    done += written;
  }
}

std::uint64_t Win32FileSystem::fileLength(const std::string& path) {
  WIN32_FILE_ATTRIBUTE_DATA data{};
  if (!GetFileAttributesExA(toAnsi(path).c_str(), GetFileExInfoStandard, &data)) {
    throwLastError();
  }
  return (static_cast<std::uint64_t>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
}

std::vector<std::uint8_t> Win32FileSystem::readFile(const std::string& path) {
  // Sharing read and write lets a file that another process has open be
  // read, as the program's other file operations can.
  ScopedKernelHandle file(CreateFileA(toAnsi(path).c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) {
    throwLastError();
  }
  std::vector<std::uint8_t> bytes;
  std::uint8_t chunk[64 * 1024];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), chunk, sizeof chunk, &read, nullptr)) {
      throwLastError();
    }
    if (read == 0) {
      return bytes;
    }
    bytes.insert(bytes.end(), chunk, chunk + read);
  }
}

}  // namespace ocx::win32
