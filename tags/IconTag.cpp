#include "tags/IconTag.h"

#include <windows.h>

#include <utility>

namespace tags {

TIconTag::TIconTag(win::controls::GraphicSurface& surface) : GraphicControl(surface) {}

void TIconTag::SetIcon(win::UniqueIcon icon) {
  icon_ = std::move(icon);
  Invalidate();
}

void TIconTag::DrawInto(HDC dc, int x, int y) const {
  if (icon_) DrawIconEx(dc, x, y, icon_.get(), Width(), Height(), 0, nullptr, DI_NORMAL);
}

void TIconTag::Paint(HDC dc) {
  if (icon_) DrawIconEx(dc, 0, 0, icon_.get(), Width(), Height(), 0, nullptr, DI_NORMAL);
}

}  // namespace tags
