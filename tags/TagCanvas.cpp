#include "tags/TagCanvas.h"

#include <windows.h>

#include <algorithm>

namespace tags {
namespace {

PixelRect OnPicture(const win::Picture& picture, PixelRect tag) {
  return Intersect(tag, PixelRect{0, 0, picture.Width(), picture.Height()});
}

}  // namespace

TagCanvas::TagCanvas(const win::Picture& picture, PixelRect tag)
    : tag_(tag),
      bitmap_(win::Picture::Create({std::max(tag.Width(), 1), std::max(tag.Height(), 1), 32})),
      dc_(bitmap_.Bitmap()) {
  const RECT all{0, 0, Width(), Height()};
  FillRect(dc_.get(), &all, GetSysColorBrush(COLOR_BTNFACE));
  const PixelRect on = OnPicture(picture, tag);
  if (on.Empty()) return;
  win::BitmapDc source(picture.Bitmap());
  BitBlt(dc_.get(), on.left - tag.left, on.top - tag.top, on.Width(), on.Height(), source.get(),
         on.left, on.top, SRCCOPY);
}

core::Dib& TagCanvas::Pixels() {
  GdiFlush();
  return bitmap_.Pixels();
}

void TagCanvas::Show(HDC dc) const {
  BitBlt(dc, 0, 0, Width(), Height(), dc_.get(), 0, 0, SRCCOPY);
}

void TagCanvas::WriteBack(win::Picture& picture) const {
  const PixelRect on = OnPicture(picture, tag_);
  if (on.Empty()) return;
  {
    win::BitmapDc target(picture.Bitmap());
    BitBlt(target.get(), on.left, on.top, on.Width(), on.Height(), dc_.get(), on.left - tag_.left,
           on.top - tag_.top, SRCCOPY);
  }
  GdiFlush();
}

}  // namespace tags
