// The contract cases' failures as GoogleTest failures at the checking line.
#pragma once

#include <gtest/gtest.h>

#include "tests/contract/contract_check.h"

namespace ocx::contract {

class GTestChecker final : public Checker {
 public:
  void fail(const char* file, int line, const std::string& message) override { ADD_FAILURE_AT(file, line) << message; }
};

}  // namespace ocx::contract
