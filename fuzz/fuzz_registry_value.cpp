// The OS information object's registry reader behind arbitrary stored
// values: every value it reads (owner data, install and shutdown times, the
// .NET Framework markers and details) is planted with fuzzed type and bytes,
// on a 32- or 64-bit, NT or 9x machine, and every member that reads the
// registry is asked. Nothing may throw, nothing in the registry may change,
// and the .NET answers must agree with each other.
//
// Input: one byte of machine flags, then records of a slot, a type, a length
// and that many data bytes.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <set>
#include <string>
#include <vector>

#include "app/sim/sim_session.h"
#include "fuzz_check.h"
#include "osinfo/cls_os_info.h"
#include "platform/sim/machine.h"

namespace {

struct Slot {
  const char* key;  // below HKEY_LOCAL_MACHINE
  const char* name;
};

constexpr Slot kSlots[] = {
    {"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOwner"},
    {"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOrganization"},
    {"SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion", "InstallDate"},
    {"SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOwner"},
    {"SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion", "RegisteredOrganization"},
    {"SOFTWARE\\Wow6432Node\\Microsoft\\Windows NT\\CurrentVersion", "InstallDate"},
    {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "RegisteredOwner"},
    {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "RegisteredOrganization"},
    {"SOFTWARE\\Microsoft\\Windows\\CurrentVersion", "FirstInstallDateTime"},
    {"SYSTEM\\CurrentControlSet\\Control\\Windows", "ShutdownTime"},
    {"SOFTWARE\\Microsoft\\.NETFramework\\policy\\v1.0", "3705"},
    {"SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{78705f0d-e8db-4b2d-8193-982bdda15ecd}", "Version"},
    {"SOFTWARE\\Microsoft\\Active Setup\\Installed Components\\{FDC11A6F-17D1-48f9-9EA3-9051954BAA24}", "Version"},
    {"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v1.1.4322", "Install"},
    {"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v1.1.4322", "SP"},
    {"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v2.0.50727", "Install"},
    {"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v2.0.50727", "SP"},
    {"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v2.0.50727", "Increment"},
    {"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.0\\Setup", "InstallSuccess"},
    {"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.0", "SP"},
    {"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.0", "Version"},
    {"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.5", "Install"},
    {"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.5", "SP"},
    {"SOFTWARE\\Microsoft\\NET Framework Setup\\NDP\\v3.5", "Version"},
};
constexpr std::size_t kSlotCount = sizeof(kSlots) / sizeof(kSlots[0]);

// One value line: "name"=hex(t):.. carries any of the types 0 to 11 with any
// bytes, as regedit writes values it has no better form for.
std::string valueLine(const Slot& slot, unsigned type, const std::uint8_t* bytes, std::size_t length) {
  char head[16];
  std::snprintf(head, sizeof head, "hex(%x):", type);
  std::string line = std::string("\"") + slot.name + "\"=" + head;
  for (std::size_t i = 0; i < length; ++i) {
    char hex[4];
    std::snprintf(hex, sizeof hex, i == 0 ? "%02x" : ",%02x", bytes[i]);
    line += hex;
  }
  return line;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ocx;
  if (size == 0) return 0;
  const std::uint8_t flags = data[0];
  nlohmann::json lines = nlohmann::json::array({"Windows Registry Editor Version 5.00", ""});
  std::size_t at = 1;
  while (at + 3 <= size) {
    const Slot& slot = kSlots[data[at] % kSlotCount];
    const unsigned type = data[at + 1] % 12;
    const std::size_t length = std::min<std::size_t>(data[at + 2], size - at - 3);
    lines.push_back(std::string("[HKEY_LOCAL_MACHINE\\") + slot.key + "]");
    lines.push_back(valueLine(slot, type, data + at + 3, length));
    lines.push_back("");
    at += 3 + length;
  }

  nlohmann::json profile;
  profile["os"]["bits"] = (flags & 1) != 0 ? 64 : 32;
  if ((flags & 2) != 0) {
    // Windows 98 SE: the owner data and the install date live elsewhere.
    profile["os"]["platform"] = 1;
    profile["os"]["major"] = 4;
    profile["os"]["minor"] = 10;
    profile["os"]["build"] = 2222;
  }
  profile["clock"] = {{"now", "2012-08-20 14:05:09"}, {"utc_offset_minutes", 120}};
  profile["registry"] = lines;

  std::unique_ptr<sim::Machine> machine;
  try {
    machine = sim::Machine::fromProfileText(profile.dump(), "fuzz.json");
  } catch (const sim::ProfileError&) {
    // Every line written above is of a form regedit writes.
    fuzz::require(false, "the planted registry text is accepted");
  }
  sim::Session session(std::move(machine));
  const std::string before = session.machine().toJson()["registry"].get<std::string>();

  clsOSInfo info(session.platform());
  static_cast<void>(info.Organization());
  static_cast<void>(info.RegisteredUser());
  static_cast<void>(info.ToString());
  static_cast<void>(info.InstallDate());
  static_cast<void>(info.LastBootTime());
  static_cast<void>(info.LastShutdownTime());
  const std::vector<std::int32_t> versions = info.NETFrameworkVersions();
  const std::set<std::int32_t> distinct(versions.begin(), versions.end());
  fuzz::require(distinct.size() == versions.size() && versions.size() <= 5, "each framework listed once");
  for (const std::int32_t code : {1, 2, 4, 8, 16}) {
    const bool listed = distinct.contains(code);
    fuzz::require(info.NETFrameworkInstalled(code) == listed, "installed agrees with the list");
    if (!listed) {
      fuzz::require(info.NETFrameworkServicePack(code) == 0, "no service pack for a missing framework");
      fuzz::require(info.NETFrameworkVersion(code).empty(), "no version for a missing framework");
    } else {
      static_cast<void>(info.NETFrameworkVersion(code));
    }
  }
  fuzz::require(info.NETFrameworkInstalled() == !versions.empty(), "any framework agrees with the list");

  fuzz::require(session.machine().toJson()["registry"].get<std::string>() == before, "reading changes nothing");
  return 0;
}
