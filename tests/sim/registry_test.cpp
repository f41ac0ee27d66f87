#include <gtest/gtest.h>

#include "machine_fixture.h"

namespace ocx::sim::test {
namespace {

constexpr std::uint32_t kRead = reg_access::kReadValues;
constexpr auto kOwn = RegView::Default;
constexpr auto k64 = RegView::Wow64_64;
constexpr auto kHklm = RootKey::LocalMachine;

std::string viewsProfile(int bits, bool admin = true) {
  return R"({"os": {"bits": )" + std::to_string(bits) + R"(}, "admin": )" + (admin ? "true" : "false") +
         R"(, "registry": [
    "Windows Registry Editor Version 5.00",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Grid]", "\"Where\"=\"64\"",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Grid]", "\"Where\"=\"32\"",
    "[HKEY_LOCAL_MACHINE\\SYSTEM\\Grid]", "\"Where\"=\"system\"",
    "[HKEY_CLASSES_ROOT\\Grid]", "\"Where\"=\"classes\"",
    "[HKEY_CLASSES_ROOT\\Grid\\2.0\\0\\win32]", "@=\"C:\\\\x.ocx\"", "[HKEY_CLASSES_ROOT\\Grid\\2.1]",
    "[HKEY_CURRENT_USER\\Grid]", "\"Where\"=\"user\""]})";
}

// The text read, or the status when the read fails.
std::string whereOf(Registry& registry, RootKey root, const std::string& path, std::uint32_t sam, RegView view) {
  const ValueRead read = readValue(registry, root, path, "Where", sam, view);
  if (read.status != 0) {
    return "status " + std::to_string(read.status);
  }
  const std::string text(read.data.begin(), read.data.end());
  return text.substr(0, text.find('\0'));
}

// The views of SOFTWARE on a 64-bit machine are the registry contract's
// rows; here the other roots, the 32-bit machine and the rights.
TEST(RegistryViews, EachMixOfRootPathViewAndRightsSeesItsKey) {
  constexpr std::uint32_t kAll = reg_access::kAllAccess;
  const struct {
    int bits;
    bool admin;
    RootKey root;
    const char* path;
    std::uint32_t sam;
    RegView view;
    const char* where;
  } cases[] = {
      // Outside SOFTWARE both views are one.
      {64, true, kHklm, "SYSTEM\\Grid", kRead, kOwn, "system"},
      {64, true, RootKey::ClassesRoot, "Grid", kRead, kOwn, "classes"},
      // A 32-bit machine has one view, whichever is asked for, and
      // Wow6432Node is just a key.
      {32, true, kHklm, "SOFTWARE\\Grid", kRead, kOwn, "64"},
      {32, true, kHklm, "SOFTWARE\\Grid", kRead, k64, "64"},
      {32, true, kHklm, "SOFTWARE\\Wow6432Node\\Grid", kRead, kOwn, "32"},
      // A user without administrator rights only reads below the machine's
      // roots; a missing key is reported before the refusal.
      {64, true, kHklm, "SYSTEM\\Grid", kAll, kOwn, "system"},
      {64, false, kHklm, "SOFTWARE\\Grid", kRead, k64, "64"},
      {64, false, RootKey::ClassesRoot, "Grid", 0x20019, kOwn, "classes"},  // KEY_READ
      {64, false, kHklm, "SYSTEM\\Grid", kAll, kOwn, "status 5"},
      {64, false, RootKey::CurrentUser, "Grid", kAll, kOwn, "user"},
      {64, false, RootKey::ClassesRoot, "Missing", kAll, kOwn, "status 2"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(std::to_string(c.bits) + "-bit " + c.path + " sam " + std::to_string(c.sam) +
                 (c.view == k64 ? " 64-bit view" : "") + (c.admin ? " admin" : " user"));
    auto machine = machineFrom(viewsProfile(c.bits, c.admin));
    EXPECT_EQ(whereOf(machine->registry(), c.root, c.path, c.sam, c.view), c.where);
  }
}

TEST(RegistryValues, AnsiCallsReportCodePageSizesAndData) {
  auto machine = machineFrom(R"({"registry": [
    "Windows Registry Editor Version 5.00", "[HKEY_CURRENT_USER\\Sizes]",
    "\"EmptyText\"=\"\"", "\"ZeroBytes\"=hex(1):", "\"Umlauts\"=\"Grüße €\"",
    "\"Greek\"=\"Ωκx\"", "\"OddTail\"=hex(1):61,00,62"]})");
  const struct {
    const char* name;
    RegType type;
    std::vector<std::uint8_t> data;
  } cases[] = {
      {"EmptyText", RegType::Sz, {0}},
      {"ZeroBytes", RegType::Sz, {}},
      {"Umlauts", RegType::Sz, bytesOf(std::string("Gr\xFC\xDF\x65 \x80\0", 8))},
      {"Greek", RegType::Sz, bytesOf(std::string("O?x\0", 4))},  // a best fit, then none
      {"OddTail", RegType::Sz, bytesOf("a")},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const ValueRead read = readValue(machine->registry(), RootKey::CurrentUser, "Sizes", c.name);
    ASSERT_EQ(read.status, 0);
    EXPECT_EQ(read.type, c.type);
    EXPECT_EQ(read.data, c.data);
  }
}

TEST(RegistryAccess, HandlesAnswerLikeWindowsHandles) {
  auto machine = machineFrom(viewsProfile(64));
  Registry& registry = machine->registry();
  RegType type = RegType::None;
  std::uint32_t size = 0;

  RegHandle enumerateOnly = 0;
  ASSERT_EQ(registry.openKey(RootKey::ClassesRoot, "Grid", reg_access::kEnumerateSubKeys, kOwn, enumerateOnly), 0);
  EXPECT_EQ(registry.queryValueInfo(enumerateOnly, "Where", type, size), 5);
  EXPECT_EQ(registry.closeKey(enumerateOnly), 0);
  EXPECT_EQ(registry.closeKey(enumerateOnly), 6);
  EXPECT_EQ(registry.queryValueInfo(enumerateOnly, "Where", type, size), 6);

  RegHandle doomed = 0;
  ASSERT_EQ(registry.openKey(RootKey::CurrentUser, "Grid", kRead, kOwn, doomed), 0);
  EXPECT_EQ(registry.deleteKeyTree(static_cast<RegHandle>(RootKey::CurrentUser), "Grid"), 0);
  EXPECT_EQ(registry.queryValueInfo(doomed, "Where", type, size), 1018);
  EXPECT_EQ(registry.closeKey(doomed), 0);
}

// Deleting below an open key is the registry contract's and the key
// removal's; a user cannot delete below a root of the machine's at all.
TEST(RegistryDelete, AUserCannotDeleteBelowAMachineRoot) {
  auto user = machineFrom(viewsProfile(64, false));
  EXPECT_EQ(user->registry().deleteKeyTree(static_cast<RegHandle>(RootKey::ClassesRoot), "Grid"), 5);
  EXPECT_EQ(registryOf(*user), registryOf(*machineFrom(viewsProfile(64, false))));
}

}  // namespace
}  // namespace ocx::sim::test
