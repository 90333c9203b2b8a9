#include "tags/Highlighter.h"

#include <array>

namespace tags {

void MultiplyArea(core::Dib& picture, PixelRect area, Rgb colour) {
  area = Intersect(area, PixelRect{0, 0, picture.Width(), picture.Height()});
  if (area.Empty() || !DirectlyEditable(picture)) return;
  // A table per channel: the product of every level with the colour's level.
  std::array<std::array<uint8_t, 256>, 3> products{};
  const uint8_t factors[3] = {colour.blue, colour.green, colour.red};
  for (int c = 0; c < 3; ++c) {
    for (int level = 0; level < 256; ++level) {
      products[c][level] = static_cast<uint8_t>((level * factors[c] + 127) / 255);
    }
  }
  const int bytesPerPixel = picture.BitCount() / 8;
  for (int y = area.top; y < area.bottom; ++y) {
    uint8_t* p = picture.Row(y) + area.left * bytesPerPixel;
    for (int x = area.left; x < area.right; ++x, p += bytesPerPixel) {
      p[0] = products[0][p[0]];
      p[1] = products[1][p[1]];
      p[2] = products[2][p[2]];
    }
  }
}

}  // namespace tags
