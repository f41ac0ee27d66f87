// The reader must refuse damaged files rather than read past their end or
// loop, since a broken build output is exactly what it is there to catch.
#include "tools/pe-inspect/pe_image.h"

#include <gtest/gtest.h>

#include <stdexcept>

namespace ocx::inspect {
namespace {

std::vector<std::uint8_t> mzHeaderPointingTo(std::uint32_t peOffset, std::size_t size) {
  std::vector<std::uint8_t> bytes(size, 0);
  bytes[0] = 'M';
  bytes[1] = 'Z';
  bytes[0x3c] = static_cast<std::uint8_t>(peOffset);
  bytes[0x3d] = static_cast<std::uint8_t>(peOffset >> 8);
  return bytes;
}

TEST(PeImage, RejectsDamagedHeaders) {
  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
  } rows[] = {
      {"shorter than a DOS header", {'M', 'Z', 0, 0}},
      {"no MZ", std::vector<std::uint8_t>(0x80, 0)},
      {"PE header offset past the end", mzHeaderPointingTo(0x4000, 0x80)},
      {"no PE signature", mzHeaderPointingTo(0x40, 0x80)},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.what);
    EXPECT_THROW(PeImage{row.bytes}, std::runtime_error);
  }
}

std::vector<std::uint8_t> words(std::initializer_list<std::uint16_t> values) {
  std::vector<std::uint8_t> bytes;
  for (const std::uint16_t v : values) {
    bytes.push_back(static_cast<std::uint8_t>(v));
    bytes.push_back(static_cast<std::uint8_t>(v >> 8));
  }
  return bytes;
}

TEST(VersionResource, ReadsNestedNodesAndRejectsOverruns) {
  // "A" holding one text child "B" = "x": each a 12-byte header with its
  // padded key, the child's value "x" with its NUL after.
  const std::vector<std::uint8_t> good = words({28, 0, 1, 'A', 0, 0, /* child */ 16, 1, 1, 'B', 0, 0, 'x', 0});
  const VersionNode root = parseVersionResource(good);
  EXPECT_EQ(root.key, u"A");
  ASSERT_EQ(root.children.size(), 1u);
  EXPECT_EQ(root.children[0].key, u"B");
  EXPECT_EQ(root.children[0].text(), u"x");

  const struct {
    const char* what;
    std::vector<std::uint8_t> bytes;
  } bad[] = {
      {"node longer than the data", words({64, 0, 1, 'A', 0, 0})},
      {"value longer than its node", words({12, 8, 0, 'A', 0, 0})},
      {"child of length zero", words({20, 0, 1, 'A', 0, 0, 0, 0, 0, 0})},
      {"key without its NUL", words({8, 0, 1, 'A'})},
  };
  for (const auto& row : bad) {
    SCOPED_TRACE(row.what);
    EXPECT_THROW(static_cast<void>(parseVersionResource(row.bytes)), std::runtime_error);
  }
}

}  // namespace
}  // namespace ocx::inspect
