#include "platform/win32/window_geometry.h"

#include <algorithm>
#include <cmath>
#include <stdexcept>
#include <string>

namespace ocx::win32 {
namespace {

constexpr int kTwipsPerInch = 1440;

struct TwipsOrigin {
  int left = 0;
  int top = 0;
};

TwipsOrigin windowOrigin(const WindowLayout& layout, const DesignedElement& element) {
  TwipsOrigin origin{element.left, element.top};
  ElementId container = element.container;
  // A frame inside a frame is allowed; a loop in the table is not.
  for (std::size_t depth = 0; container != kWindowItself; ++depth) {
    const auto it = std::ranges::find(layout.elements, container, &DesignedElement::id);
    if (it == layout.elements.end() || depth >= layout.elements.size()) {
      throw std::invalid_argument("element " + displayName(element) + " lies in an unknown container " +
                                  std::to_string(container));
    }
    origin.left += it->left;
    origin.top += it->top;
    container = it->container;
  }
  return origin;
}

}  // namespace

int twipsToPixels(int twips, int dpi) {
  const long long scaled = static_cast<long long>(twips) * dpi;
  // Half a pixel away from zero, then truncated: rounds to the nearest.
  const long long half = scaled < 0 ? -kTwipsPerInch / 2 : kTwipsPerInch / 2;
  return static_cast<int>((scaled + half) / kTwipsPerInch);
}

PixelRect elementRect(const WindowLayout& layout, const DesignedElement& element, int dpi) {
  const TwipsOrigin origin = windowOrigin(layout, element);
  const int left = twipsToPixels(origin.left, dpi);
  const int top = twipsToPixels(origin.top, dpi);
  // Edges are rounded, not sizes, so that elements that meet in twips meet
  // in pixels.
  return {left, top, twipsToPixels(origin.left + element.width, dpi) - left,
          twipsToPixels(origin.top + element.height, dpi) - top};
}

int layoutDpi(const WindowLayout& layout, int systemDpi, PixelSize frame, PixelSize workArea) {
  const auto fits = [&](int dpi) {
    return twipsToPixels(layout.clientWidth, dpi) + frame.width <= workArea.width &&
           twipsToPixels(layout.clientHeight, dpi) + frame.height <= workArea.height;
  };
  constexpr int kDesignDpi = 96;
  const int floor = fits(kDesignDpi) ? std::min(systemDpi, kDesignDpi) : kSmallestLayoutDpi;
  for (int dpi = systemDpi; dpi > floor; --dpi) {
    if (fits(dpi)) {
      return dpi;
    }
  }
  return std::min(systemDpi, floor);
}

int fontHeight(double points, int dpi) {
  return -static_cast<int>(std::lround(points * dpi / 72.0));
}

}  // namespace ocx::win32
