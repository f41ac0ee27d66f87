// The regedit text reader on arbitrary file bytes: a text is either refused
// with a position inside it, or imported; an imported registry's own full
// export must read back to the very same export.
#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>

#include "fuzz_check.h"
#include "platform/sim/reg_text.h"
#include "platform/sim/registry_store.h"

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
  using namespace ocx::sim;
  const std::string text = decodeRegFile(std::string_view(reinterpret_cast<const char*>(data), size));
  RegistryStore store;
  try {
    importRegText(text, store);
  } catch (const RegTextError& error) {
    int lines = 1;
    for (const char c : text) lines += c == '\n' ? 1 : 0;
    ocx::fuzz::require(error.line() >= 1 && error.line() <= lines, "refusal names a line of the text");
    ocx::fuzz::require(error.column() >= 1, "refusal names a column");
    return 0;
  }
  const std::string exported = exportRegText(store);
  RegistryStore again;
  try {
    importRegText(exported, again);
  } catch (const RegTextError&) {
    ocx::fuzz::require(false, "an export reads back");
  }
  ocx::fuzz::require(exportRegText(again) == exported, "an export reads back to itself");
  return 0;
}
