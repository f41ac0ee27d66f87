#include "platform/version_block.h"

#include <gtest/gtest.h>

namespace ocx {
namespace {

TEST(VersionBlock, RootRecordReadsBackFromTheBlock) {
  const FixedFileInfo written = fixedFileInfoForVersion(6, 1, 98, 34);
  const auto block = buildVersionBlock(written);
  // wLength covers the whole block; the record follows the padded key.
  EXPECT_EQ(block[0] | (block[1] << 8), static_cast<int>(block.size()));
  EXPECT_EQ(block[40] | (block[41] << 8) | (block[42] << 16) | (block[43] << 24),
            static_cast<int>(FixedFileInfo::kSignature));
  FixedFileInfo read;
  ASSERT_TRUE(readRootBlock(block, read));
  EXPECT_EQ(read.fileVersionMS, 0x00060001u);
  EXPECT_EQ(read.fileVersionLS, 0x00620022u);
  EXPECT_EQ(read.productVersionLS, written.productVersionLS);
  EXPECT_EQ(read.fileType, written.fileType);
}

TEST(VersionBlock, MalformedBlocksGiveNoRecordAndLeaveItAlone) {
  const auto good = buildVersionBlock(fixedFileInfoForVersion(1, 2, 3, 4));
  struct Case {
    const char* what;
    std::vector<std::uint8_t> block;
  };
  std::vector<Case> cases = {
      {"empty", {}},
      {"cut inside the record", {good.begin(), good.begin() + 60}},
      {"length beyond the block", good},
      {"other key", good},
      {"no record", good},
      {"no signature", good},
  };
  cases[2].block[0] = 0xFF;
  cases[2].block[1] = 0xFF;
  cases[3].block[6] = 'X';
  cases[4].block[2] = 0;
  cases[5].block[40] = 0;
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FixedFileInfo info;
    info.fileVersionMS = 0x12345678;
    EXPECT_FALSE(readRootBlock(c.block, info));
    EXPECT_EQ(info.fileVersionMS, 0x12345678u);
  }
}

}  // namespace
}  // namespace ocx
