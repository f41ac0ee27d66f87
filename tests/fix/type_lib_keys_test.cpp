#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "fix/control_names.h"
#include "fix/mod_bugfix.h"
#include "sim_platform.h"

namespace ocx {
namespace {

using control_names::kTypeLib20Key;
using control_names::kTypeLib21Key;

// Passes every call to the simulated registry and notes how keys were opened,
// which the simulated registry cannot show for keys outside SOFTWARE.
class RecordingRegistry : public Registry {
 public:
  explicit RecordingRegistry(Registry& inner) : inner_(inner) {}
  struct Open {
    std::string subKey;
    std::uint32_t sam;
  };
  std::vector<Open> opens;
  int openKeys = 0;

  RegStatus openKey(RootKey root, const std::string& subKey, std::uint32_t sam, RegHandle& key) override {
    opens.push_back({subKey, sam});
    return counted(inner_.openKey(root, subKey, sam, key));
  }
  RegStatus openSubKey(RegHandle parent, const std::string& subKey, std::uint32_t sam, RegHandle& key) override {
    return counted(inner_.openSubKey(parent, subKey, sam, key));
  }
  RegStatus queryValueInfo(RegHandle key, const std::string& name, std::uint32_t& type, std::uint32_t& size) override {
    return inner_.queryValueInfo(key, name, type, size);
  }
  RegStatus queryValue(RegHandle key, const std::string& name, std::uint32_t& type, std::span<std::uint8_t> buffer,
                       std::uint32_t& size) override {
    return inner_.queryValue(key, name, type, buffer, size);
  }
  RegStatus closeKey(RegHandle key) override {
    --openKeys;
    return inner_.closeKey(key);
  }
  RegStatus deleteKeyTree(RegHandle parent, const std::string& child) override {
    return inner_.deleteKeyTree(parent, child);
  }

  // The rights of the opens of `subKey`, in order.
  std::vector<std::uint32_t> samsFor(const std::string& subKey) const {
    std::vector<std::uint32_t> sams;
    for (const auto& open : opens) {
      if (open.subKey == subKey) sams.push_back(open.sam);
    }
    return sams;
  }

 private:
  RegStatus counted(RegStatus status) {
    if (status == 0) ++openKeys;
    return status;
  }
  Registry& inner_;
};

struct Recorded {
  explicit Recorded(const std::string& profile) : sim(profile), registry(sim.machine().registry()) {}
  test::SimPlatform sim;
  RecordingRegistry registry;
  Platform platform{registry,
                    sim.window(),
                    sim.machine().files(),
                    sim.machine().versions(),
                    sim.machine().shell(),
                    sim.machine().resources(),
                    sim.machine().processes(),
                    sim.machine().os(),
                    sim.machine().clock()};
};

constexpr char kKeys[] =
    R"("registry": "REGEDIT4\r\n\r\n[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\)";

std::string withKeys(const std::string& os, const std::string& keyLines) {
  return "{\"os\": " + os + ", " + kKeys + keyLines + "\"}";
}

TEST(TypeLibExists, OpensTheExactVersionKeyForReadingInThe64BitViewOn64BitWindows) {
  const std::string only20 = R"(2.0]\r\n)";
  const std::string both = R"(2.0]\r\n[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1]\r\n)";
  const std::string only21 = R"(2.1]\r\n@=\"x\"\r\n)";
  const struct {
    const char* name;
    std::string profile;
    bool has20, has21;
    std::uint32_t sam;
  } rows[] = {
      {"64-bit, both keys", "{}", true, true, 0x119},
      {"32-bit, both, empty keys", withKeys(R"({"bits": 32})", both), true, true, 0x19},
      {"64-bit, only 2.0", withKeys("{}", only20), true, false, 0x119},
      {"32-bit, only 2.1", withKeys(R"({"bits": 32})", only21), false, true, 0x19},
      {"2.0 refused", R"({"faults": [{"op": "reg_open", "error": 5,
          "path": "HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0"}]})",
       false, true, 0x119},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Recorded rec(row.profile);
    modBugfix fix(rec.platform);
    EXPECT_EQ(fix.TypeLib20Exists(), row.has20);
    EXPECT_EQ(fix.TypeLib21Exists(), row.has21);
    EXPECT_EQ(rec.registry.samsFor(kTypeLib20Key), std::vector<std::uint32_t>{row.sam});
    EXPECT_EQ(rec.registry.samsFor(kTypeLib21Key), std::vector<std::uint32_t>{row.sam});
    EXPECT_EQ(rec.registry.openKeys, 0);
  }
}

TEST(DeleteRegistryKey, RemovesTheChildWithItsSubtreeBelowTheParent) {
  const std::string tree =
      R"(2.0\\0\\win32]\r\n@=\"C:\\\\x.ocx\"\r\n[HKEY_CLASSES_ROOT\\Stray\\Inner]\r\n[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1]\r\n)";
  const struct {
    const char* name;
    std::string profile, keyPath, parentOpened;
    std::vector<std::string> gone, kept;
  } rows[] = {
      {"the 2.0 key",
       withKeys("{}", tree),
       kTypeLib20Key,
       control_names::kTypeLibKey,
       {kTypeLib20Key},
       {kTypeLib21Key, "Stray\\Inner"}},
      {"no backslash", withKeys("{}", tree), "Stray", "", {"Stray"}, {kTypeLib20Key, kTypeLib21Key}},
      {"missing child", withKeys("{}", tree), "TypeLib\\Nothing", "TypeLib", {}, {kTypeLib20Key, kTypeLib21Key}},
      {"missing parent", withKeys("{}", tree), "Nowhere\\2.0", "Nowhere", {}, {kTypeLib20Key, "Stray"}},
      {"no administrator",
       withKeys("{}", tree).insert(1, R"("admin": false, )"),
       kTypeLib20Key,
       control_names::kTypeLibKey,
       {},
       {kTypeLib20Key}},
      {"deletion fails",
       withKeys("{}", tree).insert(1, R"("faults": [{"op": "reg_delete", "error": 5}], )"),
       kTypeLib20Key,
       control_names::kTypeLibKey,
       {},
       {kTypeLib20Key}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.name);
    Recorded rec(row.profile);
    modBugfix fix(rec.platform);
    fix.DeleteRegistryKey(row.keyPath, RootKey::ClassesRoot);
    ASSERT_EQ(rec.registry.opens.size(), 1u);
    EXPECT_EQ(rec.registry.opens[0].subKey, row.parentOpened);
    EXPECT_EQ(rec.registry.opens[0].sam, 0xF003Fu);
    EXPECT_EQ(rec.registry.openKeys, 0);
    for (const auto& key : row.gone) EXPECT_FALSE(rec.sim.classesKeyExists(key)) << key;
    for (const auto& key : row.kept) EXPECT_TRUE(rec.sim.classesKeyExists(key)) << key;
  }
}

}  // namespace
}  // namespace ocx
