#include "platform/sim/machine.h"

#include "platform/error.h"

namespace ocx::sim {

namespace {

// First cut: a machine whose services answer "nothing there" until the
// store, the file system and the profile reader are wired in.
class EmptyMachine final : public Machine,
                           Registry,
                           FileSystem,
                           VersionInfo,
                           ShellFolders,
                           ProgramResources,
                           Processes,
                           OsFacts,
                           Clock {
 public:
  Registry& registry() override { return *this; }
  FileSystem& files() override { return *this; }
  VersionInfo& versions() override { return *this; }
  ShellFolders& shell() override { return *this; }
  ProgramResources& resources() override { return *this; }
  Processes& processes() override { return *this; }
  OsFacts& os() override { return *this; }
  Clock& clock() override { return *this; }

  std::optional<std::uint32_t> takeFault(std::string_view, const std::string&) override { return std::nullopt; }
  const std::vector<StartedProcess>& startedProcesses() const override { return started_; }
  nlohmann::ordered_json toJson() const override {
    return {{"registry", "Windows Registry Editor Version 5.00\r\n\r\n"}, {"files", nlohmann::ordered_json::array()}};
  }

  RegStatus openKey(RootKey, const std::string&, std::uint32_t, RegHandle&) override { return 2; }
  RegStatus openSubKey(RegHandle, const std::string&, std::uint32_t, RegHandle&) override { return 6; }
  RegStatus queryValueInfo(RegHandle, const std::string&, std::uint32_t&, std::uint32_t&) override { return 6; }
  RegStatus queryValue(RegHandle, const std::string&, std::uint32_t&, std::span<std::uint8_t>,
                       std::uint32_t&) override {
    return 6;
  }
  RegStatus closeKey(RegHandle) override { return 6; }
  RegStatus deleteKeyTree(RegHandle, const std::string&) override { return 6; }

  bool findFirstFile(const std::string&) override { return false; }
  std::string tempPath() override { fail(3); }
  void deleteFile(const std::string&) override { fail(2); }
  void renameFile(const std::string&, const std::string&) override { fail(2); }
  void copyFile(const std::string&, const std::string&) override { fail(2); }
  void writeNewFile(const std::string&, std::span<const std::uint8_t>) override { fail(3); }
  std::uint64_t fileLength(const std::string&) override { fail(2); }

  std::uint32_t fileVersionInfoSize(const std::string&) override { return 0; }
  bool fileVersionInfo(const std::string&, std::uint32_t, std::vector<std::uint8_t>&) override { return false; }
  bool queryRootBlock(const std::vector<std::uint8_t>&, FixedFileInfo&) override { return false; }

  WindowHandle activeWindow() override { return 0; }
  std::optional<std::string> specialFolderPath(WindowHandle, std::int32_t) override { return std::nullopt; }

  std::vector<std::uint8_t> resourceBytes(const std::string&, int) override { fail(1813); }

  void startProcess(const std::string&, int, std::chrono::milliseconds) override { fail(2); }

  bool getVersionEx(OsVersionRecord&) override { return false; }
  bool getProductInfo(std::int32_t, std::int32_t, std::int32_t, std::int32_t, std::int32_t&) override { return false; }
  std::uint16_t systemDefaultLangId() override { return 0; }
  std::uint32_t verLanguageName(std::uint16_t, std::string&, std::uint32_t) override { return 0; }
  std::uint32_t tickCount() override { return 0; }
  std::int32_t systemMetrics(int) override { return 0; }
  ModuleHandle loadLibrary(const std::string&) override { return 0; }
  bool hasProcAddress(ModuleHandle, const std::string&) override { return false; }
  void freeLibrary(ModuleHandle) override {}
  bool isWow64Process(bool&) override { return false; }

  SystemTime localNow() override { return {}; }
  bool fileTimeToLocalFileTime(std::uint64_t, std::uint64_t&) override { return false; }

 private:
  [[noreturn]] static void fail(std::uint32_t code) { throw PlatformError(code, systemErrorText(code)); }
  std::vector<StartedProcess> started_;
};

}  // namespace

std::unique_ptr<Machine> Machine::createDefault() {
  return std::make_unique<EmptyMachine>();
}

std::unique_ptr<Machine> Machine::fromProfileFile(const std::string&) {
  return createDefault();
}

std::unique_ptr<Machine> Machine::fromProfileText(const std::string&, const std::string&, const std::string&) {
  return createDefault();
}

nlohmann::ordered_json Machine::defaultProfile() {
  return nlohmann::ordered_json::object();
}

}  // namespace ocx::sim
