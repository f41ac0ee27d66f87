// Every platform call of the start-up survey and the full repair run, made
// to fail in turn with each error code Windows gives for such calls: the
// window must stay usable, a stopped run must say so at the right place, and
// neither the original control nor registry data the run did not set out to
// change may be lost. A recording layer between frmMain and the simulated
// machine numbers the calls of a clean run and fails one at its position;
// the first call of each operation and path also fails through the machine
// profile's own fault list, so that the machine's failures are exercised.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cctype>
#include <map>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "app/frm_main.h"
#include "app/frm_main_ids.h"
#include "app/frm_main_layout.h"
#include "app/texts.h"
#include "platform/error.h"
#include "platform/sim/headless_window.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"
#include "tests/faults/call_layer.h"
#include "tests/osinfo/sim_platform.h"

namespace ocx {
namespace {

using namespace frm_main;

constexpr char kTypeLibKey[] = "HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}";
constexpr char kBackupName[] = "MSCOMCTL.OCX_Backup_2012-08-20 14.05.09";

// A machine to repair, and the control file on it that must not be lost.
struct MachineCase {
  const char* name;
  // Profile keys besides the clock.
  const char* profile;
  const char* controlFolder;
  std::array<int, 4> version;
  std::uint64_t size;
};

void PrintTo(const MachineCase& machine, std::ostream* os) {
  *os << machine.name;
}

const MachineCase kMachines[] = {
    // The built-in machine: Windows 7 SP1, 64-bit, after the faulty update.
    {"Windows7x64", "{}", "C:\\Windows\\SysWOW64", {6, 1, 98, 33}, 1066928},
    // A 32-bit XP whose control sits in the system folder, temp folder with spaces.
    {"WindowsXp32",
     R"({
       "os": {"bits": 32, "wow64_query": "absent", "major": 5, "minor": 1, "build": 2600,
              "csd": "Service Pack 3", "sp_major": 3, "product_info": 0},
       "folders": {"36": "C:\\WINDOWS", "37": "C:\\WINDOWS\\system32"},
       "temp": "C:\\Dokumente und Einstellungen\\Administrator\\Lokale Einstellungen\\Temp\\",
       "directories": ["C:\\Dokumente und Einstellungen\\Administrator\\Lokale Einstellungen\\Temp"],
       "files": [{"path": "C:\\WINDOWS\\system32\\MSCOMCTL.OCX", "version": [6, 1, 98, 16], "size": 1054112,
                  "registers": ["HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1"]}]
     })",
     "C:\\WINDOWS\\system32",
     {6, 1, 98, 16},
     1054112},
};

// The error codes a file, process or registry call of Windows fails with.
constexpr std::uint32_t kErrorCodes[] = {2, 3, 5, 32, 112, 183};

// The run's own file operations, with the check of the temporary copy
// against the carried bytes before the replacement starts; every other failure is
// passed over by the operation that meets it (existence checks answer False,
// deletions and registration starts report nothing, the temporary copy may
// stay).
const std::set<std::string> kStopsTheRun = {"rename", "resource", "read", "copy"};

std::string lower(std::string text) {
  std::transform(text.begin(), text.end(), text.begin(), [](unsigned char c) { return std::tolower(c); });
  return text;
}

using test::Call;
using test::CallLayer;

// The program on a simulated machine with the layer in between.
struct Harness {
  Harness(const MachineCase& machineCase, const nlohmann::ordered_json& faults,
          std::optional<std::size_t> target = std::nullopt, std::uint32_t code = 0)
      : machineCase(machineCase),
        machine(makeMachine(machineCase, faults)),
        window(layout(), machine.get()),
        layer(*machine, window, target, code),
        platform{layer, window, layer, layer, layer, layer, layer, layer, layer},
        form(platform),
        registryBefore(machine->toJson()["registry"].get<std::string>()) {
    form.Start();
  }

  static std::unique_ptr<sim::Machine> makeMachine(const MachineCase& machineCase,
                                                   const nlohmann::ordered_json& faults) {
    nlohmann::ordered_json profile = nlohmann::ordered_json::parse(machineCase.profile);
    profile["faults"] = faults;
    return test::machineOf(profile.dump());
  }

  // The full repair: every option checked and enabled.
  void runWithAllOptions() {
    for (const ElementId box : {chkKillRegPath, chkReplaceControl, chkReRegisterControl}) {
      window.setValue(box, check_value::kChecked);
      window.setEnabled(box, true);
    }
    callsBeforeRun = layer.calls().size();
    form.cmdGo_Click();
  }

  const MachineCase& machineCase;
  std::unique_ptr<sim::Machine> machine;
  sim::HeadlessWindow window;
  CallLayer layer;
  Platform platform;
  frmMain form;
  std::string registryBefore;
  std::size_t callsBeforeRun = 0;
};

