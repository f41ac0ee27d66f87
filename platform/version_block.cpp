#include "platform/version_block.h"

#include <string_view>

namespace ocx {

namespace {

constexpr std::u16string_view kRootKey = u"VS_VERSION_INFO";
constexpr std::uint16_t kBinaryValue = 0;
constexpr std::uint16_t kTextValue = 1;

void putWord(std::vector<std::uint8_t>& out, std::size_t at, std::uint16_t word) {
  out[at] = static_cast<std::uint8_t>(word & 0xFF);
  out[at + 1] = static_cast<std::uint8_t>(word >> 8);
}

void appendWord(std::vector<std::uint8_t>& out, std::uint16_t word) {
  out.push_back(static_cast<std::uint8_t>(word & 0xFF));
  out.push_back(static_cast<std::uint8_t>(word >> 8));
}

void appendDword(std::vector<std::uint8_t>& out, std::uint32_t dword) {
  appendWord(out, static_cast<std::uint16_t>(dword & 0xFFFF));
  appendWord(out, static_cast<std::uint16_t>(dword >> 16));
}

void alignTo4(std::vector<std::uint8_t>& out) {
  while (out.size() % 4 != 0) {
    out.push_back(0);
  }
}

// Starts a node (wLength filled in by closeNode): header, key, padding.
std::size_t openNode(std::vector<std::uint8_t>& out, std::uint16_t valueLength, std::uint16_t type,
                     std::u16string_view key) {
  alignTo4(out);
  const std::size_t start = out.size();
  appendWord(out, 0);
  appendWord(out, valueLength);
  appendWord(out, type);
  for (char16_t unit : key) {
    appendWord(out, unit);
  }
  appendWord(out, 0);
  alignTo4(out);
  return start;
}

void closeNode(std::vector<std::uint8_t>& out, std::size_t start) {
  putWord(out, start, static_cast<std::uint16_t>(out.size() - start));
}

std::uint16_t wordAt(std::span<const std::uint8_t> block, std::size_t at) {
  return static_cast<std::uint16_t>(block[at] | (block[at + 1] << 8));
}

std::uint32_t dwordAt(std::span<const std::uint8_t> block, std::size_t at) {
  return wordAt(block, at) | (static_cast<std::uint32_t>(wordAt(block, at + 2)) << 16);
}

}  // namespace

FixedFileInfo fixedFileInfoForVersion(std::uint16_t major, std::uint16_t minor, std::uint16_t build,
                                      std::uint16_t revision) {
  FixedFileInfo info;
  info.signature = FixedFileInfo::kSignature;
  info.strucVersion = 0x00010000;
  info.fileVersionMS = (static_cast<std::uint32_t>(major) << 16) | minor;
  info.fileVersionLS = (static_cast<std::uint32_t>(build) << 16) | revision;
  info.productVersionMS = info.fileVersionMS;
  info.productVersionLS = info.fileVersionLS;
  info.fileFlagsMask = 0x3F;
  info.fileOS = 0x00040004;  // VOS_NT_WINDOWS32
  info.fileType = 2;         // VFT_DLL
  return info;
}

std::vector<std::uint8_t> buildVersionBlock(const FixedFileInfo& info) {
  std::vector<std::uint8_t> out;
  const std::size_t root = openNode(out, sizeof(FixedFileInfo), kBinaryValue, kRootKey);
  for (std::uint32_t field : {info.signature, info.strucVersion, info.fileVersionMS, info.fileVersionLS,
                              info.productVersionMS, info.productVersionLS, info.fileFlagsMask, info.fileFlags,
                              info.fileOS, info.fileType, info.fileSubtype, info.fileDateMS, info.fileDateLS}) {
    appendDword(out, field);
  }
  const std::size_t varFileInfo = openNode(out, 0, kTextValue, u"VarFileInfo");
  const std::size_t translation = openNode(out, 4, kBinaryValue, u"Translation");
  appendWord(out, 0x0407);
  appendWord(out, 1252);
  closeNode(out, translation);
  closeNode(out, varFileInfo);
  closeNode(out, root);
  return out;
}

bool readRootBlock(std::span<const std::uint8_t> block, FixedFileInfo& info) {
  if (block.size() < 6) {
    return false;
  }
  const std::size_t length = wordAt(block, 0);
  const std::size_t valueLength = wordAt(block, 2);
  if (length > block.size() || length < 6) {
    return false;
  }
  std::size_t at = 6;
  for (char16_t unit : kRootKey) {
    if (at + 2 > length || wordAt(block, at) != unit) {
      return false;
    }
    at += 2;
  }
  if (at + 2 > length || wordAt(block, at) != 0) {
    return false;
  }
  at = (at + 2 + 3) & ~std::size_t{3};
  if (valueLength < sizeof(FixedFileInfo) || at + sizeof(FixedFileInfo) > length) {
    return false;
  }
  if (dwordAt(block, at) != FixedFileInfo::kSignature) {
    return false;
  }
  std::uint32_t fields[13];
  for (std::size_t i = 0; i < 13; ++i) {
    fields[i] = dwordAt(block, at + 4 * i);
  }
  info = FixedFileInfo{fields[0], fields[1], fields[2], fields[3],  fields[4],  fields[5], fields[6],
                       fields[7], fields[8], fields[9], fields[10], fields[11], fields[12]};
  return true;
}

}  // namespace ocx
