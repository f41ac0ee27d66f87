#include <gtest/gtest.h>

#include "machine_fixture.h"
#include "platform/sim/sim_processes.h"

namespace ocx::sim::test {
namespace {

TEST(Regsvr32, CommandLinesAreSplitAsRegsvr32TakesThem) {
  struct Case {
    const char* line;
    bool silent;
    bool unregister;
    std::vector<std::string> files;
  };
  const Case cases[] = {
      {"regsvr32 /s /u \"C:\\My Files\\a.ocx\"", true, true, {"C:\\My Files\\a.ocx"}},
      {"regsvr32 \"C:\\a.ocx\"", false, false, {"C:\\a.ocx"}},
      {"REGSVR32.EXE -U -S C:\\a.ocx b.ocx", true, true, {"C:\\a.ocx", "b.ocx"}},
      {"C:\\Windows\\SysWOW64\\regsvr32.exe \"/s\"", false, false, {"/s"}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.line);
    const auto command = parseRegsvr32(c.line);
    ASSERT_TRUE(command.has_value());
    EXPECT_EQ(command->silent, c.silent);
    EXPECT_EQ(command->unregister, c.unregister);
    EXPECT_EQ(command->files, c.files);
  }
  EXPECT_FALSE(parseRegsvr32("notepad \"C:\\a.txt\"").has_value());
  EXPECT_FALSE(parseRegsvr32("  ").has_value());
}

const std::string kTypeLib = "HKEY_CLASSES_ROOT\\TypeLib\\{X}\\2.1";
const std::string kControl = "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX";

std::string registrationProfile(bool admin) {
  return R"({"admin": )" + std::string(admin ? "true" : "false") + R"(, "files": [
      {"path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "size": 100,
       "registers": ["HKEY_CLASSES_ROOT\\TypeLib\\{X}\\2.1", "HKEY_CLASSES_ROOT\\MSComctlLib.TreeCtrl"]},
      {"path": "C:\\Windows\\SysWOW64\\plain.dll", "size": 100}],
    "registry": ["REGEDIT4", "[HKEY_CLASSES_ROOT\\TypeLib\\{X}\\2.1\\0\\win32]",
      "[HKEY_CLASSES_ROOT\\TypeLib\\{X}\\2.1]", "@=\"kept\""]})";
}

bool hasKey(const Machine& machine, const std::string& path) {
  return registryOf(machine).find("[" + path + "]\r\n") != std::string::npos;
}

TEST(Regsvr32, RegistersAndUnregistersTheFileItFinds) {
  auto machine = machineFrom(registrationProfile(true));
  Processes& processes = machine->processes();

  processes.startProcess("regsvr32 /s \"" + kControl + "\"", window_style::kMinimizedFocus);
  EXPECT_TRUE(hasKey(*machine, "HKEY_CLASSES_ROOT\\MSComctlLib.TreeCtrl"));
  // An existing key keeps its values.
  EXPECT_NE(registryOf(*machine).find("[" + kTypeLib + "]\r\n@=\"kept\""), std::string::npos);

  processes.startProcess("regsvr32 /s /u \"" + kControl + "\"", window_style::kMinimizedFocus);
  EXPECT_FALSE(hasKey(*machine, kTypeLib));
  EXPECT_FALSE(hasKey(*machine, kTypeLib + "\\0\\win32"));
  EXPECT_FALSE(hasKey(*machine, "HKEY_CLASSES_ROOT\\MSComctlLib.TreeCtrl"));

  processes.startProcess("regsvr32 \"mscomctl.ocx\"", window_style::kNormal);  // relative to C:\Users\...
  EXPECT_FALSE(hasKey(*machine, kTypeLib));
  processes.startProcess("regsvr32 \"" + kControl + "\"", window_style::kNormal);
  EXPECT_TRUE(hasKey(*machine, kTypeLib));

  const auto& started = machine->startedProcesses();
  ASSERT_EQ(started.size(), 4u);
  EXPECT_EQ(started[1].commandLine, "regsvr32 /s /u \"" + kControl + "\"");
  EXPECT_EQ(started[1].windowStyle, window_style::kMinimizedFocus);
  EXPECT_EQ(started[2].windowStyle, window_style::kNormal);
}

TEST(Regsvr32, ChangesNothingWithoutRightsOrForOtherFiles) {
  const std::pair<bool, const char*> cases[] = {
      {false, "MSCOMCTL.OCX"},  // a user without rights
      {true, "plain.dll"},      // a file that does not register itself
      {true, "nope.ocx"},
  };
  for (const auto& [admin, file] : cases) {
    SCOPED_TRACE(file);
    auto machine = machineFrom(registrationProfile(admin));
    const std::string before = registryOf(*machine);
    machine->processes().startProcess("regsvr32 /s /u \"C:\\Windows\\SysWOW64\\" + std::string(file) + "\"",
                                      window_style::kMinimizedFocus);
    EXPECT_EQ(registryOf(*machine), before);
    EXPECT_EQ(machine->startedProcesses().size(), 1u);
  }
}

TEST(Regsvr32, AFailedStartIsNotListedAndDoesNothing) {
  auto machine = machineFrom(R"({"faults": [{"op": "start_process", "path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX",
                                             "error": 2, "times": 1}]})");
  const std::string before = registryOf(*machine);
  const std::string line = "regsvr32 /s /u \"" + kControl + "\"";
  EXPECT_EQ(errorOf([&] { machine->processes().startProcess(line, 2); }), 2u);
  EXPECT_TRUE(machine->startedProcesses().empty());
  EXPECT_EQ(registryOf(*machine), before);
  // Only regsvr32 is known to the machine.
  EXPECT_EQ(errorOf([&] { machine->processes().startProcess("notepad.exe", 1); }), 2u);

  machine->processes().startProcess(line, 2);
  EXPECT_EQ(machine->startedProcesses().size(), 1u);
  EXPECT_NE(registryOf(*machine), before);
}

}  // namespace
}  // namespace ocx::sim::test
