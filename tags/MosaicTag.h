#pragma once
// The mosaic tag MosaicTag: a rectangle over the picture that hides what lies under it when it is
// embedded, with blocks of one mean colour and noise ("ﾓｻﾞｲｸ") or with one chosen colour
// ("塗りつぶし"). On the screen it shows, live as it is moved or sized, what embedding will write.

#include <windows.h>

#include <cstdint>

#include "host/Roles.h"
#include "tags/PixelEditing.h"
#include "win/controls/GraphicControl.h"

namespace tags {

// The mosaic page's "方式" list: its entries by their index.
enum class MosaicMode { Mosaic = 0, Fill = 1 };

struct MosaicStyle {
  MosaicMode mode = MosaicMode::Mosaic;
  int blockSize = 16;  // pixels, host::kMinMosaicBlock..host::kMaxMosaicBlock
  COLORREF fill = RGB(0, 0, 0);
  friend bool operator==(const MosaicStyle&, const MosaicStyle&) = default;
};

class TMosaicTag : public win::controls::GraphicControl {
 public:
  // Hidden; it reads the picture of `picture` beneath it.
  TMosaicTag(win::controls::GraphicSurface& surface, host::PictureHost& picture);

  const MosaicStyle& Style() const { return style_; }
  void SetStyle(const MosaicStyle& style);
  // The seed of the mosaic's noise, shown and embedded alike.
  void SetSeed(uint64_t seed);
  // Writes into `picture` over `tag` (its rectangle in the picture's pixels, clipped to it) what
  // the tag shows there. The picture must be DirectlyEditable.
  void DrawInto(core::Dib& picture, PixelRect tag) const;
  // On the picture the tag shows its blocks alone: nothing of the picture beneath shows through.
  bool CoversPicture() const override;

 protected:
  void Paint(HDC dc) override;

 private:
  host::PictureHost& picture_;
  MosaicStyle style_;
  uint64_t seed_ = 0;
};

}  // namespace tags
