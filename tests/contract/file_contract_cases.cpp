#include "tests/contract/file_contract_cases.h"

#include <cstdint>
#include <vector>

namespace ocx::contract {
namespace {

struct FileCase {
  const char* what;
  std::string (*ask)(FileSystem& files, const std::string& in);
  const char* expected;
};

const std::vector<std::uint8_t> kFourBytes = {4, 3, 2, 1};

// `in` is the scratch folder with its trailing backslash.
const FileCase kCases[] = {
    // Searches: anything that matches, folders included; never an error.
    {"a file is found", [](FileSystem& f, const std::string& in) { return describe(f.findFirstFile(in + "a.bin")); },
     "true"},
    {"names compare without regard to case",
     [](FileSystem& f, const std::string& in) { return describe(f.findFirstFile(in + "A.BIN")); }, "true"},
    {"a folder is found too",
     [](FileSystem& f, const std::string& in) { return describe(f.findFirstFile(in.substr(0, in.size() - 1))); },
     "true"},
    {"a pattern", [](FileSystem& f, const std::string& in) { return describe(f.findFirstFile(in + "*.bin")); }, "true"},
    {"a pattern matching nothing",
     [](FileSystem& f, const std::string& in) { return describe(f.findFirstFile(in + "*.none")); }, "false"},
    {"a missing file", [](FileSystem& f, const std::string& in) { return describe(f.findFirstFile(in + "c.bin")); },
     "false"},
    {"below a missing folder",
     [](FileSystem& f, const std::string& in) { return describe(f.findFirstFile(in + "none\\a.bin")); }, "false"},

    // Lengths.
    {"a file's length",
     [](FileSystem& f, const std::string& in) { return outcomeOf([&] { return f.fileLength(in + "a.bin"); }); }, "5"},
    {"a missing file has none",
     [](FileSystem& f, const std::string& in) { return outcomeOf([&] { return f.fileLength(in + "c.bin"); }); },
     "error 2"},
    {"nor has a file below a missing folder",
     [](FileSystem& f, const std::string& in) { return outcomeOf([&] { return f.fileLength(in + "none\\a.bin"); }); },
     "error 3"},

    // Renaming: never over an existing file.
    {"renaming onto an existing file",
     [](FileSystem& f, const std::string& in) {
       const std::string refused = outcomeOf([&] { f.renameFile(in + "a.bin", in + "b.bin"); });
       return refused + ", b.bin " + outcomeOf([&] { return f.fileLength(in + "b.bin"); });
     },
     "error 183, b.bin 1"},
    {"renaming a missing file",
     [](FileSystem& f, const std::string& in) { return outcomeOf([&] { f.renameFile(in + "c.bin", in + "d.bin"); }); },
     "error 2"},
    {"renaming into a missing folder",
     [](FileSystem& f, const std::string& in) {
       return outcomeOf([&] { f.renameFile(in + "a.bin", in + "none\\a.bin"); });
     },
     "error 3"},
    {"renaming moves the file",
     [](FileSystem& f, const std::string& in) {
       const std::string renamed = outcomeOf([&] { f.renameFile(in + "a.bin", in + "c.bin"); });
       return renamed + ", " + describe(f.findFirstFile(in + "a.bin")) + ", c.bin " +
              outcomeOf([&] { return f.fileLength(in + "c.bin"); });
     },
     "done, false, c.bin 5"},

    // Copying: over an existing file.
    {"copying over an existing file",
     [](FileSystem& f, const std::string& in) {
       const std::string copied = outcomeOf([&] { f.copyFile(in + "a.bin", in + "b.bin"); });
       return copied + ", b.bin " + outcomeOf([&] { return f.fileLength(in + "b.bin"); });
     },
     "done, b.bin 5"},
    {"copying a missing file",
     [](FileSystem& f, const std::string& in) { return outcomeOf([&] { f.copyFile(in + "c.bin", in + "d.bin"); }); },
     "error 2"},
    {"copying into a missing folder",
     [](FileSystem& f, const std::string& in) {
       return outcomeOf([&] { f.copyFile(in + "a.bin", in + "none\\a.bin"); });
     },
     "error 3"},

    // Writing: creates or replaces.
    {"writing a new file",
     [](FileSystem& f, const std::string& in) {
       const std::string written = outcomeOf([&] { f.writeNewFile(in + "c.bin", kFourBytes); });
       return written + ", c.bin " + outcomeOf([&] { return f.fileLength(in + "c.bin"); });
     },
     "done, c.bin 4"},
    {"writing over a file replaces it",
     [](FileSystem& f, const std::string& in) {
       const std::string written = outcomeOf([&] { f.writeNewFile(in + "a.bin", kFourBytes); });
       return written + ", a.bin " + outcomeOf([&] { return f.fileLength(in + "a.bin"); });
     },
     "done, a.bin 4"},
    {"writing nothing makes an empty file",
     [](FileSystem& f, const std::string& in) {
       const std::string written = outcomeOf([&] { f.writeNewFile(in + "c.bin", {}); });
       return written + ", c.bin " + outcomeOf([&] { return f.fileLength(in + "c.bin"); });
     },
     "done, c.bin 0"},
    {"writing into a missing folder",
     [](FileSystem& f, const std::string& in) {
       return outcomeOf([&] { f.writeNewFile(in + "none\\c.bin", kFourBytes); });
     },
     "error 3"},

    // Deleting.
    {"deleting a file",
     [](FileSystem& f, const std::string& in) {
       const std::string deleted = outcomeOf([&] { f.deleteFile(in + "b.bin"); });
       return deleted + ", " + describe(f.findFirstFile(in + "b.bin"));
     },
     "done, false"},
    {"deleting a missing file",
     [](FileSystem& f, const std::string& in) { return outcomeOf([&] { f.deleteFile(in + "c.bin"); }); }, "error 2"},
    {"deleting below a missing folder",
     [](FileSystem& f, const std::string& in) { return outcomeOf([&] { f.deleteFile(in + "none\\c.bin"); }); },
     "error 3"},

    // Holding a file: its bytes, and nobody changes it meanwhile.
    {"a held file's length and a refused rename",
     [](FileSystem& f, const std::string& in) {
       std::string seen;
       try {
         const std::unique_ptr<HeldFile> held = f.holdFile(in + "a.bin");
         seen = std::to_string(held->bytes().size());
         seen += ", rename " + outcomeOf([&] { f.renameFile(in + "a.bin", in + "c.bin"); });
         seen += ", delete " + outcomeOf([&] { f.deleteFile(in + "a.bin"); });
       } catch (const PlatformError& error) {
         seen = "error " + std::to_string(error.number());
       }
       return seen;
     },
     "5, rename error 32, delete error 32"},
    {"holding a missing file",
     [](FileSystem& f, const std::string& in) {
       return outcomeOf([&] { static_cast<void>(f.holdFile(in + "c.bin")); });
     },
     "error 2"},
};

}  // namespace

void checkFileContract(const std::function<FileSystem&()>& prepare, const std::string& folder, Checker& checker) {
  for (const FileCase& row : kCases) {
    FileSystem& files = prepare();
    CONTRACT_CHECK_EQ(checker, row.what, row.ask(files, folder + "\\"), row.expected);
  }
}

}  // namespace ocx::contract
