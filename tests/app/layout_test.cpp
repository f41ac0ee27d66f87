// The one layout table both windows are built from.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/frm_main_ids.h"
#include "app/frm_main_layout.h"

namespace ocx {
namespace {

struct Rect {
  int left, top, right, bottom;
};

Rect rectOf(const ElementSpec& e) {
  return {e.left, e.top, e.left + e.width, e.top + e.height};
}

bool overlaps(const Rect& a, const Rect& b) {
  return a.left < b.right && b.left < a.right && a.top < b.bottom && b.top < a.bottom;
}

TEST(FrmMainLayout, IdentifiersNamesAndTabIndicesAreUnique) {
  const auto& elements = frm_main::layout().elements;
  std::set<ElementId> ids;
  std::set<std::string> names;
  std::set<int> tabs;
  for (const ElementSpec& e : elements) {
    EXPECT_TRUE(ids.insert(e.id).second) << displayName(e);
    EXPECT_TRUE(names.insert(displayName(e)).second) << displayName(e);
    EXPECT_TRUE(tabs.insert(e.tabIndex).second) << displayName(e);
    EXPECT_EQ(frm_main::findElement(displayName(e)), &e);
  }
  EXPECT_EQ(elements.size(), 22u);
  EXPECT_EQ(*tabs.begin(), 0);
  EXPECT_EQ(*tabs.rbegin(), static_cast<int>(elements.size()) - 1);
  EXPECT_EQ(elements.front().id, frm_main::cmdGo) << "the initial focus goes to tab index 0";
}

TEST(FrmMainLayout, LabelGroupsHaveExactlyTheFiveRowIndices) {
  for (const char* group : {"lblSysInfoLabel", "lblSysInfoText"}) {
    std::vector<int> indices;
    for (const ElementSpec& e : frm_main::layout().elements) {
      if (e.name == group) indices.push_back(e.index);
    }
    EXPECT_EQ(indices, (std::vector<int>{0, 5, 6, 7, 8})) << group;
  }
  for (int missing = 1; missing <= 4; ++missing) {
    EXPECT_EQ(frm_main::findElement("lblSysInfoText(" + std::to_string(missing) + ")"), nullptr);
  }
}

TEST(FrmMainLayout, ElementsFitTheirContainerAndSiblingsDoNotOverlap) {
  const WindowLayout& layout = frm_main::layout();
  for (const ElementSpec& e : layout.elements) {
    SCOPED_TRACE(displayName(e));
    int width = layout.clientWidth;
    int height = layout.clientHeight;
    if (e.container != kWindowItself) {
      const ElementSpec* frame = frm_main::findElement(e.container);
      ASSERT_NE(frame, nullptr);
      EXPECT_EQ(frame->kind, ElementKind::Frame);
      width = frame->width;
      height = frame->height;
    }
    EXPECT_GE(e.left, 0);
    EXPECT_GE(e.top, 0);
    EXPECT_LE(e.left + e.width, width);
    EXPECT_LE(e.top + e.height, height);
    for (const ElementSpec& other : layout.elements) {
      // Labels are drawn beneath the controls, and the design lets a few of
      // them reach a little into their neighbours (lblAdmin into cmdGo).
      const bool bothControls = e.kind != ElementKind::Label && other.kind != ElementKind::Label;
      if (&other != &e && other.container == e.container && bothControls) {
        EXPECT_FALSE(overlaps(rectOf(e), rectOf(other))) << "overlaps " << displayName(other);
      }
    }
  }
}

}  // namespace
}  // namespace ocx
