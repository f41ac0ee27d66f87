#include "tests/contract/registry_contract_cases.h"

#include <cstdio>
#include <string>

namespace ocx::contract {
namespace {

constexpr std::uint32_t kRead = reg_access::kReadValues;
constexpr RootKey kHklm = RootKey::LocalMachine;
constexpr RegHandle kSentinelKey = 0x5a5a5a5a;

// A type as the tables write it: its number.
std::string typeNumber(RegType type) {
  return std::to_string(static_cast<std::uint32_t>(type));
}

std::vector<std::uint8_t> utf16(std::u16string_view text) {
  std::vector<std::uint8_t> bytes;
  for (const char16_t unit : text) {
    bytes.push_back(static_cast<std::uint8_t>(unit & 0xFF));
    bytes.push_back(static_cast<std::uint8_t>(unit >> 8));
  }
  return bytes;
}

std::string hex(const std::uint8_t* data, std::size_t size) {
  std::string text;
  for (std::size_t i = 0; i < size; ++i) {
    char byte[4];
    std::snprintf(byte, sizeof byte, " %02x", data[i]);
    text += byte;
  }
  return text;
}

// The scratch key opened in the 32-bit view into `key`; a failed open
// leaves no handle, which the calls on it then refuse.
RegHandle openScratch(Registry& registry, RegKey& key, std::uint32_t sam = kRead) {
  static_cast<void>(key.open(registry, kHklm, kScratchKey, sam, RegView::Default));
  return key.get();
}

// Reads "Text" into a buffer of `bytes` bytes filled with 0xAA, telling
// the status, the size and type reported, and what the buffer holds after.
std::string readTextInto(Registry& registry, std::size_t bytes) {
  RegKey key;
  std::vector<std::uint8_t> buffer(bytes, 0xAA);
  auto type = static_cast<RegType>(99);
  auto size = static_cast<std::uint32_t>(bytes);
  const RegStatus status = registry.queryValue(openScratch(registry, key), "Text", type, buffer, size);
  return std::to_string(status) + " size " + std::to_string(size) + " type " + typeNumber(type) + " buffer" +
         hex(buffer.data(), buffer.size());
}

std::string path(const char* below) {
  return std::string(kScratchKey) + (*below != '\0' ? "\\" : "") + below;
}

// "TYPE: bytes" as the "A" calls read the value of an open key, or
// "status N" for the first step that fails: ask for the size, read exactly
// that size.
std::string readOpen(Registry& registry, RegHandle key, const char* name) {
  RegType type = RegType::None;
  std::uint32_t size = 0;
  if (const RegStatus status = registry.queryValueInfo(key, name, type, size); status != 0) {
    return "status " + std::to_string(status);
  }
  std::vector<std::uint8_t> data(size);
  if (const RegStatus status = registry.queryValue(key, name, type, data, size); status != 0) {
    return "status " + std::to_string(status);
  }
  return typeNumber(type) + ":" + hex(data.data(), size);
}

// The same, opening HKEY_LOCAL_MACHINE\keyPath first.
std::string read(Registry& registry, const std::string& keyPath, const char* name, RegView view = RegView::Default) {
  RegKey key;
  if (const RegStatus status = key.open(registry, kHklm, keyPath, kRead, view); status != 0) {
    return "status " + std::to_string(status);
  }
  return readOpen(registry, key.get(), name);
}

// The same below a key opened in `view`: HKEY_LOCAL_MACHINE\parentPath,
// then `child` below that handle.
std::string readBelow(Registry& registry, const char* parentPath, RegView view, const char* child, const char* name) {
  RegKey parent;
  if (const RegStatus status = parent.open(registry, kHklm, parentPath, kRead, view); status != 0) {
    return "status " + std::to_string(status);
  }
  RegHandle key = 0;
  if (const RegStatus status = registry.openSubKey(parent.get(), child, kRead, key); status != 0) {
    return "status " + std::to_string(status);
  }
  const RegKey opened(registry, key);
  return readOpen(registry, opened.get(), name);
}

struct RegistryCase {
  const char* what;
  std::string (*ask)(Registry& registry);
  const char* expected;
};

const RegistryCase kCases[] = {
    // Views: a 32-bit process sees Wow6432Node as SOFTWARE unless it asks
    // for the 64-bit view, key by key.
    {"the 32-bit view by default", [](Registry& r) { return read(r, kScratchKey, "Where"); }, "1: 33 32 00"},
    {"the 64-bit view when asked", [](Registry& r) { return read(r, kScratchKey, "Where", RegView::Wow64_64); },
     "1: 36 34 00"},
    {"Wow6432Node names the 32-bit view",
     [](Registry& r) { return read(r, "SOFTWARE\\Wow6432Node\\OcxmedicContract", "Where"); }, "1: 33 32 00"},
    {"names compare without regard to case",
     [](Registry& r) { return read(r, "software\\OCXMEDICcontract", "WHERE", RegView::Wow64_64); }, "1: 36 34 00"},
    {"a key of the 64-bit view alone is missing in the 32-bit one",
     [](Registry& r) { return read(r, path("Only64"), "Where"); }, "status 2"},
    {"and there in the 64-bit one", [](Registry& r) { return read(r, path("Only64"), "Where", RegView::Wow64_64); },
     "1: 36 34 00"},
    {"a missing key leaves the out key as it was",
     [](Registry& r) {
       RegHandle key = kSentinelKey;
       const RegStatus status = r.openKey(kHklm, path("Missing"), kRead, RegView::Default, key);
       return std::to_string(status) + (key == kSentinelKey ? " untouched" : " changed");
     },
     "2 untouched"},

    // A key opened below an open key is in its parent's view. Wine carries
    // the view from a handle of SOFTWARE or below to the opens below it, so
    // there only a parent above SOFTWARE shows whether the binding passes
    // the view on.
    {"below HKEY_LOCAL_MACHINE of the 32-bit view",
     [](Registry& r) { return readBelow(r, "", RegView::Default, kScratchKey, "Where"); }, "1: 33 32 00"},
    {"below HKEY_LOCAL_MACHINE of the 64-bit view",
     [](Registry& r) { return readBelow(r, "", RegView::Wow64_64, kScratchKey, "Where"); }, "1: 36 34 00"},
    {"a key of the 64-bit view alone, below its parent of that view",
     [](Registry& r) { return readBelow(r, kScratchKey, RegView::Wow64_64, "Only64", "Where"); }, "1: 36 34 00"},
    {"and not below its parent of the 32-bit view",
     [](Registry& r) { return readBelow(r, kScratchKey, RegView::Default, "Only64", "Where"); }, "status 2"},

    // Types and the sizes of the "A" calls: text in code-page bytes.
    {"text with its NUL", [](Registry& r) { return read(r, kScratchKey, "Text"); }, "1: 61 62 63 00"},
    {"text stored without a NUL comes back without one", [](Registry& r) { return read(r, kScratchKey, "NoNul"); },
     "1: 61 62"},
    {"umlauts in code page 1252", [](Registry& r) { return read(r, kScratchKey, "Umlauts"); }, "1: 47 72 fc df 65 00"},
    {"several texts", [](Registry& r) { return read(r, kScratchKey, "Multi"); }, "7: 61 00 62 00 00"},
    {"a number", [](Registry& r) { return read(r, kScratchKey, "Dword"); }, "4: fe ff ff ff"},
    {"no bytes at all", [](Registry& r) { return read(r, kScratchKey, "Empty"); }, "3:"},
    {"a type of no name, as stored", [](Registry& r) { return read(r, kScratchKey, "Unnamed"); }, "305419896: 01 02"},
    {"the default value", [](Registry& r) { return read(r, kScratchKey, ""); }, "1: 64 00"},
    {"a missing value leaves type and size as they were",
     [](Registry& r) {
       RegKey key;
       auto type = static_cast<RegType>(99);
       std::uint32_t size = 99;
       const RegStatus status = r.queryValueInfo(openScratch(r, key), "Missing", type, size);
       return std::to_string(status) + " type " + typeNumber(type) + " size " + std::to_string(size);
     },
     "2 type 99 size 99"},

    // A buffer too small: 234 with the size needed; type and buffer as they were.
    {"a buffer too small", [](Registry& r) { return readTextInto(r, 3); }, "234 size 4 type 99 buffer aa aa aa"},
    {"no buffer at all",
     [](Registry& r) {
       RegKey key;
       auto type = static_cast<RegType>(99);
       std::uint32_t size = 0;
       const RegStatus status = r.queryValue(openScratch(r, key), "Dword", type, {}, size);
       return std::to_string(status) + " size " + std::to_string(size);
     },
     "234 size 4"},
    {"a buffer larger than the data", [](Registry& r) { return readTextInto(r, 6); },
     "0 size 4 type 1 buffer 61 62 63 00 aa aa"},

    // Deleting a tree below an open key, in that key's view.
    {"deleting a missing child, then a tree with everything below",
     [](Registry& r) {
       RegKey parent;
       const RegHandle handle = openScratch(r, parent, reg_access::kAllAccess);
       const RegStatus missing = r.deleteKeyTree(handle, "Missing");
       const RegStatus tree = r.deleteKeyTree(handle, "Tree");
       return std::to_string(missing) + ", " + std::to_string(tree) + ", then " + read(r, path("Tree\\Leaf"), "Where") +
              ", " + read(r, path("Tree"), "Where") + ", the 64-bit view's " +
              read(r, path("Tree"), "Where", RegView::Wow64_64);
     },
     "2, 0, then status 2, status 2, the 64-bit view's 1: 36 34 00"},
};

}  // namespace

const std::vector<ScratchValue>& registryContractState() {
  static const std::vector<ScratchValue> state = {
      {false, "", "Where", RegType::Sz, utf16(std::u16string_view(u"32", 3))},
      {true, "", "Where", RegType::Sz, utf16(std::u16string_view(u"64", 3))},
      {true, "Only64", "Where", RegType::Sz, utf16(std::u16string_view(u"64", 3))},
      {false, "", "Text", RegType::Sz, utf16(std::u16string_view(u"abc", 4))},
      {false, "", "NoNul", RegType::Sz, utf16(u"ab")},
      {false, "", "Umlauts", RegType::Sz, utf16(std::u16string_view(u"Grüße", 6))},
      {false, "", "Multi", RegType::MultiSz, utf16(std::u16string_view(u"a\0b\0", 5))},
      {false, "", "Dword", RegType::Dword, {0xFE, 0xFF, 0xFF, 0xFF}},
      {false, "", "Empty", RegType::Binary, {}},
      {false, "", "Unnamed", static_cast<RegType>(0x12345678), {0x01, 0x02}},
      {false, "", "", RegType::Sz, utf16(std::u16string_view(u"d", 2))},
      {false, "Tree", "Where", RegType::Sz, utf16(std::u16string_view(u"t", 2))},
      {true, "Tree", "Where", RegType::Sz, utf16(std::u16string_view(u"64", 3))},
      {false, "Tree\\Leaf", "Where", RegType::Sz, utf16(std::u16string_view(u"l", 2))},
  };
  return state;
}

void checkRegistryContract(const std::function<Registry&()>& prepare, Checker& checker) {
  for (const RegistryCase& row : kCases) {
    CONTRACT_CHECK_EQ(checker, row.what, row.ask(prepare()), row.expected);
  }
}

}  // namespace ocx::contract
