#include "win/MetafilePlayer.h"

#include <functional>

#include "win/BitmapDc.h"
#include "win/Picture.h"

namespace win {
namespace {

// Copies the rectangle into an off-screen bitmap of `size`, lets `play` draw on it, and copies
// it back, stretched when its size differs. The copy back goes through a device context of its
// own: the one played on keeps whatever mapping the metafile left, which would move the copy.
void PlayOffScreen(HDC dc, const RECT& bounds, SIZE size, const std::function<void(HDC)>& play) {
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  if (width <= 0 || height <= 0 || size.cx <= 0 || size.cy <= 0) return;
  Picture canvas = Picture::Create({size.cx, size.cy, 32});
  const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
  {
    BitmapDc off(canvas.Bitmap());
    SetStretchBltMode(off.get(), COLORONCOLOR);
    StretchBlt(off.get(), 0, 0, size.cx, size.cy, dc, bounds.left, bounds.top, width, height,
               SRCCOPY);
    play(off.get());
  }
  GdiFlush();
  BitmapDc result(canvas.Bitmap());
  StretchBlt(dc, bounds.left, bounds.top, width, height, result.get(), 0, 0, size.cx, size.cy,
             SRCCOPY);
  SetStretchBltMode(dc, oldMode);
}

}  // namespace

void PlayPlaceableMetafile(HDC dc, const RECT& bounds, SIZE size, HMETAFILE metafile,
                           const core::PlaceableHeader& box) {
  PlayOffScreen(dc, bounds, size, [&](HDC off) {
    // The bounding box onto the bitmap. The records may set the window again; they keep this
    // scale as long as they describe the same box, as placeable metafiles do.
    SetMapMode(off, MM_ANISOTROPIC);
    SetWindowOrgEx(off, box.left, box.top, nullptr);
    SetWindowExtEx(off, box.width, box.height, nullptr);
    SetViewportExtEx(off, size.cx, size.cy, nullptr);
    PlayMetaFile(off, metafile);
  });
}

void PlayEnhancedMetafile(HDC dc, const RECT& bounds, SIZE size, HENHMETAFILE metafile) {
  PlayOffScreen(dc, bounds, size, [&](HDC off) {
    const RECT area{0, 0, size.cx, size.cy};
    PlayEnhMetaFile(off, metafile, &area);
  });
}

std::vector<uint8_t> MetafileBytes(HMETAFILE metafile) {
  std::vector<uint8_t> bytes(GetMetaFileBitsEx(metafile, 0, nullptr));
  if (!bytes.empty() &&
      GetMetaFileBitsEx(metafile, static_cast<UINT>(bytes.size()), bytes.data()) != bytes.size()) {
    bytes.clear();
  }
  return bytes;
}

std::vector<uint8_t> EnhancedMetafileBytes(HENHMETAFILE metafile) {
  std::vector<uint8_t> bytes(GetEnhMetaFileBits(metafile, 0, nullptr));
  if (!bytes.empty() &&
      GetEnhMetaFileBits(metafile, static_cast<UINT>(bytes.size()), bytes.data()) != bytes.size()) {
    bytes.clear();
  }
  return bytes;
}

}  // namespace win
