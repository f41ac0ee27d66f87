#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "fix/control_names.h"
#include "fix/mod_bugfix.h"
#include "tests/osinfo/sim_platform.h"

namespace ocx {
namespace {

using control_names::kTypeLib20Key;
using control_names::kTypeLib21Key;
using control_names::kTypeLibKey;

// The simulated registry, noting the rights and view that keys are opened
// with: for keys outside SOFTWARE both views are one, so only the call tells
// them apart.
class RecordingRegistry : public Registry {
 public:
  explicit RecordingRegistry(Registry& inner) : inner_(inner) {}
  RegStatus openKey(RootKey root, const std::string& subKey, std::uint32_t sam, RegView view, RegHandle& key) override {
    std::ostringstream open;
    open << subKey << " sam 0x" << std::hex << sam << (view == RegView::Wow64_64 ? " 64-bit view" : "");
    opens.push_back(open.str());
    return counted(inner_.openKey(root, subKey, sam, view, key));
  }
  RegStatus openSubKey(RegHandle parent, const std::string& subKey, std::uint32_t sam, RegHandle& key) override {
    return counted(inner_.openSubKey(parent, subKey, sam, key));
  }
  RegStatus queryValueInfo(RegHandle key, const std::string& name, RegType& type, std::uint32_t& size) override {
    return inner_.queryValueInfo(key, name, type, size);
  }
  RegStatus queryValue(RegHandle key, const std::string& name, RegType& type, std::span<std::uint8_t> buffer,
                       std::uint32_t& size) override {
    return inner_.queryValue(key, name, type, buffer, size);
  }
  RegStatus closeKey(RegHandle key) override { return --stillOpen, inner_.closeKey(key); }
  std::string textFromAnsi(std::span<const std::uint8_t> data) override { return inner_.textFromAnsi(data); }
  RegStatus deleteKeyTree(RegHandle parent, const std::string& child) override {
    return inner_.deleteKeyTree(parent, child);
  }

  std::vector<std::string> opens;
  int stillOpen = 0;

 private:
  RegStatus counted(RegStatus status) { return stillOpen += status == 0, status; }
  Registry& inner_;
};

std::string profileWith(const std::string& before, const std::string& keys) {
  return "{" + before + R"("registry": "REGEDIT4\r\n\r\n)" + keys + "\"}";
}
const std::string k20 = R"([HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0]\r\n)";
const std::string k21 = R"([HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1]\r\n@=\"x\"\r\n)";

TEST(TypeLibExists, OpensTheVersionKeyForReadingInThe64BitViewOn64BitWindows) {
  const std::string bits32 = R"("os": {"bits": 32}, )";
  const std::string refuse20 = R"("faults": [{"op": "reg_open", "error": 5, "path": )" +
                               nlohmann::json(std::string("HKEY_CLASSES_ROOT\\") + kTypeLib20Key).dump() + "}], ";
  // clang-format off
  const char* k64 = " 64-bit view";
  const char* kOwn = "";
  const struct { const char* name; std::string profile; bool has20, has21; std::string view; } rows[] = {
      {"64-bit, both", profileWith("", k20 + k21), true, true, k64},
      {"32-bit, both", profileWith(bits32, k20 + k21), true, true, kOwn},
      {"64-bit, only 2.0", profileWith("", k20), true, false, k64},
      {"32-bit, only 2.1", profileWith(bits32, k21), false, true, kOwn},
      {"2.0 refused", profileWith(refuse20, k20 + k21), false, true, k64},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::SimPlatform sim(row.profile);
    RecordingRegistry registry(sim.machine().registry());
    Platform platform = sim.over(registry);
    modBugfix fix(platform);
    EXPECT_EQ(fix.TypeLib20Exists(), row.has20);
    EXPECT_EQ(fix.TypeLib21Exists(), row.has21);
    const std::string sam = " sam 0x19";
    EXPECT_EQ(registry.opens,
              (std::vector<std::string>{kTypeLib20Key + sam + row.view, kTypeLib21Key + sam + row.view}));
    EXPECT_EQ(registry.stillOpen, 0);
  }
}

TEST(DeleteRegistryKey, RemovesTheChildWithItsSubtreeBelowTheParent) {
  const std::string keys =
      k20 + k21 +
      R"([HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0\\0\\win32]\r\n@=\"C:\\\\x.ocx\"\r\n[HKEY_CLASSES_ROOT\\Stray\\Inner]\r\n)";
  const std::string noAdmin = R"("admin": false, )";
  const std::string deleteFails = R"("faults": [{"op": "reg_delete", "error": 5}], )";
  // clang-format off
  const struct { const char* name; std::string before, keyPath, parent; std::vector<std::string> gone, kept; } rows[] = {
      {"2.0", "", kTypeLib20Key, kTypeLibKey, {kTypeLib20Key}, {kTypeLib21Key, "Stray\\Inner"}},
      {"no backslash", "", "Stray", "", {"Stray"}, {kTypeLib20Key, kTypeLib21Key}},
      {"missing child", "", "TypeLib\\Nothing", "TypeLib", {}, {kTypeLib20Key, kTypeLib21Key}},
      {"missing parent", "", "Nowhere\\2.0", "Nowhere", {}, {kTypeLib20Key, "Stray"}},
      {"no administrator", noAdmin, kTypeLib20Key, kTypeLibKey, {}, {kTypeLib20Key}},
      {"deletion fails", deleteFails, kTypeLib20Key, kTypeLibKey, {}, {kTypeLib20Key}},
  };
  // clang-format on
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    test::SimPlatform sim(profileWith(row.before, keys));
    RecordingRegistry registry(sim.machine().registry());
    Platform platform = sim.over(registry);
    modBugfix(platform).DeleteRegistryKey(row.keyPath, RootKey::ClassesRoot);
    EXPECT_EQ(registry.opens, std::vector<std::string>{row.parent + " sam 0xf003f"});
    EXPECT_EQ(registry.stillOpen, 0);
    auto exists = [&](const std::string& key) {
      RegKey open;
      return open.open(sim.machine().registry(), RootKey::ClassesRoot, key, reg_access::kReadValues,
                       RegView::Default) == 0;
    };
    for (const auto& key : row.gone) EXPECT_FALSE(exists(key)) << key;
    for (const auto& key : row.kept) EXPECT_TRUE(exists(key)) << key;
  }
}

}  // namespace
}  // namespace ocx
