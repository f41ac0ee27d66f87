// Start-up: the load sequence, and that it survives failing steps.
#include <gtest/gtest.h>

#include "app/texts.h"
#include "platform/error.h"
#include "session_fixture.h"

namespace ocx {
namespace {

using testing::startSession;

const std::string kCaption = std::string(texts::kWindowCaption) + " 1.0.6";

TEST(LoadSequence, ShowsTheWindowOnceSurveyedWithTheVersionInTheCaption) {
  auto session = startSession();
  sim::HeadlessWindow& window = session->window();
  EXPECT_EQ(window.windowCaption(), kCaption);
  EXPECT_TRUE(window.visible());
  EXPECT_FALSE(window.waitCursor());
  EXPECT_EQ(window.focus(), frm_main::cmdGo);
  EXPECT_TRUE(window.lines(frm_main::lstStatus).empty());
  EXPECT_EQ(window.pendingEventRuns(), 3) << "twice in the load sequence, once while writing the carried copy";
  EXPECT_TRUE(window.messages().empty());
  EXPECT_FALSE(session->form().ended());
}

TEST(LoadSequence, CaptionSuffixIsAppendedExactlyOnce) {
  auto session = startSession();
  const std::string caption = session->window().windowCaption();
  EXPECT_EQ(caption.find("1.0.6"), caption.rfind("1.0.6"));
  EXPECT_EQ(caption.substr(caption.size() - 6), " 1.0.6");
}

// A window service failing part-way: the rest of the sequence still runs.
struct FailingStep {
  const char* operation;
  ElementId element;  // kWindowItself: any
  bool cursorReset;
  bool captionSuffixed;
  int labelLeftUnknown;  // -1: none
};

class LoadSequenceFailure : public ::testing::TestWithParam<FailingStep> {};

TEST_P(LoadSequenceFailure, WindowIsStillShownAndUntouchedLabelsKeepTheirQuestionMark) {
  const FailingStep step = GetParam();
  auto session = startSession("", false);
  session->window().setOperationHook([step](std::string_view operation, ElementId id) {
    if (operation == step.operation && (step.element == kWindowItself || step.element == id)) {
      throw PlatformError(1400, "Ungültiges Fensterhandle.");
    }
  });
  session->form().Start();
  session->window().setOperationHook({});
  sim::HeadlessWindow& window = session->window();

  EXPECT_TRUE(window.visible());
  EXPECT_EQ(window.waitCursor(), !step.cursorReset);
  EXPECT_EQ(window.windowCaption(), step.captionSuffixed ? kCaption : std::string(texts::kWindowCaption));
  for (const int index : frm_main::kSysInfoIndices) {
    const bool unknown = window.caption(frm_main::lblSysInfoText(index)) == "?";
    EXPECT_EQ(unknown, index == step.labelLeftUnknown) << "lblSysInfoText(" << index << ")";
  }
  EXPECT_TRUE(window.messages().empty());
}

INSTANTIATE_TEST_SUITE_P(Steps, LoadSequenceFailure,
                         ::testing::Values(FailingStep{"programVersion", kWindowItself, true, false, -1},
                                           FailingStep{"setWindowCaption", kWindowItself, true, false, -1},
                                           FailingStep{"processPendingEvents", kWindowItself, true, true, -1},
                                           FailingStep{"setCaption", frm_main::lblSysInfoText(5), true, true, 5},
                                           FailingStep{"setCaption", frm_main::lblSysInfoText(8), true, true, 8}));

TEST(LoadSequence, SurveyFailingAtItsFirstWindowWriteLeavesEveryLabelUnknown) {
  auto session = startSession("", false);
  session->window().setOperationHook([](std::string_view operation, ElementId) {
    if (operation == "setCaption" || operation == "setValue" || operation == "setEnabled") {
      throw PlatformError(1400, "Ungültiges Fensterhandle.");
    }
  });
  session->form().Start();
  session->window().setOperationHook({});
  EXPECT_TRUE(session->window().visible());
  EXPECT_FALSE(session->window().waitCursor());
  for (const int index : frm_main::kSysInfoIndices) {
    EXPECT_EQ(session->window().caption(frm_main::lblSysInfoText(index)), "?");
  }
  EXPECT_EQ(session->window().value(frm_main::chkReplaceControl), check_value::kChecked);
}

TEST(Ending, ExitButtonAndCloseBoxEndWithoutAsking) {
  for (const bool viaCloseBox : {false, true}) {
    SCOPED_TRACE(viaCloseBox ? "close box" : "cmdExit");
    auto session = startSession();
    if (viaCloseBox) {
      session->form().Form_Unload();
    } else {
      session->form().cmdExit_Click();
    }
    EXPECT_TRUE(session->form().ended());
    EXPECT_TRUE(session->window().unloaded());
    EXPECT_TRUE(session->window().endRequested());
    EXPECT_TRUE(session->window().messages().empty());
  }
}

}  // namespace
}  // namespace ocx
