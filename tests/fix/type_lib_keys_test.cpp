#include <gtest/gtest.h>

#include <nlohmann/json.hpp>
#include <sstream>
#include <string>
#include <vector>

#include "fix/control_names.h"
#include "fix/mod_bugfix.h"
#include "tests/faults/call_layer.h"
#include "tests/osinfo/sim_platform.h"

namespace ocx {
namespace {

using control_names::kTypeLib20Key;
using control_names::kTypeLib21Key;
using control_names::kTypeLibKey;

// The keys opened from the root, with the rights and the view they asked for.
std::vector<std::string> opens(const test::CallLayer& layer) {
  std::vector<std::string> opens;
  for (const test::Call& call : layer.calls()) {
    std::ostringstream open;
    open << call.path << " sam 0x" << std::hex << call.sam << (call.view == RegView::Wow64_64 ? " 64-bit view" : "");
    if (call.op == "reg_open") opens.push_back(open.str());
  }
  return opens;
}

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
    test::CallLayer registry(sim.machine(), sim.window());
    Platform platform = sim.over(registry);
    modBugfix fix(platform);
    EXPECT_EQ(fix.TypeLib20Exists(), row.has20);
    EXPECT_EQ(fix.TypeLib21Exists(), row.has21);
    const std::string hcr = "HKEY_CLASSES_ROOT\\", sam = " sam 0x19";
    EXPECT_EQ(opens(registry),
              (std::vector<std::string>{hcr + kTypeLib20Key + sam + row.view, hcr + kTypeLib21Key + sam + row.view}));
    EXPECT_EQ(registry.openKeys(), 0u);
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
    test::CallLayer registry(sim.machine(), sim.window());
    Platform platform = sim.over(registry);
    modBugfix(platform).DeleteRegistryKey(row.keyPath, RootKey::ClassesRoot);
    EXPECT_EQ(
        opens(registry),
        std::vector<std::string>{"HKEY_CLASSES_ROOT" + (row.parent.empty() ? "" : "\\" + row.parent) + " sam 0xf003f"});
    EXPECT_EQ(registry.openKeys(), 0u);
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
