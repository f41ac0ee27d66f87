// Where the designed window's elements land on a screen of a given DPI.
// The layout is kept in twips; this is the one place they become pixels.
// Free of Windows so that it is tested on any machine.
#pragma once

#include "platform/window.h"

namespace ocx::win32 {

struct PixelRect {
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

struct PixelSize {
  int width = 0;
  int height = 0;
};

// pixels = twips * dpi / 1440, to the nearest pixel.
[[nodiscard]] int twipsToPixels(int twips, int dpi);

// The element's rectangle in the window's client area. Positions inside a
// frame are turned into window positions in twips first and only then into
// pixels, so that rounding never shifts a child against its frame by more
// than it shifts the frame. Throws std::invalid_argument for a container
// that is not in the layout.
[[nodiscard]] PixelRect elementRect(const WindowLayout& layout, const DesignedElement& element, int dpi);

// The scale, in dots per inch, at which the window is laid out, fonts
// included: the system's DPI when the whole window fits `workArea` there,
// where `frame` is what caption and borders add to the client area.
// Otherwise the largest DPI at which it fits, but not below 96 while the
// 96-DPI window fits; on a work area smaller than that, the largest that
// fits, down to kSmallestLayoutDpi, where the text is still legible.
inline constexpr int kSmallestLayoutDpi = 60;
[[nodiscard]] int layoutDpi(const WindowLayout& layout, int systemDpi, PixelSize frame, PixelSize workArea);

// The font's character height in pixels, negative as CreateFont takes it
// for a height without the internal leading.
[[nodiscard]] int fontHeight(double points, int dpi);

}  // namespace ocx::win32
