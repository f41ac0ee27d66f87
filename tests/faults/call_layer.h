// A layer between the program and a simulated machine that numbers every
// platform call reaching the machine, with what the window and the machine
// showed at that moment; the call numbered `target` fails with `code` in the
// form its contract gives, and changes nothing.
#pragma once

#include <map>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/frm_main_ids.h"
#include "platform/error.h"
#include "platform/platform.h"
#include "platform/sim/headless_window.h"
#include "platform/sim/machine.h"
#include "platform/sim/registry_store.h"

namespace ocx::test {

struct Call {
  std::string op;
  std::string path;
  // Whether the failure carries its error code where it can be seen.
  bool codeShows = false;
  // What the window and the machine showed when the call was made.
  std::size_t statusLines = 0;
  std::size_t startedProcesses = 0;
  // The rights and view a key is opened from its root with: outside
  // SOFTWARE both views are one key, so only the call tells them apart.
  std::uint32_t sam = 0;
  RegView view = RegView::Default;
};

class CallLayer final : public Registry,
                        public FileSystem,
                        public VersionInfo,
                        public ShellFolders,
                        public ProgramResources,
                        public Processes,
                        public OsFacts,
                        public Clock {
 public:
  CallLayer(sim::Machine& machine, sim::HeadlessWindow& window, std::optional<std::size_t> target = std::nullopt,
            std::uint32_t code = 0)
      : m_(machine), window_(window), target_(target), code_(code) {}

  [[nodiscard]] const std::vector<Call>& calls() const { return calls_; }
  [[nodiscard]] std::size_t openKeys() const { return keys_.size(); }

  // Registry: a failing call returns the code.
  RegStatus openKey(RootKey root, const std::string& subKey, std::uint32_t sam, RegView view, RegHandle& key) override {
    const std::string path = join(std::string(sim::rootLongName(root)), subKey);
    const bool failing = failsWithCode("reg_open", path);
    calls_.back().sam = sam, calls_.back().view = view;
    return opened(key, path, failing ? code() : reg().openKey(root, subKey, sam, view, key));
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
    calls_.push_back(
        Call{op, path, codeShows, window_.lines(frm_main::lstStatus).size(), m_.startedProcesses().size()});
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

}  // namespace ocx::test
