#pragma once
// The image tag ImageTag over the picture, and the preview ImagePrev on the image page. Both show
// a picture (bitmap, metafile or icon) stretched to their own size. The tag holds its own copy of
// the preview's picture, taken when it is shown.

#include <windows.h>

#include "tags/TagPicture.h"
#include "win/controls/GraphicControl.h"

namespace tags {

class TImageTag : public win::controls::GraphicControl {
 public:
  explicit TImageTag(win::controls::GraphicSurface& surface);

  const TagPicture& Picture() const { return picture_; }
  void SetPicture(TagPicture picture);

 protected:
  void Paint(HDC dc) override;

 private:
  TagPicture picture_;
};

// The preview control: a window of the image page that the window builds; this paints it.
class ImagePreview {
 public:
  ImagePreview();  // holds the built-in drawing
  ~ImagePreview();
  ImagePreview(const ImagePreview&) = delete;
  ImagePreview& operator=(const ImagePreview&) = delete;

  // Paints `control` from now on, showing the picture held.
  void Attach(HWND control);
  const TagPicture& Picture() const { return picture_; }
  void SetPicture(TagPicture picture);

 private:
  static LRESULT CALLBACK PaintProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                    UINT_PTR id, DWORD_PTR self) noexcept;

  HWND control_ = nullptr;
  TagPicture picture_;
};

}  // namespace tags
