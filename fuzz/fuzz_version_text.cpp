// The version text of arbitrary version records. Two ways in, chosen by the
// first byte: any bytes as the version block a file hands out, read by the
// platform's block parser; or any 52-byte record, put into a well-formed
// block that must give the same record back. Either way GetFileVersionString
// must give the empty text or the text its file-version fields prescribe.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "app/sim/sim_session.h"
#include "fix/mod_bugfix.h"
#include "fuzz_check.h"
#include "platform/version_block.h"

namespace {

// A file whose version block is whatever the input says.
class FuzzedVersionInfo final : public ocx::VersionInfo {
 public:
  std::vector<std::uint8_t> block;

  std::uint32_t fileVersionInfoSize(const std::string&) override { return static_cast<std::uint32_t>(block.size()); }
  bool fileVersionInfo(const std::string&, std::uint32_t size, std::vector<std::uint8_t>& out) override {
    if (size < block.size()) return false;
    out.assign(block.begin(), block.end());
    return true;
  }
  bool queryRootBlock(const std::vector<std::uint8_t>& in, ocx::FixedFileInfo& info) override {
    return ocx::readRootBlock(in, info);
  }
};

std::string padded(std::int32_t number, int digits) {
  std::string text = std::to_string(number < 0 ? -static_cast<std::int64_t>(number) : number);
  if (static_cast<int>(text.size()) < digits) text.insert(0, digits - text.size(), '0');
  return number < 0 ? "-" + text : text;
}

// The text of a record: major, minor with two digits, then either the third
// and fourth parts with two digits each or, when the low field is not
// positive, that field with four.
std::string expectedText(const ocx::FixedFileInfo& info) {
  const auto high = static_cast<std::int32_t>(info.fileVersionMS);
  const auto low = static_cast<std::int32_t>(info.fileVersionLS);
  std::string text = std::to_string(high >> 16) + "." + padded(static_cast<std::int16_t>(high & 0xFFFF), 2) + ".";
  if (low <= 0) return text + padded(low, 4);
  return text + padded(low >> 16, 2) + "." + padded(static_cast<std::int16_t>(low & 0xFFFF), 2);
}

struct Fixture {
  std::unique_ptr<ocx::sim::Session> session = std::make_unique<ocx::sim::Session>(ocx::sim::Machine::createDefault());
  FuzzedVersionInfo versions;
  ocx::Platform platform{session->machine().registry(),  session->window(),
                         session->machine().files(),     versions,
                         session->machine().shell(),     session->machine().resources(),
                         session->machine().processes(), session->machine().os(),
                         session->machine().clock()};
  ocx::modBugfix bugfix{platform};
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  static Fixture fixture;
  if (size == 0) return 0;
  const bool wellFormed = (data[0] & 1) != 0;
  ocx::FixedFileInfo record;
  bool hasRecord = false;
  if (wellFormed) {
    if (size < 1 + sizeof record) return 0;
    std::memcpy(&record, data + 1, sizeof record);
    record.signature = ocx::FixedFileInfo::kSignature;
    fixture.versions.block = ocx::buildVersionBlock(record);
    ocx::FixedFileInfo back;
    ocx::fuzz::require(ocx::readRootBlock(fixture.versions.block, back), "a built block has its record");
    ocx::fuzz::require(std::memcmp(&back, &record, sizeof record) == 0, "a built block keeps its record");
    hasRecord = true;
  } else {
    fixture.versions.block.assign(data + 1, data + size);
    hasRecord = ocx::readRootBlock(fixture.versions.block, record);
  }

  const std::string text = fixture.bugfix.GetFileVersionString("C:\\Windows\\SysWOW64\\MSCOMCTL.OCX");
  if (hasRecord) {
    ocx::fuzz::require(text == expectedText(record), "the text follows the record's file version");
  } else {
    ocx::fuzz::require(text.empty(), "no record, no text");
  }
  return 0;
}
