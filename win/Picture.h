#pragma once
// A picture that GDI can draw on and our own code can read: a DIB section whose bits are exposed
// as a core::Dib view, with a logical palette for pictures of up to 8 bits per pixel.

#include <windows.h>

#include <vector>

#include "core/Dib.h"
#include "win/Handles.h"

namespace win {

// BITMAPINFOHEADER, then the masks (BI_BITFIELDS) or the colour table, as GDI expects them.
std::vector<uint8_t> MakeBitmapInfo(const core::Dib& dib);
std::vector<uint8_t> MakeBitmapInfo(int width, int height, int bitCount,
                                    const std::vector<core::RgbQuad>& palette,
                                    const core::ChannelMasks& masks, int32_t xPelsPerMeter,
                                    int32_t yPelsPerMeter);

// A logical palette with the given colours; empty when there are none.
UniquePalette MakePalette(const std::vector<core::RgbQuad>& colours);

class Picture {
 public:
  Picture() = default;
  // A DIB section of the format, its pixels zero, for a decoder or GDI to fill in place. Throws
  // core::Error when the size is invalid or the memory cannot be had.
  static Picture Create(const core::DibFormat& format);
  // A DIB section of the same size, format, masks and colour table, holding a copy of the pixels.
  static Picture FromDib(const core::Dib& dib);

  bool Empty() const { return !bitmap_; }
  int Width() const { return pixels_.Width(); }
  int Height() const { return pixels_.Height(); }
  HBITMAP Bitmap() const { return bitmap_.get(); }
  HPALETTE Palette() const { return palette_.get(); }
  // The pixels, shared with GDI. Call GdiFlush() after GDI drawing before reading them.
  core::Dib& Pixels() { return pixels_; }
  const core::Dib& Pixels() const { return pixels_; }

  // Replaces the picture by its 24-bit copy (no palette any more); nothing happens when it
  // already has 24 bits per pixel.
  void ConvertTo24();

  // Draws the picture at (x, y) of `dc` at its own size.
  void Draw(HDC dc, int x, int y) const;

 private:
  static Picture CreateSection(int width, int height, int bitCount,
                               const std::vector<core::RgbQuad>& palette,
                               const core::ChannelMasks& masks);

  UniqueBitmap bitmap_;
  UniquePalette palette_;
  core::Dib pixels_;
};

}  // namespace win
