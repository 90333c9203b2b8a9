#pragma once
// What the tags' own pixel arithmetic (mosaic, highlighter) works with: a rectangle of picture
// pixels, a colour, and the pictures whose pixels it edits in place.

#include <algorithm>
#include <cstdint>

#include "core/Dib.h"

namespace tags {

// Right and bottom exclusive.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  bool Empty() const { return right <= left || bottom <= top; }
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

inline PixelRect Intersect(const PixelRect& a, const PixelRect& b) {
  return PixelRect{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                   std::min(a.bottom, b.bottom)};
}

struct Rgb {
  uint8_t red = 0;
  uint8_t green = 0;
  uint8_t blue = 0;
  friend bool operator==(const Rgb&, const Rgb&) = default;
};

// Whether the pixels can be edited in place: 24 bits, or 32 bits in the order blue, green, red,
// unused.
inline bool DirectlyEditable(const core::Dib& picture) {
  return !picture.Empty() &&
         (picture.BitCount() == 24 || (picture.BitCount() == 32 && !picture.HasCustomMasks()));
}

}  // namespace tags
