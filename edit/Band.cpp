#include "edit/Band.h"

#include <windows.h>

#include <vector>

#include "win/BitmapDc.h"
#include "win/Handles.h"

namespace edit {

void DrawBands(host::PictureHost& picture, std::initializer_list<BandPath> outlines) {
  std::vector<RECT> changed;
  {
    win::BitmapDc dc(picture.Picture().Bitmap());
    win::UniquePen pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    win::Selection select(dc.get(), pen.get());
    for (const BandPath& path : outlines) {
      SetROP2(dc.get(), R2_NOT);
      MoveToEx(dc.get(), path[0].x, path[0].y, nullptr);
      for (size_t i = 1; i < path.size(); ++i) LineTo(dc.get(), path[i].x, path[i].y);
      for (const PixelRect& strip : OutlineStrips(path[0].x, path[0].y, path[2].x, path[2].y)) {
        changed.push_back(RECT{strip.left, strip.top, strip.right, strip.bottom});
      }
    }
  }
  picture.InvalidatePicture(changed);
}

}  // namespace edit
