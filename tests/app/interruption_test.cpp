// What reaches the window from outside while a handler runs: a close or a
// log-off query arrives through a wait inside the handler (for a started
// regsvr32, for a message box) and must not cut the handler short.
#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <vector>

#include "app/texts.h"
#include "session_fixture.h"

namespace ocx {
namespace {

using namespace testing;

// Each handler is sent a close from inside, at the first window operation
// named: the close is dropped, the handler runs to its own end, and once it
// has returned a close ends the program as it always does.
TEST(Interruption, ACloseWhileAHandlerRunsIsDropped) {
  const struct {
    const char* handler;
    std::string_view during;
    void (frmMain::*run)();
    bool endsItself;
  } rows[] = {
      {"the load sequence", "processPendingEvents", &frmMain::Start, false},
      {"the repair run", "appendLine", &frmMain::cmdGo_Click, true},
      {"the status report", "setClipboardText", &frmMain::cmdStatus_Click, false},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.handler);
    auto session = startSession("", row.run != &frmMain::Start);
    frmMain& form = session->form();
    std::vector<std::string> operations;
    bool closed = false;
    session->window().setOperationHook([&](std::string_view operation, ElementId) {
      operations.emplace_back(operation);
      if (operation == row.during && !closed) {
        closed = true;
        form.Form_Unload();
      }
    });
    (form.*row.run)();
    session->window().setOperationHook({});

    ASSERT_TRUE(closed);
    EXPECT_EQ(form.ended(), row.endsItself);
    // The window goes only at the handler's own end, after its last message.
    const auto unload = std::ranges::find(operations, "unloadAll");
    const auto lastMessage = std::ranges::find(operations.rbegin(), operations.rend(), "messageBox");
    if (row.endsItself) {
      ASSERT_NE(unload, operations.end());
      ASSERT_NE(lastMessage, operations.rend());
      EXPECT_GT(unload - operations.begin(), operations.rend() - lastMessage - 1);
      EXPECT_EQ(statusLines(*session).size(), 7u) << "the repair stopped short";
    } else {
      EXPECT_EQ(unload, operations.end());
      form.Form_Unload();
      EXPECT_TRUE(form.ended()) << "a close after the handler was dropped too";
    }
  }
}

// What the window answers a log-off at each status line and message of a
// run: refused from the first change to the last, with the reason; free
// again for the closing or the failure message and after.
TEST(Interruption, ALogOffIsRefusedFromTheRunsFirstChangeToItsLast) {
  const std::string blocked = texts::kSessionEndBlocked;
  const struct {
    const char* run;
    bool noOption;
    bool changedCopy;
    std::vector<std::string> expected;  // at each line and message, "" when free
  } rows[] = {
      {"completed", false, false, {blocked, blocked, blocked, blocked, blocked, blocked, blocked, ""}},
      // Stops on the copy's check, after the key removal: two error lines.
      {"failed", false, true, {blocked, "", "", ""}},
      {"no option selected", true, false, {""}},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.run);
    auto session = startSession();
    if (row.noOption) {
      for (const ElementId box :
           {frm_main::chkKillRegPath, frm_main::chkReplaceControl, frm_main::chkReRegisterControl}) {
        session->window().setValue(box, check_value::kUnchecked);
      }
    }
    if (row.changedCopy) {
      session->machine().overwriteFromOutside(kTempCopyPath);
    }
    std::vector<std::string> seen;
    session->window().setOperationHook([&](std::string_view operation, ElementId) {
      if (operation == "appendLine" || operation == "messageBox") {
        seen.push_back(session->window().sessionEndBlock().value_or(""));
      }
    });
    session->form().cmdGo_Click();
    session->window().setOperationHook({});
    EXPECT_EQ(seen, row.expected);
    EXPECT_FALSE(session->window().sessionEndBlock().has_value());
  }
}

}  // namespace
}  // namespace ocx
