#include <cstdio>
#include <memory>
#include <nlohmann/json.hpp>
#include <string>

#include "platform/sim/machine.h"
#include "tests/contract/gtest_checker.h"
#include "tests/contract/registry_contract_cases.h"

namespace ocx::contract {
namespace {

// The scratch tree as regedit export lines in a profile of a 64-bit
// machine: each value written out byte for byte, in its view's place.
std::string profileOfScratchTree() {
  nlohmann::json lines = nlohmann::json::array({"Windows Registry Editor Version 5.00"});
  for (const ScratchValue& value : registryContractState()) {
    lines.push_back(std::string("[HKEY_LOCAL_MACHINE\\SOFTWARE\\") + (value.view64 ? "" : "Wow6432Node\\") +
                    "OcxmedicContract" + (*value.subKey != '\0' ? "\\" : "") + value.subKey + "]");
    char type[16];
    std::snprintf(type, sizeof type, "=hex(%x):", static_cast<unsigned>(value.type));
    std::string line = (*value.name == '\0' ? "@" : '"' + std::string(value.name) + '"') + type;
    for (std::size_t i = 0; i < value.stored.size(); ++i) {
      char byte[4];
      std::snprintf(byte, sizeof byte, i == 0 ? "%02x" : ",%02x", value.stored[i]);
      line += byte;
    }
    lines.push_back(line);
  }
  return nlohmann::json{{"os", {{"bits", 64}}}, {"registry", lines}}.dump();
}

TEST(RegistryContract, SimulatedRegistryAnswersEveryRow) {
  GTestChecker checker;
  const std::string profile = profileOfScratchTree();
  std::unique_ptr<sim::Machine> machine;
  checkRegistryContract(
      [&]() -> Registry& {
        machine = sim::Machine::fromProfileText(profile, "contract.json");
        return machine->registry();
      },
      checker);
}

// A failed comparison of statuses shows the number with Windows' name for
// it, so that the reader need not look the number up.
TEST(RegistryStatus, FailuresShowTheNumberWithItsName) {
  const struct {
    std::int32_t number;
    const char* shown;
  } rows[] = {
      {0, "0 (ERROR_SUCCESS)"},
      {2, "2 (ERROR_FILE_NOT_FOUND)"},
      {234, "234 (ERROR_MORE_DATA)"},
      {127, "127"},  // a number the program does not name
      {-1, "-1"},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(testing::PrintToString(RegStatus(row.number)), row.shown);
  }
}

}  // namespace
}  // namespace ocx::contract
