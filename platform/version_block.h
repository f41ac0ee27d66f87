// A file's version resource as GetFileVersionInfo hands it out: the
// VS_VERSIONINFO block holding a VS_FIXEDFILEINFO, and the reading of that
// record the way VerQueryValue(block, "\") finds it. OS-free: the simulated
// machine builds such blocks, and both bindings' callers can test them.
#pragma once

#include <cstdint>
#include <span>
#include <vector>

#include "platform/version_info.h"

namespace ocx {

// The fixed record of a 32-bit DLL whose file and product version is
// major.minor.build.revision.
FixedFileInfo fixedFileInfoForVersion(std::uint16_t major, std::uint16_t minor, std::uint16_t build,
                                      std::uint16_t revision);

// A VS_VERSIONINFO block (UTF-16 keys) with `info` as its value and a
// VarFileInfo naming German, code page 1252.
std::vector<std::uint8_t> buildVersionBlock(const FixedFileInfo& info);

// The record at the root of `block`: false when the block is malformed,
// carries no record, or the record lacks its signature; `info` is then
// untouched.
bool readRootBlock(std::span<const std::uint8_t> block, FixedFileInfo& info);

}  // namespace ocx
