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

namespace ocx {
namespace {

using namespace frm_main;

constexpr char kClock[] = R"({"now": "2012-08-20 14:05:09", "utc_offset_minutes": 120})";
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

struct Call {
  std::string op;
  std::string path;
  // Whether the failure carries its error code where it can be seen.
  bool codeShows = false;
  // What the window and the machine showed when the call was made.
  std::size_t statusLines = 0;
  std::size_t startedProcesses = 0;
};

// Numbers every call that reaches the machine; the call numbered `target`
// fails with `code` in the form its contract gives, and changes nothing.
class CallLayer final : public Registry,
                        public FileSystem,
                        public VersionInfo,
                        public ShellFolders,
                        public ProgramResources,
                        public Processes,
                        public OsFacts,
                        public Clock {
 public:
  CallLayer(sim::Machine& machine, sim::HeadlessWindow& window, std::optional<std::size_t> target, std::uint32_t code)
      : m_(machine), window_(window), target_(target), code_(code) {}

  [[nodiscard]] const std::vector<Call>& calls() const { return calls_; }

  // Registry: a failing call returns the code.
  RegStatus openKey(RootKey root, const std::string& subKey, std::uint32_t sam, RegView view, RegHandle& key) override {
    const std::string path = join(std::string(sim::rootLongName(root)), subKey);
    return opened(key, path, failsWithCode("reg_open", path) ? code() : reg().openKey(root, subKey, sam, view, key));
  }
  RegStatus openSubKey(RegHandle parent, const std::string& subKey, std::uint32_t sam, RegHandle& key) override {
    const std::string path = join(keyPath(parent), subKey);
    return opened(key, path, failsWithCode("reg_open", path) ? code() : reg().openSubKey(parent, subKey, sam, key));
  }
  RegStatus queryValueInfo(RegHandle key, const std::string& name, RegType& type, std::uint32_t& size) override {
    return failsWithCode("reg_query", keyPath(key)) ? code() : reg().queryValueInfo(key, name, type, size);
  }
  RegStatus queryValue(RegHandle key, const std::string& name, RegType& type, std::span<std::uint8_t> buffer,
                       std::uint32_t& size) override {
    return failsWithCode("reg_query", keyPath(key)) ? code() : reg().queryValue(key, name, type, buffer, size);
  }
  RegStatus closeKey(RegHandle key) override { return keys_.erase(key), reg().closeKey(key); }
  std::string textFromAnsi(std::span<const std::uint8_t> data) override { return reg().textFromAnsi(data); }
  RegStatus deleteKeyTree(RegHandle parent, const std::string& child) override {
    return failsWithCode("reg_delete", join(keyPath(parent), child)) ? code() : reg().deleteKeyTree(parent, child);
  }

  // Files: a failing existence check answers False, every other call throws.
  bool findFirstFile(const std::string& pattern) override {
    return !fails("find", pattern) && m_.files().findFirstFile(pattern);
  }
  std::string tempPath(std::uint32_t bufferChars) override { return files("temp_path", "").tempPath(bufferChars); }
  void deleteFile(const std::string& path) override { files("delete", path).deleteFile(path); }
  void renameFile(const std::string& from, const std::string& to) override {
    files("rename", from).renameFile(from, to);
  }
  void copyFile(const std::string& from, const std::string& to) override { files("copy", from).copyFile(from, to); }
  void writeNewFile(const std::string& path, std::span<const std::uint8_t> bytes) override {
    files("write", path).writeNewFile(path, bytes);
  }
  std::uint64_t fileLength(const std::string& path) override { return files("length", path).fileLength(path); }
  std::unique_ptr<HeldFile> holdFile(const std::string& path) override {
    return std::make_unique<Held>(*this, path, files("read", path).holdFile(path));
  }

  // The other calls that can fail say so by their result alone.
  std::uint32_t fileVersionInfoSize(const std::string& path) override {
    return fails("version_info", path) ? 0 : m_.versions().fileVersionInfoSize(path);
  }
  bool fileVersionInfo(const std::string& path, std::uint32_t size, std::vector<std::uint8_t>& block) override {
    return !fails("version_info", path) && m_.versions().fileVersionInfo(path, size, block);
  }
  bool queryRootBlock(const std::vector<std::uint8_t>& block, FixedFileInfo& info) override {
    return !fails("version_root", "") && m_.versions().queryRootBlock(block, info);
  }
  WindowHandle activeWindow() override { return m_.shell().activeWindow(); }
  std::optional<std::string> specialFolderPath(WindowHandle owner, std::int32_t csidl) override {
    if (fails("shell_folder", std::to_string(csidl))) return std::nullopt;
    return m_.shell().specialFolderPath(owner, csidl);
  }
  std::vector<std::uint8_t> resourceBytes(const std::string& type, int id) override {
    return orThrow("resource", "", m_.resources()).resourceBytes(type, id);
  }
  void startProcess(const std::string& commandLine, int windowStyle) override {
    const auto open = commandLine.find('"');
    const auto close = commandLine.rfind('"');
    const std::string path = open < close ? commandLine.substr(open + 1, close - open - 1) : "";
    orThrow("start_process", path, m_.processes()).startProcess(commandLine, windowStyle);
  }
  bool getVersionEx(OsVersionRecord& record) override {
    return !fails("os_version", std::to_string(record.size)) && m_.os().getVersionEx(record);
  }
  bool getProductInfo(std::int32_t major, std::int32_t minor, std::int32_t spMajor, std::int32_t spMinor,
                      std::int32_t& productType) override {
    return !fails("product_info", "") && m_.os().getProductInfo(major, minor, spMajor, spMinor, productType);
  }
  std::uint16_t systemDefaultLangId() override { return m_.os().systemDefaultLangId(); }
  std::uint32_t verLanguageName(std::uint16_t langId, std::string& name, std::uint32_t bufferChars) override {
    return fails("language_name", "") ? 0 : m_.os().verLanguageName(langId, name, bufferChars);
  }
  std::uint32_t tickCount() override { return m_.os().tickCount(); }
  std::int32_t systemMetrics(SystemMetric index) override { return m_.os().systemMetrics(index); }
  ModuleHandle loadLibrary(const std::string& name) override {
    return fails("load_library", name) ? 0 : m_.os().loadLibrary(name);
  }
  bool hasProcAddress(ModuleHandle module, const std::string& procName) override {
    return !fails("proc_address", procName) && m_.os().hasProcAddress(module, procName);
  }
  void freeLibrary(ModuleHandle module) override { m_.os().freeLibrary(module); }
  bool isWow64Process(bool& wow64) override { return !fails("wow64", "") && m_.os().isWow64Process(wow64); }
  std::string systemMessage(std::uint32_t code) override { return m_.os().systemMessage(code); }
  SystemTime localNow() override { return m_.clock().localNow(); }
  bool fileTimeToLocalFileTime(std::uint64_t utc, std::uint64_t& local) override {
    return !fails("local_time", "") && m_.clock().fileTimeToLocalFileTime(utc, local);
  }

 private:
  static std::string join(const std::string& parent, const std::string& child) {
    if (child.empty()) return parent;
    return parent.empty() ? child : parent + "\\" + child;
  }
  std::string keyPath(RegHandle key) const {
    const auto it = keys_.find(key);
    if (it != keys_.end()) return it->second;
    return key >= static_cast<RegHandle>(RootKey::ClassesRoot) ? std::string(sim::rootLongName(RootKey(key))) : "";
  }
  // `key` is read only once the open has set it.
  RegStatus opened(const RegHandle& key, const std::string& path, RegStatus status) {
    if (status == 0) keys_[key] = path;
    return status;
  }

  bool fails(const std::string& op, const std::string& path, bool codeShows = false) {
    const std::size_t index = calls_.size();
    calls_.push_back(Call{op, path, codeShows, window_.lines(lstStatus).size(), m_.startedProcesses().size()});
    return target_ && *target_ == index;
  }
  bool failsWithCode(const std::string& op, const std::string& path) { return fails(op, path, true); }
  RegStatus code() const { return static_cast<RegStatus>(code_); }
  Registry& reg() { return m_.registry(); }
  template <class Service>
  Service& orThrow(const std::string& op, const std::string& path, Service& service) {
    if (failsWithCode(op, path)) throw PlatformError(code_, sim::systemErrorText(code_));
    return service;
  }
  FileSystem& files(const std::string& op, const std::string& path) { return orThrow(op, path, m_.files()); }

  // A held file whose copy is a call of its own.
  class Held final : public HeldFile {
   public:
    Held(CallLayer& layer, std::string path, std::unique_ptr<HeldFile> held)
        : layer_(layer), path_(std::move(path)), held_(std::move(held)) {}
    const std::vector<std::uint8_t>& bytes() const override { return held_->bytes(); }
    void copyTo(const std::string& to) override { layer_.orThrow("copy", path_, *held_).copyTo(to); }

   private:
    CallLayer& layer_;
    std::string path_;
    std::unique_ptr<HeldFile> held_;
  };

  sim::Machine& m_;
  sim::HeadlessWindow& window_;
  std::optional<std::size_t> target_;
  std::uint32_t code_;
  std::vector<Call> calls_;
  std::map<RegHandle, std::string> keys_;
};

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
    profile["clock"] = nlohmann::ordered_json::parse(kClock);
    profile["faults"] = faults;
    return sim::Machine::fromProfileText(profile.dump(), "fault_matrix.json");
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
