// Start-up: the load sequence, and that it survives failing steps.
#include <gtest/gtest.h>

#include <algorithm>
#include <string_view>
#include <vector>

#include "app/texts.h"
#include "resources/version.h"
#include "session_fixture.h"

namespace ocx {
namespace {

using testing::startSession;

const std::string kCaption = std::string(texts::kWindowCaption) + " " + OCXMEDIC_VERSION_SHORT;

// The window the start-up leaves is the simulator command's first check.
TEST(LoadSequence, LetsPendingEventsRunWhileItWorks) {
  EXPECT_EQ(startSession()->window().pendingEventRuns(), 3)
      << "twice in the load sequence, once while writing the carried copy";
}

// Window services failing part-way: the rest of the sequence still runs.
TEST(LoadSequence, WindowIsStillShownWhenAStepFails) {
  const struct {
    std::vector<std::string_view> operations;
    bool captionSuffixed;
    bool labelsLeftUnknown;
  } rows[] = {
      {{"programVersion"}, false, false},
      {{"setWindowCaption"}, false, false},
      {{"processPendingEvents"}, true, false},
      // The survey stopped at its first window write.
      {{"setCaption", "setValue", "setEnabled"}, true, true},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.operations.front());
    auto session = testing::startFailing(
        [&](std::string_view operation, ElementId) { return std::ranges::count(row.operations, operation) > 0; });
    sim::HeadlessWindow& window = session->window();
    EXPECT_TRUE(window.visible());
    EXPECT_FALSE(window.waitCursor());
    EXPECT_EQ(window.windowCaption(), row.captionSuffixed ? kCaption : std::string(texts::kWindowCaption));
    for (const int index : frm_main::kSysInfoIndices) {
      EXPECT_EQ(window.caption(frm_main::lblSysInfoText(index)) == "?", row.labelsLeftUnknown) << index;
    }
    EXPECT_EQ(window.value(frm_main::chkReplaceControl), check_value::kChecked);
    EXPECT_TRUE(window.messages().empty());
  }
}

TEST(Ending, ExitButtonAndCloseBoxEndWithoutAsking) {
  for (const bool viaCloseBox : {false, true}) {
    SCOPED_TRACE(viaCloseBox ? "close box" : "cmdExit");
    auto session = startSession();
    viaCloseBox ? session->form().Form_Unload() : session->form().cmdExit_Click();
    EXPECT_TRUE(session->form().ended());
    EXPECT_TRUE(session->window().unloaded());
    EXPECT_TRUE(session->window().endRequested());
    EXPECT_TRUE(session->window().messages().empty());
  }
}

}  // namespace
}  // namespace ocx
