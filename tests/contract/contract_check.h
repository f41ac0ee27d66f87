// The checks of the contract cases, which run in two harnesses: GoogleTest
// on the simulated machine, and the binding checks' own console program on
// Windows (or Wine), where no test framework is built. Each harness says how
// a failure is reported; the cases only say what failed and where.
#pragma once

#include <cstdint>
#include <exception>
#include <string>
#include <string_view>
#include <type_traits>

#include "platform/error.h"

namespace ocx::contract {

class Checker {
 public:
  virtual ~Checker() = default;
  virtual void fail(const char* file, int line, const std::string& message) = 0;
};

// What a call gave, as text for a table: a quoted text, a number, true or
// false, "done" for a call that returns nothing, "error N" for a
// PlatformError. Expected outcomes are written out the same way.
inline std::string describe(const std::string& text) {
  return '"' + text + '"';
}
inline std::string describe(bool value) {
  return value ? "true" : "false";
}
template <typename Number>
requires std::is_arithmetic_v<Number> std::string describe(Number number) {
  return std::to_string(number);
}

template <typename Call>
std::string outcomeOf(Call&& call) {
  try {
    if constexpr (std::is_void_v<decltype(call())>) {
      call();
      return "done";
    } else {
      return describe(call());
    }
  } catch (const PlatformError& error) {
    return "error " + std::to_string(error.number());
  }
}

// A call that is set-up, not the question: its failure is the answer's
// business, so it is swallowed here and shows in what the row reads next.
template <typename Call>
void tryTo(Call&& call) {
  try {
    call();
  } catch (const PlatformError&) {
  }
}

}  // namespace ocx::contract

// One row's answer against the table: the row's own words name it.
#define CONTRACT_CHECK_EQ(checker, what, actual, expected)                                                \
  do {                                                                                                    \
    const std::string contractActual_ = (actual);                                                         \
    const std::string contractExpected_ = (expected);                                                     \
    if (contractActual_ != contractExpected_) {                                                           \
      (checker).fail(__FILE__, __LINE__,                                                                  \
                     std::string(what) + ": expected " + contractExpected_ + ", got " + contractActual_); \
    }                                                                                                     \
  } while (false)
