#pragma once
// The icon tag IconTag: an icon of the standard icon size over the picture (32 x 32 on a 96-DPI
// screen, 48 x 48 at 144 DPI), a copy of the palette icon it was shown with, drawn through its
// transparency mask on the screen and when it is stamped into the picture, at the same size.

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
  // Stamps the icon into `dc` with its top-left corner at (x, y), at the tag's size (the standard
  // icon size) whatever the icon's own: the mask's transparent pixels leave the picture as it was.
  void DrawInto(HDC dc, int x, int y) const;

 protected:
  void Paint(HDC dc) override;

 private:
  win::UniqueIcon icon_;
};

}  // namespace tags
