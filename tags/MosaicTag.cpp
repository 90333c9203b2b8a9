#include "tags/MosaicTag.h"

#include <windows.h>

#include <algorithm>
#include <exception>
#include <optional>
#include <vector>

#include "tags/Mosaic.h"
#include "win/Handles.h"

namespace tags {
namespace {

Rgb ToRgb(COLORREF colour) { return Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)}; }

}  // namespace

TMosaicTag::TMosaicTag(win::controls::GraphicSurface& surface, host::PictureHost& picture)
    : GraphicControl(surface), picture_(picture) {}

void TMosaicTag::SetStyle(const MosaicStyle& style) {
  if (style_ == style) return;
  style_ = style;
  Invalidate();
}

void TMosaicTag::SetSeed(uint64_t seed) {
  if (seed_ == seed) return;
  seed_ = seed;
  Invalidate();
}

void TMosaicTag::DrawInto(core::Dib& picture, PixelRect tag) const {
  if (style_.mode == MosaicMode::Fill) {
    FillArea(picture, tag, ToRgb(style_.fill));
    return;
  }
  if (const std::optional<Rgb> mean = MeanColour(picture, tag)) {
    WriteMosaic(picture, tag, tag.left, tag.top, style_.blockSize, *mean, seed_);
  }
}

bool TMosaicTag::CoversPicture() const { return DirectlyEditable(picture_.Picture().Pixels()); }

void TMosaicTag::Paint(HDC dc) try {
  // Only the part on the picture, which is all that embedding changes; the rest shows the
  // picture area as it is.
  GdiFlush();
  const POINT origin = Surface().Origin();
  const int left = Left() + origin.x;
  const int top = Top() + origin.y;
  const PixelRect tag{left, top, left + Width(), top + Height()};
  const core::Dib& picture = picture_.Picture().Pixels();
  PixelRect on = Intersect(tag, PixelRect{0, 0, picture.Width(), picture.Height()});
  if (on.Empty() || !DirectlyEditable(picture)) return;
  // In the tag's own coordinates, and within what is to be painted.
  on = PixelRect{on.left - left, on.top - top, on.right - left, on.bottom - top};
  RECT clip{};
  if (GetClipBox(dc, &clip) == NULLREGION) return;
  const PixelRect painted = Intersect(on, PixelRect{clip.left, clip.top, clip.right, clip.bottom});
  if (painted.Empty()) return;
  IntersectClipRect(dc, on.left, on.top, on.right, on.bottom);
  if (style_.mode == MosaicMode::Fill) {
    win::UniqueBrush brush(CreateSolidBrush(style_.fill));
    const RECT area{on.left, on.top, on.right, on.bottom};
    FillRect(dc, &area, brush.get());
    return;
  }
  const std::optional<Rgb> mean = MeanColour(picture, tag);
  if (!mean) return;
  // The blocks counted from the tag's corner, as embedding counts them: one pixel each, stretched
  // to the block size, of the blocks that meet the area painted.
  const int block = std::clamp(style_.blockSize, host::kMinMosaicBlock, host::kMaxMosaicBlock);
  const int firstColumn = painted.left / block;
  const int firstRow = painted.top / block;
  const int columns = (painted.right + block - 1) / block - firstColumn;
  const int rows = (painted.bottom + block - 1) / block - firstRow;
  std::vector<uint32_t> blocks(static_cast<size_t>(columns) * static_cast<size_t>(rows));
  for (int r = 0; r < rows; ++r) {
    for (int c = 0; c < columns; ++c) {
      const Rgb colour = MosaicBlockColour(*mean, seed_, firstColumn + c, firstRow + r);
      blocks[static_cast<size_t>(r) * static_cast<size_t>(columns) + static_cast<size_t>(c)] =
          (uint32_t{colour.red} << 16) | (uint32_t{colour.green} << 8) | colour.blue;
    }
  }
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), columns, -rows, 1, 32, BI_RGB};
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchDIBits(dc, firstColumn * block, firstRow * block, columns * block, rows * block, 0, 0,
                columns, rows, blocks.data(), &info, DIB_RGB_COLORS, SRCCOPY);
} catch (const std::exception&) {
  // Painting goes on without the tag when there is no memory for its blocks.
}

}  // namespace tags
