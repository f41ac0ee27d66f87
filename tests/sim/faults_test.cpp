#include <gtest/gtest.h>

#include "machine_fixture.h"

namespace ocx::sim::test {
namespace {

const std::string kControl = "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX";

TEST(Faults, FirstMatchingFaultWithFailuresLeftAppliesForItsTimes) {
  auto machine = machineFrom(R"({"faults": [
      {"op": "delete", "path": "c:\\windows\\syswow64\\mscomctl.ocx", "error": 5, "times": 2},
      {"op": "delete", "error": 32},
      {"op": "delete", "path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "error": 80}]})");
  for (const std::uint32_t code : {5u, 5u, 32u}) {
    EXPECT_EQ(errorOf([&] { machine->files().deleteFile(kControl); }), code);
  }
  EXPECT_EQ(errorOf([&] { machine->files().deleteFile("C:\\anything.txt"); }), 32u);
  EXPECT_EQ(machine->toJson()["files"].size(), 1u);
}

TEST(Faults, PathsMatchAfterResolvingAgainstTheCurrentFolder) {
  const struct {
    const char* what;
    const char* faultPath;
    const char* op;
    std::function<void(Machine&)> call;
    bool fails;
  } cases[] = {
      {"relative fault path", "..\\..\\..\\Windows\\SysWOW64\\MSCOMCTL.OCX", "length",
       [](Machine& m) { static_cast<void>(m.files().fileLength(kControl)); }, true},
      {"relative call path", "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "length",
       [](Machine& m) { static_cast<void>(m.files().fileLength("..\\..\\..\\Windows\\SysWOW64\\mscomctl.ocx")); },
       true},
      {"rename target", "C:\\Windows\\SysWOW64\\Backup.ocx", "rename",
       [](Machine& m) { m.files().renameFile(kControl, "C:\\Windows\\SysWOW64\\Backup.ocx"); }, true},
      {"other file", "C:\\Windows\\SysWOW64\\Other.ocx", "copy",
       [](Machine& m) { m.files().copyFile(kControl, "C:\\Windows\\Copy.ocx"); }, false},
      {"resource", nullptr, "resource",
       [](Machine& m) { static_cast<void>(m.resources().resourceBytes("CUSTOM", 101)); }, true},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    nlohmann::json fault = {{"op", c.op}, {"error", 112}};
    if (c.faultPath != nullptr) fault["path"] = c.faultPath;
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
      {"op": "version_info", "error": 5, "times": 1},
      {"op": "clipboard", "error": 5, "times": 1}]})");
  EXPECT_EQ(machine->versions().fileVersionInfoSize(kControl), 0u);
  EXPECT_GT(machine->versions().fileVersionInfoSize(kControl), 0u);
  EXPECT_EQ(machine->takeFault("clipboard", ""), 5u);
  EXPECT_EQ(machine->takeFault("clipboard", ""), std::nullopt);
}

TEST(Faults, RegistryFaultsUseTheKeyPathAsTheProgramPassesIt) {
  auto machine = machineFrom(
      R"({"registry": "REGEDIT4\r\n[HKEY_CLASSES_ROOT\\T\\2.0]\r\n[HKEY_CLASSES_ROOT\\T\\2.1]\r\n@=\"x\"\r\n",
    "faults": [{"op": "reg_query", "path": "HKEY_CLASSES_ROOT\\T\\2.1", "error": 1, "times": 1},
      {"op": "reg_delete", "path": "HKEY_CLASSES_ROOT\\T\\2.0", "error": 5, "times": 1}]})");
  Registry& registry = machine->registry();
  EXPECT_EQ(readValue(registry, RootKey::ClassesRoot, "T\\2.1", "").status, 1);
  EXPECT_EQ(readValue(registry, RootKey::ClassesRoot, "T\\2.1", "").status, 0);

  RegKey parent;
  ASSERT_EQ(parent.open(registry, RootKey::ClassesRoot, "T", reg_access::kAllAccess, RegView::Default), 0);
  const std::string before = registryOf(*machine);
  EXPECT_EQ(registry.deleteKeyTree(parent.get(), "2.0"), 5);
  EXPECT_EQ(registryOf(*machine), before);
  EXPECT_EQ(registry.deleteKeyTree(parent.get(), "2.0"), 0);
}

}  // namespace
}  // namespace ocx::sim::test
