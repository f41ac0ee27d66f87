#include "platform/mod_api.h"

#include <gtest/gtest.h>

#include <string>

#include "tests/osinfo/sim_platform.h"

namespace ocx {
namespace {

using namespace std::string_literals;

TEST(TextHelpers, AddBackslashAndCutAtNull) {
  const struct {
    std::string in, withBackslash, cut;
  } rows[] = {
      {"  C:\\Windows  ", "C:\\Windows\\", "  C:\\Windows  "},
      {"C:\\Temp\\\\", "C:\\Temp\\\\", "C:\\Temp\\\\"},
      {"   ", "", "   "},
      {"", "", ""},
      {"\tC:\\Temp\t", "\tC:\\Temp\t\\", "\tC:\\Temp\t"},  // only blanks are trimmed
      {"C:\\Temp\0\0\0"s, "C:\\Temp\0\0\0\\"s, "C:\\Temp"},
      {"\0C:\\Temp"s, "\0C:\\Temp\\"s, ""},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE("'" + row.in + "'");
    EXPECT_EQ(modAPI::AddBackslash(row.in), row.withBackslash);
    EXPECT_EQ(modAPI::CutAtNull(row.in), row.cut);
  }
}

}  // namespace
}  // namespace ocx
