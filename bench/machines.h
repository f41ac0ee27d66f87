// The machines the benchmarks run on. Each fixes the clock, so that a run
// does the same work every time.
#pragma once

namespace ocx::bench {

// Windows 7 SP1, 64-bit, after the faulty update: older control installed,
// both type-library keys present, so the survey presets every option and a
// repair run does every step.
inline constexpr char kAfterUpdate[] = R"({"clock": {"now": "2012-08-20 14:05:09", "utc_offset_minutes": 120}})";

// The same machine where the rename of the installed control fails: the
// repair run stops after two steps and leaves the error lines, which the
// status report then carries.
inline constexpr char kRenameFails[] = R"({
  "clock": {"now": "2012-08-20 14:05:09", "utc_offset_minutes": 120},
  "faults": [{"op": "rename", "path": "C:\\Windows\\SysWOW64\\MSCOMCTL.OCX", "error": 5}]
})";

// The same machine with all five .NET Frameworks, each with a service pack,
// so that detection reads every marker and every version value. The keys
// sit in the 32-bit view, where the program looks for them.
inline constexpr char kAllFrameworks[] = R"({
  "clock": {"now": "2012-08-20 14:05:09", "utc_offset_minutes": 120},
  "registry": [
    "Windows Registry Editor Version 5.00",
    "",
    "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0]",
    "@=\"Microsoft Windows Common Controls 6.0 (SP6)\"",
    "",
    "[HKEY_CLASSES_ROOT\\TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1]",
    "@=\"Microsoft Windows Common Controls 6.0 (SP6)\"",
    "",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion]",
    "\"RegisteredOwner\"=\"Administrator\"",
    "\"RegisteredOrganization\"=\"Vantrellis\"",
    "\"InstallDate\"=dword:4f1e5e00",
    "",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\.NETFramework\\policy\\v1.0]",
    "\"3705\"=\"3321-3705\"",
    "",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\Active Setup\\Installed Components\\{78705f0d-e8db-4b2d-8193-982bdda15ecd}]",
    "\"Version\"=\"1,0,3705,3\"",
    "",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\NET Framework Setup\\NDP\\v1.1.4322]",
    "\"Install\"=dword:00000001",
    "\"SP\"=dword:00000001",
    "",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\NET Framework Setup\\NDP\\v2.0.50727]",
    "\"Install\"=dword:00000001",
    "\"SP\"=dword:00000002",
    "\"Increment\"=\"4927\"",
    "",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\NET Framework Setup\\NDP\\v3.0]",
    "\"SP\"=dword:00000002",
    "\"Version\"=\"3.0.30729.4926\"",
    "",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\NET Framework Setup\\NDP\\v3.0\\Setup]",
    "\"InstallSuccess\"=dword:00000001",
    "",
    "[HKEY_LOCAL_MACHINE\\SOFTWARE\\Wow6432Node\\Microsoft\\NET Framework Setup\\NDP\\v3.5]",
    "\"Install\"=dword:00000001",
    "\"SP\"=dword:00000001",
    "\"Version\"=\"3.5.30729.4926\""
  ]
})";

}  // namespace ocx::bench
