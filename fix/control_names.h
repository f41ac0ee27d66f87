// The names by which the control, its carried copy and its type library are
// found. The repair run uses the same ones, so they live in one place.
#pragma once

namespace ocx::control_names {

inline constexpr char kControlFile[] = "MSCOMCTL.OCX";

// The carried copy is the program's resource "CUSTOM" 101.
inline constexpr char kResourceType[] = "CUSTOM";
inline constexpr int kResourceId = 101;

// Below HKEY_CLASSES_ROOT. The version subkeys are what registration adds;
// only 2.0 is ever deleted.
inline constexpr char kTypeLibKey[] = "TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}";
inline constexpr char kTypeLib20Key[] = "TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.0";
inline constexpr char kTypeLib21Key[] = "TypeLib\\{831FDD16-0C5C-11D2-A9FC-0000F8754DA1}\\2.1";

}  // namespace ocx::control_names
