#include <memory>

#include "platform/sim/machine.h"
#include "tests/contract/file_contract_cases.h"
#include "tests/contract/gtest_checker.h"

namespace ocx::contract {
namespace {

TEST(FileContract, SimulatedDiskAnswersEveryRow) {
  GTestChecker checker;
  std::unique_ptr<sim::Machine> machine;
  checkFileContract(
      [&]() -> FileSystem& {
        machine = sim::Machine::fromProfileText(
            R"({"files": [{"path": "C:\\Scratch\\a.bin", "size": 5}, {"path": "C:\\Scratch\\b.bin", "size": 1}]})",
            "contract.json");
        return machine->files();
      },
      "C:\\Scratch", checker);
}

}  // namespace
}  // namespace ocx::contract
