// The registry contract as one table, asked of either binding on the same
// keys: a scratch tree below HKEY_LOCAL_MACHINE\SOFTWARE, different in the
// two views of a 64-bit Windows, which each harness writes in its own way
// (the simulator from a profile, the binding checks with the Win32 calls).
#pragma once

#include <cstdint>
#include <functional>
#include <vector>

#include "platform/registry.h"
#include "tests/contract/contract_check.h"

namespace ocx::contract {

// The scratch tree's place below HKEY_LOCAL_MACHINE.
inline constexpr char kScratchKey[] = "SOFTWARE\\OcxmedicContract";

struct ScratchValue {
  bool view64;         // written in the 64-bit view, else in the 32-bit one
  const char* subKey;  // below kScratchKey, "" for the key itself
  const char* name;
  RegType type;
  std::vector<std::uint8_t> stored;  // as Windows keeps it: text in UTF-16LE
};

// Every value of the scratch tree; a key with a value of no name and type
// REG_NONE has no values of its own.
const std::vector<ScratchValue>& registryContractState();

// Runs every row on the scratch tree as registryContractState() describes
// it, written anew by `prepare` before each row; the rows are those of a
// 32-bit process on a 64-bit Windows.
void checkRegistryContract(const std::function<Registry&()>& prepare, Checker& checker);

}  // namespace ocx::contract
