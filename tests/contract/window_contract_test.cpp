#include <memory>

#include "platform/sim/headless_window.h"
#include "tests/contract/gtest_checker.h"
#include "tests/contract/window_contract_cases.h"

namespace ocx::contract {
namespace {

TEST(WindowContract, HeadlessWindowAnswersEveryRow) {
  GTestChecker checker;
  checkWindowContract([] { return std::make_unique<sim::HeadlessWindow>(windowContractLayout(), nullptr); }, checker);
}

}  // namespace
}  // namespace ocx::contract
