#include "platform/mod_api.h"

#include <gtest/gtest.h>

#include <map>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

namespace ocx {
namespace {

using namespace std::string_literals;

TEST(TextHelpers, AddBackslashTrimsOnlySpacesAndAddsOneBackslash) {
  const struct {
    std::string in, out;
  } rows[] = {
      {"  C:\\Windows  ", "C:\\Windows\\"},
      {"C:\\Temp\\", "C:\\Temp\\"},
      {"C:\\Temp\\\\", "C:\\Temp\\\\"},
      {"   ", ""},
      {"", ""},
      {"\tC:\\Temp\t", "\tC:\\Temp\t\\"},  // tabs are part of the name
      {" a b ", "a b\\"},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE("'" + row.in + "'");
    EXPECT_EQ(modAPI::AddBackslash(row.in), row.out);
  }
}

TEST(TextHelpers, CutAtNullKeepsWhatPrecedesTheFirstNul) {
  const struct {
    std::string in, out;
  } rows[] = {{"abc\0def"s, "abc"}, {"\0abc"s, ""}, {"", ""}, {"abc", "abc"}, {"ab\0\0\0"s, "ab"}};
  for (const auto& row : rows) {
    SCOPED_TRACE(row.out);
    EXPECT_EQ(modAPI::CutAtNull(row.in), row.out);
  }
}

// Answers from a table and records the owner each question came with.
class TableShell : public ShellFolders {
 public:
  WindowHandle activeWindow() override {
    if (activeFails) throw std::runtime_error("no window station");
    return 0x4711;
  }
  std::optional<std::string> specialFolderPath(WindowHandle owner, std::int32_t id) override {
    owners.push_back(owner);
    if (id == 99) throw std::runtime_error("shell crashed");
    const auto it = folders.find(id);
    return it == folders.end() ? std::nullopt : std::optional(it->second);
  }
  std::map<std::int32_t, std::string> folders{{36, "C:\\Windows"}, {37, "C:\\Windows\\system32\0    "s}};
  std::vector<WindowHandle> owners;
  bool activeFails = false;
};

TEST(GetSpecialFolderPath, AnswersThePathOrTheEmptyTextAndFallsBackToTheActiveWindow) {
  const struct {
    std::int32_t id;
    WindowHandle owner;
    bool activeFails;
    std::string path;
    WindowHandle ownerSeen;
  } rows[] = {
      {36, 0, false, "C:\\Windows", 0x4711},
      {37, 0, false, "C:\\Windows\\system32", 0x4711},
      {37, 0x99, false, "C:\\Windows\\system32", 0x99},
      {36, 0, true, "C:\\Windows", 0},
      {5, 0, false, "", 0x4711},
      {99, 0, false, "", 0x4711},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.id);
    TableShell shell;
    shell.activeFails = row.activeFails;
    EXPECT_EQ(modAPI::GetSpecialFolderPath(shell, row.id, row.owner), row.path);
    ASSERT_EQ(shell.owners.size(), 1u);
    EXPECT_EQ(shell.owners[0], row.ownerSeen);
  }
}

}  // namespace
}  // namespace ocx
