#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "platform/version_block.h"

namespace ocx::sim::test {
namespace {

std::string diskProfile(bool admin) {
  return R"({"admin": )" + std::string(admin ? "true" : "false") + R"(,
    "directories": ["C:\\Data\\Sub", "C:\\Users\\Administrator\\AppData\\Local\\Temp"], "files": [
      {"path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "version": [6, 1, 98, 33], "size": 1066928},
      {"path": "C:\\Data\\Plain.txt", "size": 10},
      {"path": "C:\\Data\\ReadOnly.txt", "size": 11, "readonly": true},
      {"path": "C:\\Data\\Locked.ocx", "size": 12, "version": [1, 2, 3, 4], "locked": true}]})";
}

enum class Op { Delete, Rename, Copy, Write, Length, HeldCopy };

void run(FileSystem& files, Op op, const std::string& path, const std::string& target) {
  switch (op) {
    case Op::Delete:
      return files.deleteFile(path);
    case Op::Rename:
      return files.renameFile(path, target);
    case Op::Copy:
      return files.copyFile(path, target);
    case Op::Write:
      return files.writeNewFile(path, bytesOf("new"));
    case Op::Length:
      static_cast<void>(files.fileLength(path));
      return;
    case Op::HeldCopy:
      files.holdFile(path)->copyTo(target);
  }
}

TEST(FileSystem, OperationsFailWithTheCodesWindowsGivesAndChangeNothing) {
  const struct {
    const char* what;
    bool admin;
    Op op;
    const char* path;
    const char* target;
    std::uint32_t code;
  } cases[] = {
      {"delete read-only", true, Op::Delete, "C:\\Data\\ReadOnly.txt", "", 5},
      {"delete locked", true, Op::Delete, "C:\\Data\\locked.OCX", "", 32},
      {"delete a folder", true, Op::Delete, "C:\\Data\\Sub", "", 5},
      {"delete below Windows as user", false, Op::Delete, "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "", 5},
      {"delete elsewhere as user", false, Op::Delete, "C:\\Data\\Plain.txt", "", 0},
      {"rename onto existing", true, Op::Rename, "C:\\Data\\Plain.txt", "C:\\Data\\readonly.txt", 183},
      {"rename locked", true, Op::Rename, "C:\\Data\\Locked.ocx", "C:\\Data\\New.ocx", 32},
      {"rename read-only", true, Op::Rename, "C:\\Data\\ReadOnly.txt", "C:\\Data\\New.txt", 0},
      {"rename below Windows as user", false, Op::Rename, "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX",
       "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX_Backup", 5},
      {"rename into Windows as user", false, Op::Rename, "C:\\Data\\Plain.txt", "C:\\Windows\\Plain.txt", 5},
      {"copy locked source", true, Op::Copy, "C:\\Data\\Locked.ocx", "C:\\Data\\New.ocx", 32},
      {"copy over read-only", true, Op::Copy, "C:\\Data\\Plain.txt", "C:\\Data\\ReadOnly.txt", 5},
      {"copy over locked", true, Op::Copy, "C:\\Data\\Plain.txt", "C:\\Data\\Locked.ocx", 32},
      {"copy into Windows as user", false, Op::Copy, "C:\\Data\\Plain.txt", "C:\\Windows\\SysWOW64\\x.txt", 5},
      {"write over read-only", true, Op::Write, "C:\\Data\\ReadOnly.txt", "", 5},
      {"write over locked", true, Op::Write, "C:\\Data\\Locked.ocx", "", 32},
      {"write onto a folder", true, Op::Write, "C:\\Data\\Sub", "", 5},
      {"write below Windows as user", false, Op::Write, "C:\\Windows\\new.txt", "", 5},
      {"length of locked file", true, Op::Length, "C:\\Data\\Locked.ocx", "", 0},
      // A held file is read at once; its copy fails as a copy would.
      {"hold a folder", true, Op::HeldCopy, "C:\\Data\\Sub", "C:\\Data\\New.txt", 5},
      {"held copy of locked source", true, Op::HeldCopy, "C:\\Data\\Locked.ocx", "C:\\Data\\New.ocx", 32},
      {"held copy over itself", true, Op::HeldCopy, "C:\\Data\\Plain.txt", "c:\\data\\plain.TXT", 32},
      {"held copy over read-only", true, Op::HeldCopy, "C:\\Data\\Plain.txt", "C:\\Data\\ReadOnly.txt", 5},
      {"held copy into Windows as user", false, Op::HeldCopy, "C:\\Data\\Plain.txt", "C:\\Windows\\x.txt", 5},
      {"held copy", true, Op::HeldCopy, "C:\\Data\\Plain.txt", "C:\\Data\\New.txt", 0},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    auto machine = machineFrom(diskProfile(c.admin));
    const auto before = machine->toJson();
    EXPECT_EQ(errorOf([&] { run(machine->files(), c.op, c.path, c.target); }), c.code);
    if (c.code != 0) {
      EXPECT_EQ(machine->toJson(), before);
    } else if (c.op != Op::Length) {
      EXPECT_NE(machine->toJson(), before);
    }
  }
}

// The texts of the codes the program shows are checked where it shows them;
// a code Windows has no text for still gets one of its own.
TEST(FileSystem, UnknownCodesHaveTextsOfTheirOwnAndTheTempPathMayBeMissing) {
  EXPECT_NE(systemErrorText(99999), systemErrorText(99998));

  EXPECT_EQ(machineFrom("{}")->files().tempPath(255), "C:\\Users\\Administrator\\AppData\\Local\\Temp\\");
  EXPECT_EQ(errorOf([] { static_cast<void>(machineFrom(R"({"temp": null})")->files().tempPath(255)); }), 3u);
  // The buffer counts ANSI characters, NUL included; what the code page
  // lacks comes back as its best fit or as "?", as from every "A" call.
  const auto temp = [](std::uint32_t chars) {
    return machineFrom("{\"temp\": \"C:\\\\\xC3\x84\xCE\xA9\xCE\xBA\\\\\"}")->files().tempPath(chars);
  };
  EXPECT_EQ(temp(8), "C:\\\xC3\x84O?\\");
  EXPECT_EQ(temp(7), "");
}

TEST(FileSystem, WildcardSearchInTheLastComponent) {
  const std::pair<const char*, bool> cases[] = {
      {"c:/windows/syswow64/MSCOMCTL.OCX", true},
      {"C:\\Windows\\SysWOW64\\MSCOMCT?.OCX", true},
      {"C:\\Windows\\SysWOW64\\MSCOMC?.OCX", false},
      {"C:\\Windows\\SysWOW64\\", false},
      {"C:\\Data\\Sub\\*", true},  // an empty folder still lists "." and ".."
      {"C:\\Data\\S*", true},
      {"..\\..\\..\\Windows\\SysWOW64\\MSCOMCTL.OCX", true},
      {"MSCOMCTL.OCX", false},
      {"", false},
  };
  auto machine = machineFrom(diskProfile(true));
  for (const auto& [pattern, found] : cases) {
    SCOPED_TRACE(pattern);
    EXPECT_EQ(machine->files().findFirstFile(pattern), found);
  }
}

TEST(FileSystem, PayloadKeepsItsVersionThroughWritesRenamesAndCopies) {
  auto machine = machineFrom(diskProfile(true));
  FileSystem& files = machine->files();
  const std::string payloadCopy = "C:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX";
  files.writeNewFile(payloadCopy, machine->resources().resourceBytes("CUSTOM", 101));
  files.renameFile("C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "C:\\Windows\\SysWOW64\\Backup.ocx");
  files.copyFile(payloadCopy, "C:\\Windows\\SysWOW64\\mscomctl.ocx");
  files.deleteFile(payloadCopy);
  files.writeNewFile("C:\\Data\\Other.ocx", bytesOf("not the payload"));

  std::vector<std::string> listed;
  const auto json = machine->toJson();
  for (const auto& file : json["files"]) {
    listed.push_back(file["path"].get<std::string>() + " " + file["size"].dump() + " " + file["version"].dump());
  }
  EXPECT_EQ(listed, (std::vector<std::string>{"C:\\Data\\Locked.ocx 12 [1,2,3,4]", "C:\\Data\\Other.ocx 15 null",
                                              "C:\\Data\\Plain.txt 10 null", "C:\\Data\\ReadOnly.txt 11 null",
                                              "C:\\Windows\\SysWOW64\\Backup.ocx 1066928 [6,1,98,33]",
                                              "C:\\Windows\\SysWOW64\\mscomctl.ocx 1070152 [6,1,98,34]"}));
}

// While the program holds a file, nothing but reading reaches it, the
// program's own calls included; once it lets go, everything does again.
TEST(FileSystem, AHeldFileCannotChangeUntilItIsLetGo) {
  auto machine = machineFrom(diskProfile(true));
  FileSystem& files = machine->files();
  const std::string path = "C:\\Data\\Plain.txt";
  auto held = files.holdFile(path);
  auto second = files.holdFile("c:\\data\\PLAIN.txt");
  EXPECT_EQ(held->bytes(), second->bytes());
  EXPECT_EQ(held->bytes().size(), 10u);
  second.reset();

  const auto before = machine->toJson();
  EXPECT_EQ(errorOf([&] { files.renameFile("C:\\Data", "C:\\Moved"); }), 32u);
  EXPECT_EQ(errorOf([&] { files.writeNewFile(path, bytesOf("other")); }), 32u);
  EXPECT_EQ(errorOf([&] { files.copyFile("C:\\Data\\ReadOnly.txt", path); }), 32u);
  machine->overwriteFromOutside(path);
  EXPECT_EQ(machine->toJson(), before);
  EXPECT_EQ(files.holdFile(path)->bytes(), held->bytes());

  files.copyFile(path, "C:\\Data\\Copy.txt");
  held.reset();
  files.deleteFile(path);
  EXPECT_FALSE(files.findFirstFile(path));
}

// Another process overwrites a file in place: same size and version, other
// bytes each time, and its self-registration gone. Its rights are its own,
// so a user without administrator rights on this machine makes no difference.
TEST(FileSystem, OverwriteFromOutsideChangesOnlyAWritableFile) {
  const std::string control = "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX";
  const struct {
    const char* path;
    bool changes;
  } cases[] = {
      {"..\\..\\..\\Windows\\SysWOW64\\MSCOMCTL.OCX", true},  // from C:\Users\Administrator\Desktop
      {"C:\\Data\\ReadOnly.txt", false},
      {"C:\\Data\\Locked.ocx", false},
      {"C:\\Data\\Sub", false},
      {"", false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.path);
    auto machine = machineFrom(diskProfile(false));
    const auto files = machine->toJson()["files"];
    const auto bytes = [&] { return machine->files().holdFile(control)->bytes(); };
    const auto original = bytes();
    machine->overwriteFromOutside(c.path);
    EXPECT_EQ(machine->toJson()["files"], files) << "sizes and versions stay";
    if (!c.changes) {
      EXPECT_EQ(bytes(), original);
      continue;
    }
    const auto first = bytes();
    machine->overwriteFromOutside(c.path);
    const auto second = bytes();
    for (std::size_t i = 0; i < original.size(); ++i) {
      ASSERT_NE(first[i], original[i]) << "byte " << i;
      ASSERT_NE(second[i], first[i]) << "byte " << i;
    }
  }

  auto machine = machineFrom("{}");
  const std::string registry = registryOf(*machine);
  machine->overwriteFromOutside(control);
  machine->processes().startProcess("regsvr32 /s /u \"" + control + "\"", window_style::kMinimizedFocus);
  EXPECT_EQ(registryOf(*machine), registry) << "the overwritten control still unregistered itself";
}

TEST(VersionBlock, MalformedBlocksGiveNoRecordAndLeaveItAlone) {
  const auto good = buildVersionBlock(fixedFileInfoForVersion(1, 2, 3, 4));
  // A well-formed block with one byte changed.
  const auto broken = [&](std::size_t at, std::uint8_t byte) {
    auto block = good;
    block[at] = byte;
    return block;
  };
  const std::pair<const char*, std::vector<std::uint8_t>> cases[] = {
      {"empty", {}},
      {"cut inside the record", {good.begin(), good.begin() + 60}},
      {"length beyond the block", broken(1, 0xFF)},
      {"other key", broken(6, 'X')},
      {"no record", broken(2, 0)},
      {"no signature", broken(40, 0)},
  };
  for (const auto& [what, block] : cases) {
    SCOPED_TRACE(what);
    FixedFileInfo info;
    info.fileVersionMS = 0x12345678;
    EXPECT_FALSE(readRootBlock(block, info));
    EXPECT_EQ(info.fileVersionMS, 0x12345678u);
  }
}

}  // namespace
}  // namespace ocx::sim::test
