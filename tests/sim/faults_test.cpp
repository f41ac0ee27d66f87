#include <gtest/gtest.h>

#include "machine_fixture.h"

namespace ocx::sim::test {
namespace {

const std::string kControl = "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX";

TEST(Faults, TimesCountsTheFailingCallsThenTheOperationWorks) {
  auto machine = machineFrom(R"({"faults": [{"op": "length", "path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX",
                                             "error": 21, "times": 2}]})");
  EXPECT_EQ(errorOf([&] { static_cast<void>(machine->files().fileLength(kControl)); }), 21u);
  EXPECT_EQ(errorOf([&] { static_cast<void>(machine->files().fileLength(kControl)); }), 21u);
  EXPECT_EQ(machine->files().fileLength(kControl), 1066928u);
}

TEST(Faults, FirstMatchingFaultWithFailuresLeftApplies) {
  auto machine = machineFrom(R"({"faults": [
      {"op": "delete", "path": "c:\\windows\\syswow64\\mscomctl.ocx", "error": 5, "times": 1},
      {"op": "delete", "error": 32},
      {"op": "delete", "path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "error": 80}]})");
  EXPECT_EQ(errorOf([&] { machine->files().deleteFile(kControl); }), 5u);
  EXPECT_EQ(errorOf([&] { machine->files().deleteFile(kControl); }), 32u);
  EXPECT_EQ(errorOf([&] { machine->files().deleteFile("C:\\anything.txt"); }), 32u);
  EXPECT_EQ(machine->toJson()["files"].size(), 1u);
}

TEST(Faults, PathsMatchAfterResolvingAgainstTheCurrentFolder) {
  struct Case {
    const char* what;
    const char* faultPath;
    const char* op;
    std::function<void(Machine&)> call;
    bool fails;
  };
  const Case cases[] = {
      {"relative fault path", "..\\..\\..\\Windows\\SysWOW64\\MSCOMCTL.OCX", "length",
       [](Machine& m) { static_cast<void>(m.files().fileLength(kControl)); }, true},
      {"relative call path", "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "length",
       [](Machine& m) { static_cast<void>(m.files().fileLength("..\\..\\..\\Windows\\SysWOW64\\mscomctl.ocx")); },
       true},
      {"rename target", "C:\\Windows\\SysWOW64\\Backup.ocx", "rename",
       [](Machine& m) { m.files().renameFile(kControl, "C:\\Windows\\SysWOW64\\Backup.ocx"); }, true},
      {"copy source", "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "copy",
       [](Machine& m) { m.files().copyFile(kControl, "C:\\Windows\\Copy.ocx"); }, true},
      {"other file", "C:\\Windows\\SysWOW64\\Other.ocx", "copy",
       [](Machine& m) { m.files().copyFile(kControl, "C:\\Windows\\Copy.ocx"); }, false},
      {"write", "C:\\Users\\Administrator\\AppData\\Local\\Temp\\MSCOMCTL.OCX", "write",
       [](Machine& m) { m.files().writeNewFile(m.files().tempPath() + "MSCOMCTL.OCX", bytesOf("x")); }, true},
      {"resource", nullptr, "resource",
       [](Machine& m) { static_cast<void>(m.resources().resourceBytes("CUSTOM", 101)); }, true},
      {"temp path", nullptr, "temp_path", [](Machine& m) { static_cast<void>(m.files().tempPath()); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    nlohmann::json fault = {{"op", c.op}, {"error", 112}};
    if (c.faultPath != nullptr) {
      fault["path"] = c.faultPath;
    }
    auto machine = machineFrom(nlohmann::json{{"faults", {fault}}}.dump());
    const auto before = machine->toJson();
    EXPECT_EQ(errorOf([&] { c.call(*machine); }), c.fails ? 112u : 0u);
    if (c.fails) {
      EXPECT_EQ(machine->toJson(), before);
    }
  }
}

TEST(Faults, SilentOperationsFailQuietly) {
  auto machine = machineFrom(R"({"faults": [
      {"op": "find", "path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "error": 5, "times": 1},
      {"op": "version_info", "error": 5, "times": 1},
      {"op": "clipboard", "error": 5, "times": 1}]})");
  EXPECT_FALSE(machine->files().findFirstFile(kControl));
  EXPECT_TRUE(machine->files().findFirstFile(kControl));
  EXPECT_EQ(machine->versions().fileVersionInfoSize(kControl), 0u);
  EXPECT_GT(machine->versions().fileVersionInfoSize(kControl), 0u);
  EXPECT_EQ(machine->takeFault("clipboard", ""), 5u);
  EXPECT_EQ(machine->takeFault("clipboard", ""), std::nullopt);
}

TEST(Faults, RegistryFaultsUseTheKeyPathAsTheProgramPassesIt) {
  auto machine = machineFrom(R"({"faults": [
      {"op": "reg_open", "path": "HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "error": 5},
      {"op": "reg_query", "path": "HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1",
       "error": 1, "times": 1},
      {"op": "reg_delete", "path": "HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0",
       "error": 5, "times": 1}]})");
  Registry& registry = machine->registry();
  const std::string typeLib = "TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}";
  for (const std::uint32_t sam : {0x19u, 0x119u}) {
    EXPECT_EQ(readValue(registry, RootKey::LocalMachine, "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion",
                        "RegisteredOwner", sam)
                  .status,
              5);
  }
  EXPECT_EQ(readValue(registry, RootKey::ClassesRoot, typeLib + "\\2.1", "").status, 1);
  EXPECT_EQ(readValue(registry, RootKey::ClassesRoot, typeLib + "\\2.1", "").status, 0);

  RegKey parent;
  ASSERT_EQ(parent.open(registry, RootKey::ClassesRoot, typeLib, reg_access::kAllAccess), 0);
  const std::string before = registryOf(*machine);
  EXPECT_EQ(registry.deleteKeyTree(parent.get(), "2.0"), 5);
  EXPECT_EQ(registryOf(*machine), before);
  EXPECT_EQ(registry.deleteKeyTree(parent.get(), "2.0"), 0);
}

}  // namespace
}  // namespace ocx::sim::test