// A registry export by key name (compared without case), split into the
// subtrees of keys 2.0 and 2.1 and the rest.
struct Sections {
  std::map<std::string, std::string> key20, key21, rest;
};

Sections sections(const std::string& exported) {
  Sections result;
  std::string* values = nullptr;
  std::size_t start = 0;
  while (start < exported.size()) {
    std::size_t end = exported.find("\r\n", start);
    if (end == std::string::npos) end = exported.size();
    const std::string line = exported.substr(start, end - start);
    start = end + 2;
    if (line.starts_with("[") && line.ends_with("]")) {
      const std::string key = lower(line.substr(1, line.size() - 2));
      auto below = [&](const char* version) {
        const std::string top = lower(kTypeLibKey) + "\\" + version;
        return key == top || key.starts_with(top + "\\");
      };
      values = &(below("2.0") ? result.key20 : below("2.1") ? result.key21 : result.rest)[key];
    } else if (values != nullptr && !line.empty()) {
      *values += line + "\n";
    }
  }
  return result;
}

// The original control still exists at its place or under its backup name,
// and the registry changed only where the run means to change it: the key
// 2.0 it deletes, and the keys that registering the control creates and
// unregistering it removes.
void expectNothingLost(Harness& h) {
  const auto machine = h.machine->toJson();
  const MachineCase& m = h.machineCase;
  const std::string folder = lower(m.controlFolder) + "\\";
  EXPECT_TRUE(std::any_of(machine["files"].begin(), machine["files"].end(),
                          [&](const auto& file) {
                            const std::string path = lower(file["path"].template get<std::string>());
                            return (path == folder + "mscomctl.ocx" || path == folder + lower(kBackupName)) &&
                                   file["version"] == nlohmann::ordered_json(m.version) && file["size"] == m.size;
                          }))
      << "the original control is gone: " << machine["files"].dump();

  const Sections before = sections(h.registryBefore);
  const Sections after = sections(machine["registry"].get<std::string>());
  EXPECT_EQ(after.rest, before.rest);
  // Key 2.0 goes as a whole, and only after the run has announced it.
  if (after.key20 != before.key20) {
    EXPECT_TRUE(after.key20.empty()) << "key 2.0 partly changed";
    const std::vector<std::string>& lines = h.window.lines(lstStatus);
    EXPECT_NE(std::find(lines.begin(), lines.end(), texts::kStatusDeleteKey), lines.end())
        << "key 2.0 deleted unannounced";
  }
  if (h.machine->startedProcesses().empty()) {
    EXPECT_EQ(after.key21, before.key21) << "key 2.1 changed without any regsvr32";
  }
}

std::string failureReason(std::uint32_t code) {
  return std::to_string(code) + ": " + sim::systemErrorText(code);
}

void expectReportWorks(Harness& h) {
  const std::size_t messages = h.window.messages().size();
  h.form.cmdStatus_Click();
  ASSERT_EQ(h.window.messages().size(), messages + 1);
  EXPECT_EQ(h.window.messages().back().title, texts::kReportCopiedTitle);
  ASSERT_TRUE(h.window.clipboard().has_value());
  EXPECT_TRUE(h.window.clipboard()->starts_with(std::string(texts::kRowWindows) + "\t"));
  const std::vector<std::string>& lines = h.window.lines(lstStatus);
  if (!lines.empty()) {
    EXPECT_TRUE(h.window.clipboard()->ends_with("\r\n" + lines.back()));
  }
}

// The window after a start-up whose survey met a failure: shown, with the
// normal cursor, no message, and a status report that can be copied.
void expectUsableWindow(Harness& h) {
  EXPECT_TRUE(h.window.visible());
  EXPECT_FALSE(h.window.waitCursor());
  EXPECT_FALSE(h.form.ended());
  EXPECT_TRUE(h.window.messages().empty());
  for (const ElementId button : {cmdGo, cmdStatus, cmdExit}) {
    EXPECT_TRUE(h.window.enabled(button));
  }
  expectReportWorks(h);
}

// A stopped run: the error shown, only cmdExit left to press, the report
// still at hand. With `reason`, the message must carry that reason.
void expectStopped(Harness& h, const std::optional<std::string>& reason = std::nullopt) {
  ASSERT_FALSE(h.window.messages().empty());
  const sim::RecordedMessage& message = h.window.messages().back();
  EXPECT_EQ(message.icon, MessageIcon::Critical);
  if (reason) {
    EXPECT_EQ(message.title, texts::kFailureTitle);
    EXPECT_EQ(message.text, std::string(texts::kFailureText) + "\r\n" + *reason);
  }
  EXPECT_FALSE(h.window.enabled(cmdGo));
  EXPECT_EQ(h.window.focus(), cmdExit);
  EXPECT_FALSE(h.form.ended());
  expectReportWorks(h);
}

