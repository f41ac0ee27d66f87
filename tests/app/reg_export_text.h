// Registry data as a customer's regedit export holds it, for the tests that
// build such exports by hand.
#pragma once

#include <cstdio>
#include <span>
#include <string>
#include <string_view>

namespace ocx::testing {

// REG_MULTI_SZ data as regedit 5.00 writes it: UTF-16LE, each text ended by
// NUL and the list by one more. The texts are ASCII.
inline std::string multiSz(std::span<const std::string_view> texts) {
  std::string hex = "hex(7):";
  char byte[8];
  for (const std::string_view text : texts) {
    for (const char c : text) {
      std::snprintf(byte, sizeof byte, "%02x,00,", static_cast<unsigned char>(c));
      hex += byte;
    }
    hex += "00,00,";
  }
  return hex + "00,00";
}

}  // namespace ocx::testing
