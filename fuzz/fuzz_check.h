// What a fuzz target insists on beyond "no crash": a broken property ends
// the process the way a sanitizer report would, so libFuzzer keeps the input.
#pragma once

#include <cstdio>
#include <cstdlib>

namespace ocx::fuzz {

inline void require(bool holds, const char* property) {
  if (!holds) {
    std::fprintf(stderr, "fuzz property broken: %s\n", property);
    std::abort();
  }
}

}  // namespace ocx::fuzz
