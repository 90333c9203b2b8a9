#pragma once
// What a tag that draws over the picture's own pixels (an arrow, a line, the highlighter) draws
// on: a 32-bit copy of what lies under the tag, the picture's pixels where the tag lies on the
// picture and the picture area's background elsewhere. The same canvas is shown on the screen and
// written back into the picture, so the screen shows pixel for pixel what embedding writes.

#include <windows.h>

#include "tags/PixelEditing.h"
#include "win/BitmapDc.h"
#include "win/Picture.h"

namespace tags {

class TagCanvas {
 public:
  // A canvas of the size of `tag`, a rectangle in the picture's pixels.
  TagCanvas(const win::Picture& picture, PixelRect tag);
  TagCanvas(const TagCanvas&) = delete;
  TagCanvas& operator=(const TagCanvas&) = delete;

  int Width() const { return bitmap_.Width(); }
  int Height() const { return bitmap_.Height(); }
  // For drawing with GDI or GDI+.
  HDC Dc() const { return dc_.get(); }
  // For drawing with our own code; GDI's drawing is flushed first.
  core::Dib& Pixels();
  // Copies the canvas to `dc` with its top-left corner at (0, 0).
  void Show(HDC dc) const;
  // Copies the part of the canvas that lies on the picture into it.
  void WriteBack(win::Picture& picture) const;

 private:
  PixelRect tag_;
  win::Picture bitmap_;
  win::BitmapDc dc_;
};

}  // namespace tags
