#include "platform/sim/registry_store.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace ocx::sim {
namespace {

// Spellings that name the same key or value, across the point where a
// key's lists get an index.
std::vector<std::pair<std::string, std::string>> spellings(std::size_t count) {
  const char* stems[][2] = {{"Größe", "GRÖßE"}, {"Σημα", "ΣΗΜΑ"}, {"Ёлка", "ёЛКА"}, {"Control", "cONTROL"}};
  std::vector<std::pair<std::string, std::string>> names;
  for (std::size_t i = 0; i < count; ++i) {
    const auto& stem = stems[i % std::size(stems)];
    names.emplace_back(stem[0] + std::to_string(i), stem[1] + std::to_string(i));
  }
  return names;
}

TEST(RegistryStore, SubkeysAreFoundInAnyCaseBeforeAndAfterRemovals) {
  for (std::size_t count : {std::size_t{3}, NameIndex::kScanLimit, NameIndex::kScanLimit + 1, std::size_t{200}}) {
    SCOPED_TRACE(count);
    RegistryStore store;
    const auto names = spellings(count);
    for (const auto& [spelled, other] : names) {
      store.create(RootKey::CurrentUser, "Wide\\" + spelled + "\\Sub");
      // Naming it again in another case creates nothing.
      store.create(RootKey::CurrentUser, "wide\\" + other);
    }
    const auto wide = store.find(RootKey::CurrentUser, "WIDE");
    ASSERT_TRUE(wide);
    EXPECT_EQ(wide->sortedChildren().size(), count);
    for (std::size_t i = 0; i < count; i += 2) {
      ASSERT_TRUE(store.remove(RootKey::CurrentUser, "Wide\\" + names[i].second));
    }
    for (std::size_t i = 0; i < count; ++i) {
      const auto key = store.find(RootKey::CurrentUser, "wide\\" + names[i].second + "\\SUB");
      EXPECT_EQ(key != nullptr, i % 2 == 1) << names[i].first;
      if (key) {
        EXPECT_EQ(key->parent()->name(), names[i].first);
      }
    }
    // A removed key can be created anew, and is then found again.
    store.create(RootKey::CurrentUser, "Wide\\" + names[0].second);
    EXPECT_TRUE(store.find(RootKey::CurrentUser, "Wide\\" + names[0].first));
  }
}

TEST(RegistryStore, ValuesKeepTheirPlaceAndFirstSpellingInAnyCase) {
  for (std::size_t count : {std::size_t{3}, NameIndex::kScanLimit + 1, std::size_t{100}}) {
    SCOPED_TRACE(count);
    RegKeyNode key("K", nullptr);
    const auto names = spellings(count);
    for (const auto& [spelled, other] : names) {
      key.setValue(spelled, RegType::Dword, {1});
    }
    for (const auto& [spelled, other] : names) {
      key.setValue(other, RegType::Binary, {2});
    }
    key.removeValue(names[1].second);
    key.setValue(names[1].first, RegType::Binary, {3});
    ASSERT_EQ(key.values().size(), count);
    for (std::size_t i = 0; i + 1 < count; ++i) {
      const std::size_t original = i == 0 ? 0 : i + 1;
      EXPECT_EQ(key.values()[i].name, names[original].first);
      EXPECT_EQ(key.values()[i].data, std::vector<std::uint8_t>{2});
    }
    EXPECT_EQ(key.values().back().name, names[1].first);
    ASSERT_NE(key.value(names[count - 1].second), nullptr);
    EXPECT_EQ(key.value(names[1].second)->data, std::vector<std::uint8_t>{3});
    EXPECT_EQ(key.value("missing"), nullptr);
  }
}

}  // namespace
}  // namespace ocx::sim
