#pragma once
// The icon tag IconTag: a 32 x 32 icon over the picture, a copy of the palette icon it was shown
// with, drawn through its transparency mask on the screen and when it is stamped into the picture.

#include <windows.h>

#include "win/Handles.h"
#include "win/controls/GraphicControl.h"

namespace tags {

class TIconTag : public win::controls::GraphicControl {
 public:
  explicit TIconTag(win::controls::GraphicSurface& surface);

  HICON Icon() const { return icon_.get(); }
  // Takes the icon and shows it.
  void SetIcon(win::UniqueIcon icon);
  // Stamps the icon into `dc` with its top-left corner at (x, y), at the standard icon size
  // (32 x 32) whatever its own: the mask's transparent pixels leave the picture as it was.
  void DrawInto(HDC dc, int x, int y) const;

 protected:
  void Paint(HDC dc) override;

 private:
  win::UniqueIcon icon_;
};

}  // namespace tags
