// The file-system contract as one table, asked of either binding in a
// scratch folder that holds two files, a.bin of 5 bytes and b.bin of 1.
// The simulator makes the folder from a profile, the binding checks in the
// temporary folder.
#pragma once

#include <functional>
#include <string>

#include "platform/files.h"
#include "tests/contract/contract_check.h"

namespace ocx::contract {

// Runs every row in `folder` (a full path without a trailing backslash),
// which `prepare` empties and fills anew with a.bin and b.bin before each.
void checkFileContract(const std::function<FileSystem&()>& prepare, const std::string& folder, Checker& checker);

}  // namespace ocx::contract
