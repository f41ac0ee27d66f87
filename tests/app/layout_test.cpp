// The one layout table both windows are built from.
#include <gtest/gtest.h>

#include <algorithm>
#include <set>

#include "app/frm_main_ids.h"
#include "app/frm_main_layout.h"

namespace ocx {
namespace {

bool overlaps(const DesignedElement& a, const DesignedElement& b) {
  return a.left < b.left + b.width && b.left < a.left + a.width && a.top < b.top + b.height && b.top < a.top + a.height;
}

TEST(FrmMainLayout, IdentifiersNamesAndTabIndicesAreUnique) {
  const auto& elements = frm_main::layout().elements;
  std::set<ElementId> ids;
  std::set<std::string> names;
  std::set<int> tabs;
  for (const DesignedElement& e : elements) {
    EXPECT_TRUE(ids.insert(e.id).second) << displayName(e);
    EXPECT_TRUE(names.insert(displayName(e)).second) << displayName(e);
    EXPECT_TRUE(tabs.insert(e.tabIndex).second) << displayName(e);
    EXPECT_EQ(frm_main::findElement(displayName(e)), &e);
  }
  EXPECT_EQ(*tabs.begin(), 0);
  EXPECT_EQ(*tabs.rbegin(), static_cast<int>(elements.size()) - 1);
  EXPECT_EQ(elements.front().id, frm_main::cmdGo) << "the initial focus goes to tab index 0";
}

// That each element fits its container is checked in pixels, at every
// common DPI, where rounding could push one out.
TEST(FrmMainLayout, ElementsSitInFramesAndSiblingsDoNotOverlap) {
  const WindowLayout& layout = frm_main::layout();
  for (const DesignedElement& e : layout.elements) {
    SCOPED_TRACE(displayName(e));
    if (e.container != kWindowItself) {
      const DesignedElement* frame = frm_main::findElement(e.container);
      ASSERT_NE(frame, nullptr);
      EXPECT_EQ(frame->kind, ElementKind::Frame);
    }
    for (const DesignedElement& other : layout.elements) {
      // Labels are drawn beneath the controls, and the design lets a few of
      // them reach a little into their neighbours (lblAdmin into cmdGo).
      const bool bothControls = e.kind != ElementKind::Label && other.kind != ElementKind::Label;
      if (&other != &e && other.container == e.container && bothControls) {
        EXPECT_FALSE(overlaps(e, other)) << "overlaps " << displayName(other);
      }
    }
  }
}

}  // namespace
}  // namespace ocx