void expectCompleted(Harness& h) {
  ASSERT_FALSE(h.window.messages().empty());
  EXPECT_EQ(h.window.messages().back().text, texts::kDoneText);
  EXPECT_TRUE(h.form.ended());
  for (const std::string& line : h.window.lines(lstStatus)) {
    EXPECT_FALSE(line.starts_with(texts::kFailureLinePrefix)) << line;
  }
}

// The program whose call `failed` of the `clean` run fails with `code`,
// made to fail by `faults` or by the layer at `target`.
void expectFailureHandled(const Harness& clean, std::size_t failed, std::uint32_t code,
                          const nlohmann::ordered_json& faults, std::optional<std::size_t> target) {
  const Call& call = clean.layer.calls()[failed];
  SCOPED_TRACE("call " + std::to_string(failed) + ": " + call.op + " " + call.path + ", error " + std::to_string(code));
  Harness h(clean.machineCase, faults, target, code);
  const bool atStart = failed < clean.callsBeforeRun;
  if (atStart) expectUsableWindow(h);
  h.runWithAllOptions();
  if (atStart) {
    // The paths the run works on may now be wrong: it may stop, but it must
    // end in a defined state.
    if (h.form.ended()) {
      expectCompleted(h);
    } else {
      const std::vector<std::string>& lines = h.window.lines(lstStatus);
      ASSERT_GE(lines.size(), 2u);
      EXPECT_TRUE(lines[lines.size() - 2].starts_with(texts::kFailureLinePrefix));
      EXPECT_EQ(lines.back(), texts::kAbortLine);
      expectStopped(h);
    }
  } else if (kStopsTheRun.contains(call.op)) {
    // Nothing after the failing call, the clean run's lines up to it, then the two error lines.
    EXPECT_EQ(h.layer.calls().size(), failed + 1) << "the run went on after the failing call";
    const std::vector<std::string>& cleanLines = clean.window.lines(lstStatus);
    std::vector<std::string> expected(cleanLines.begin(), cleanLines.begin() + call.statusLines);
    expected.push_back(texts::kFailureLinePrefix + failureReason(code));
    expected.push_back(texts::kAbortLine);
    EXPECT_EQ(h.window.lines(lstStatus), expected);
    EXPECT_EQ(h.machine->startedProcesses().size(), call.startedProcesses);
    expectStopped(h, failureReason(code));
  } else {
    expectCompleted(h);
  }
  expectNothingLost(h);
}

class FaultMatrix : public ::testing::TestWithParam<MachineCase> {};

// Each call fails once with each code its failure can show, by the layer;
// and each first call of an operation on a path, which is all that the
// machine's own fault list reaches, fails with each code through a profile.
TEST_P(FaultMatrix, EveryCallFailingLosesNothing) {
  Harness clean(GetParam(), nlohmann::ordered_json::array());
  clean.runWithAllOptions();
  const std::vector<Call>& calls = clean.layer.calls();
  std::set<std::string> ops;
  for (const Call& call : calls) ops.insert(call.op);
  // Without these the matrix would test less than it claims.
  for (const char* op : {"find", "rename", "copy", "delete", "start_process", "reg_open", "reg_delete", "write",
                         "version_info", "temp_path", "resource", "shell_folder", "os_version"}) {
    EXPECT_TRUE(ops.contains(op)) << op;
  }
  EXPECT_GT(clean.callsBeforeRun, 0u);
  EXPECT_EQ(clean.window.lines(lstStatus).size(), 7u);
  EXPECT_TRUE(clean.form.ended());

  const std::set<std::string> profileOps = {"find",     "delete",       "rename",    "copy",      "write",
                                            "length",   "version_info", "resource",  "temp_path", "start_process",
                                            "reg_open", "reg_query",    "reg_delete"};
  std::set<std::pair<std::string, std::string>> seen;
  for (std::size_t index = 0; index < calls.size(); ++index) {
    const Call& call = calls[index];
    const bool firstCall = profileOps.contains(call.op) && seen.emplace(call.op, lower(call.path)).second;
    for (const std::uint32_t code : kErrorCodes) {
      if (code == kErrorCodes[0] || call.codeShows) {
        expectFailureHandled(clean, index, code, nlohmann::ordered_json::array(), index);
      }
      if (firstCall) {
        nlohmann::ordered_json fault = {{"op", call.op}, {"error", code}, {"times", 1}};
        if (!call.path.empty()) fault["path"] = call.path;
        expectFailureHandled(clean, index, code, nlohmann::ordered_json::array({fault}), std::nullopt);
      }
      if (HasFatalFailure()) return;
    }
  }
}

INSTANTIATE_TEST_SUITE_P(Machines, FaultMatrix, ::testing::ValuesIn(kMachines),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace ocx
