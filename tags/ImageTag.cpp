#include "tags/ImageTag.h"

#include <windows.h>
#include <commctrl.h>

#include <utility>

#include "win/Handles.h"

namespace tags {
namespace {

constexpr UINT_PTR kPreviewSubclass = 0x50524556;

}  // namespace

TImageTag::TImageTag(win::controls::GraphicSurface& surface) : GraphicControl(surface) {}

void TImageTag::SetPicture(TagPicture picture) {
  picture_ = std::move(picture);
  Invalidate();
}

void TImageTag::Paint(HDC dc) { picture_.Draw(dc, RECT{0, 0, Width(), Height()}); }

ImagePreview::ImagePreview() : picture_(BuiltInPreview()) {}

ImagePreview::~ImagePreview() {
  if (control_ && IsWindow(control_)) RemoveWindowSubclass(control_, PaintProc, kPreviewSubclass);
}

void ImagePreview::Attach(HWND control) {
  control_ = control;
  SetWindowSubclass(control_, PaintProc, kPreviewSubclass, reinterpret_cast<DWORD_PTR>(this));
  InvalidateRect(control_, nullptr, FALSE);
}

void ImagePreview::SetPicture(TagPicture picture) {
  picture_ = std::move(picture);
  if (control_) InvalidateRect(control_, nullptr, FALSE);
}

LRESULT CALLBACK ImagePreview::PaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                         UINT_PTR, DWORD_PTR self) noexcept {
  auto* preview = reinterpret_cast<ImagePreview*>(self);
  switch (message) {
    case WM_PAINT: {
      win::PaintDc paint(window);
      RECT area{};
      GetClientRect(window, &area);
      // Where an icon is transparent, the page shows through.
      FillRect(paint.get(), &area, GetSysColorBrush(COLOR_BTNFACE));
      preview->picture_.Draw(paint.get(), area);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, PaintProc, kPreviewSubclass);
      preview->control_ = nullptr;
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace tags
