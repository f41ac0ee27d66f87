#include "tests/contract/file_contract_cases.h"

#include <cstdint>
#include <cstring>
#include <vector>

namespace ocx::contract {
namespace {

enum class Op { Find, Length, Rename, Copy, Write, Delete, Hold };

struct FileCase {
  const char* what;
  Op op;
  const char* path;      // below the scratch folder; "" names the folder itself
  const char* argument;  // the target of a rename, copy or hold, the bytes of a write
  // The call's outcome; after a call that may change the folder, then
  // " | " and the lengths of a.bin, b.bin and c.bin, "-" for a file missing.
  const char* expected;
};

const FileCase kCases[] = {
    // Searches: anything that matches, folders included; never an error.
    {"a file is found", Op::Find, "a.bin", "", "true"},
    {"names compare without regard to case", Op::Find, "A.BIN", "", "true"},
    {"a folder is found too", Op::Find, "", "", "true"},
    {"a pattern", Op::Find, "*.bin", "", "true"},
    {"a pattern matching nothing", Op::Find, "*.none", "", "false"},
    {"a missing file", Op::Find, "c.bin", "", "false"},
    {"below a missing folder", Op::Find, "none\\a.bin", "", "false"},

    {"a file's length", Op::Length, "a.bin", "", "5"},
    {"a missing file has none", Op::Length, "c.bin", "", "error 2"},
    {"nor has a file below a missing folder", Op::Length, "none\\a.bin", "", "error 3"},

    // Renaming: never over an existing file.
    {"renaming onto an existing file", Op::Rename, "a.bin", "b.bin", "error 183 | 5 1 -"},
    {"renaming a missing file", Op::Rename, "c.bin", "d.bin", "error 2 | 5 1 -"},
    {"renaming into a missing folder", Op::Rename, "a.bin", "none\\a.bin", "error 3 | 5 1 -"},
    {"renaming moves the file", Op::Rename, "a.bin", "c.bin", "done | - 1 5"},

    // Copying: over an existing file.
    {"copying over an existing file", Op::Copy, "a.bin", "b.bin", "done | 5 5 -"},
    {"copying a missing file", Op::Copy, "c.bin", "d.bin", "error 2 | 5 1 -"},
    {"copying into a missing folder", Op::Copy, "a.bin", "none\\a.bin", "error 3 | 5 1 -"},

    // Writing: creates or replaces.
    {"writing a new file", Op::Write, "c.bin", "abcd", "done | 5 1 4"},
    {"writing over a file replaces it", Op::Write, "a.bin", "abcd", "done | 4 1 -"},
    {"writing nothing makes an empty file", Op::Write, "c.bin", "", "done | 5 1 0"},
    {"writing into a missing folder", Op::Write, "none\\c.bin", "abcd", "error 3 | 5 1 -"},

    {"deleting a file", Op::Delete, "b.bin", "", "done | 5 - -"},
    {"deleting a missing file", Op::Delete, "c.bin", "", "error 2 | 5 1 -"},
    {"deleting below a missing folder", Op::Delete, "none\\c.bin", "", "error 3 | 5 1 -"},

    // Holding a file: its bytes, and nobody renames or deletes it meanwhile.
    {"a held file's length, a refused rename and delete", Op::Hold, "a.bin", "c.bin",
     "5, rename error 32, delete error 32 | 5 1 -"},
    {"holding a missing file", Op::Hold, "c.bin", "", "error 2 | 5 1 -"},
};

std::string lengthOf(FileSystem& files, const std::string& path) {
  const std::string length = outcomeOf([&] { return files.fileLength(path); });
  return length == "error 2" ? "-" : length;
}

std::string outcome(FileSystem& f, const FileCase& row, const std::string& folder) {
  const std::string path = *row.path == '\0' ? folder : folder + "\\" + row.path;
  const std::string argument = folder + "\\" + row.argument;
  switch (row.op) {
    case Op::Find:
      return describe(f.findFirstFile(path));
    case Op::Length:
      return outcomeOf([&] { return f.fileLength(path); });
    case Op::Rename:
      return outcomeOf([&] { f.renameFile(path, argument); });
    case Op::Copy:
      return outcomeOf([&] { f.copyFile(path, argument); });
    case Op::Write:
      return outcomeOf([&] {
        f.writeNewFile(path, std::vector<std::uint8_t>(row.argument, row.argument + std::strlen(row.argument)));
      });
    case Op::Delete:
      return outcomeOf([&] { f.deleteFile(path); });
    case Op::Hold:
      try {
        const std::unique_ptr<HeldFile> held = f.holdFile(path);
        std::string seen = std::to_string(held->bytes().size());
        seen += ", rename " + outcomeOf([&] { f.renameFile(path, argument); });
        return seen + ", delete " + outcomeOf([&] { f.deleteFile(path); });
      } catch (const PlatformError& error) {
        return "error " + std::to_string(error.number());
      }
  }
  return "no such operation";
}

}  // namespace

void checkFileContract(const std::function<FileSystem&()>& prepare, const std::string& folder, Checker& checker) {
  for (const FileCase& row : kCases) {
    FileSystem& files = prepare();
    std::string seen = outcome(files, row, folder);
    if (row.op != Op::Find && row.op != Op::Length) {
      seen += " | " + lengthOf(files, folder + "\\a.bin") + ' ' + lengthOf(files, folder + "\\b.bin") + ' ' +
              lengthOf(files, folder + "\\c.bin");
    }
    CONTRACT_CHECK_EQ(checker, row.what, seen, row.expected);
  }
}

}  // namespace ocx::contract
