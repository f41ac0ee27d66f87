// The designed window in pixels: the Windows binding places every control
// with these rectangles.
#include "platform/win32/window_geometry.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "app/frm_main_ids.h"
#include "app/frm_main_layout.h"

namespace ocx::win32 {
namespace {

TEST(TwipsToPixels, RoundsToTheNearestPixel) {
  const struct {
    int twips;
    int dpi;
    int pixels;
  } rows[] = {
      {15, 96, 1},                           // exactly one pixel at 96 dpi
      {7, 96, 0},                            // 0.47 pixel
      {8, 96, 1},                            // 0.53 pixel
      {10695, 96, 713},                      // the client width
      {9930, 96, 662},                       // the client height
      {10695, 144, 1070}, {1440, 120, 120},  // an inch is dpi pixels
      {-8, 96, -1},                          // symmetric about zero
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(std::to_string(row.twips) + " twips at " + std::to_string(row.dpi) + " dpi");
    EXPECT_EQ(twipsToPixels(row.twips, row.dpi), row.pixels);
  }
}

TEST(ElementRect, PlacesFrameMembersRelativeToTheirFrame) {
  const WindowLayout& layout = frm_main::layout();
  // lstStatus lies at 150, 285 inside frameStatus at 120, 6735; 10140 x 1425.
  const DesignedElement* list = frm_main::findElement(frm_main::lstStatus);
  ASSERT_NE(list, nullptr);
  EXPECT_EQ(elementRect(layout, *list, 96), (PixelRect{18, 468, 676, 95}));
  // A top-level element is placed as designed.
  const DesignedElement* go = frm_main::findElement(frm_main::cmdGo);
  ASSERT_NE(go, nullptr);
  EXPECT_EQ(elementRect(layout, *go, 96), (PixelRect{547, 411, 150, 32}));
}

// Every element stays inside the client area and inside its frame at every
// scale a screen can ask for; rounding must not push one out by a pixel.
TEST(ElementRect, KeepsEveryElementInsideItsContainerAtEveryLayoutDpi) {
  const WindowLayout& layout = frm_main::layout();
  for (int dpi = kSmallestLayoutDpi; dpi <= 192; ++dpi) {
    const PixelRect client{0, 0, twipsToPixels(layout.clientWidth, dpi), twipsToPixels(layout.clientHeight, dpi)};
    for (const DesignedElement& element : layout.elements) {
      SCOPED_TRACE(displayName(element) + " at " + std::to_string(dpi) + " dpi");
      const PixelRect rect = elementRect(layout, element, dpi);
      PixelRect outer = client;
      if (element.container != kWindowItself) {
        const DesignedElement* frame = frm_main::findElement(element.container);
        ASSERT_NE(frame, nullptr);
        outer = elementRect(layout, *frame, dpi);
      }
      EXPECT_GT(rect.width, 0);
      EXPECT_GT(rect.height, 0);
      EXPECT_GE(rect.left, outer.left);
      EXPECT_GE(rect.top, outer.top);
      EXPECT_LE(rect.left + rect.width, outer.left + outer.width);
      EXPECT_LE(rect.top + rect.height, outer.top + outer.height);
    }
  }
}

// The window, 713 x 662 client pixels at 96 dpi, with a frame of 6 x 29.
TEST(LayoutDpi, ShrinksTheWindowToTheWorkAreaButNotBelow96WhileThatFits) {
  const struct {
    const char* screen;
    int systemDpi;
    PixelSize workArea;
    int dpi;
  } rows[] = {
      {"fits at the system's dpi", 120, {1280, 984}, 120},
      {"1366 x 768 at 125 %, task bar below", 120, {1366, 728}, 101},
      {"1366 x 768 at 150 %", 144, {1366, 768}, 107},
      {"1920 x 1080 at 200 %", 192, {1920, 1040}, 146},
      {"room for the 96-dpi window only", 120, {719, 691}, 96},
      {"a pixel too narrow for that", 120, {718, 691}, 95},
      {"1024 x 600, smaller than the 96-dpi window", 96, {1024, 600}, 82},
      {"too small for any legible scale", 96, {640, 400}, kSmallestLayoutDpi},
      {"a system dpi below 96 stays", 72, {1920, 1080}, 72},
  };
  for (const auto& row : rows) {
    SCOPED_TRACE(row.screen);
    EXPECT_EQ(layoutDpi(frm_main::layout(), row.systemDpi, {6, 29}, row.workArea), row.dpi);
  }
}

TEST(ElementRect, RejectsAContainerThatIsNotInTheLayout) {
  const auto frame = [](ElementId id, ElementId container) {
    return DesignedElement{id, "f", -1, ElementKind::Frame,  container, "", 0,   0,
                           10, 10,  0,  TextColour::Default, 400,       0,  true};
  };
  const DesignedElement orphan[] = {frame(7, 99)};
  const DesignedElement loop[] = {frame(1, 2), frame(2, 1)};
  for (const std::span<const DesignedElement> elements :
       {std::span<const DesignedElement>(orphan), std::span<const DesignedElement>(loop)}) {
    const WindowLayout layout{"", 100, 100, "Verdana", 8.25, elements, "", ""};
    EXPECT_THROW(static_cast<void>(elementRect(layout, elements[0], 96)), std::invalid_argument);
  }
}

TEST(FontHeight, IsThePointSizeInPixelsNegated) {
  EXPECT_EQ(fontHeight(8.25, 96), -11);
  EXPECT_EQ(fontHeight(8.25, 120), -14);
  EXPECT_EQ(fontHeight(8.25, 144), -17);
}

}  // namespace
}  // namespace ocx::win32
