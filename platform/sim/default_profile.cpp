#include "platform/sim/profile.h"

namespace ocx::sim {

nlohmann::ordered_json defaultProfileJson() {
  using nlohmann::ordered_json;
  const std::string typeLib = "HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}";
  ordered_json profile;
  profile["description"] = "Windows 7 SP1 Professional, 64-bit, German, administrator";
  profile["admin"] = true;
  profile["os"] = {
      {"bits", 64},
      {"wow64_query", "present"},
      {"platform", 2},
      {"major", 6},
      {"minor", 1},
      {"build", 7601},
      {"csd", "Service Pack 1"},
      {"sp_major", 1},
      {"sp_minor", 0},
      {"suite_mask", 256},
      {"product_type", 1},
      {"extended_query_fails", false},
      {"product_info", 48},
      {"lang_id", 1031},
      {"language", "Deutsch (Deutschland)"},
      {"metrics", {{"86", 0}, {"87", 0}, {"88", 0}, {"89", 0}}},
      {"tick_count", 90400},
  };
  profile["clock"] = {{"now", nullptr}, {"utc_offset_minutes", nullptr}};
  profile["folders"] = {{"36", "C:\\Windows"}, {"37", "C:\\Windows\\system32"}};
  profile["temp"] = "C:\\Users\\Administrator\\AppData\\Local\\Temp\\";
  profile["cwd"] = "C:\\Users\\Administrator\\Desktop";
  profile["directories"] = {"C:\\Users\\Administrator\\AppData\\Local\\Temp", "C:\\Users\\Administrator\\Desktop",
                            "C:\\Windows\\SysWOW64"};
  profile["files"] = ordered_json::array({{
      {"path", "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX"},
      {"version", {6, 1, 98, 33}},
      {"size", 1066928},
      {"registers", {typeLib + "\\2.1"}},
      {"readonly", false},
      {"locked", false},
  }});
  profile["payload"] = {{"version", {6, 1, 98, 34}}, {"size", 1070152}, {"registers", {typeLib + "\\2.1"}}};
  profile["registry"] = {
      "Windows Registry Editor Version 5.00",
      "",
      "[" + typeLib + "\\2.0]",
      "@=\"Microsoft Windows Common Controls 6.0 (SP6)\"",
      "",
      "[" + typeLib + "\\2.1]",
      "@=\"Microsoft Windows Common Controls 6.0 (SP6)\"",
      "",
      "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]",
      "\"RegisteredOwner\"=\"Administrator\"",
      "\"RegisteredOrganization\"=\"\"",
      "\"InstallDate\"=dword:4f1e5e00",
  };
  profile["registry_file"] = nullptr;
  profile["faults"] = ordered_json::array();
  return profile;
}

}  // namespace ocx::sim
