#include "edit/CropGeometry.h"

#include <algorithm>
#include <utility>

namespace edit {

int ClampToPicture(int value, int extent) {
  if (value > extent) value = extent;
  if (value < 0) value = 0;
  return value;
}

void OrderCrop(host::CropFrame& frame) {
  if (frame.CropRight < frame.CropLeft) std::swap(frame.CropLeft, frame.CropRight);
  if (frame.CropBottom < frame.CropTop) std::swap(frame.CropTop, frame.CropBottom);
}

BandPath DragOutline(int x1, int y1, int x2, int y2) {
  return {BandPoint{x1, y1}, BandPoint{x2, y1}, BandPoint{x2, y2}, BandPoint{x1, y2},
          BandPoint{x1, y1}};
}

BandPath ShownBandOutline(const host::CropFrame& f) {
  return {BandPoint{f.BandLeft, f.BandTop}, BandPoint{f.BandLeft, f.BandBottom},
          BandPoint{f.BandRight, f.BandBottom}, BandPoint{f.BandRight, f.BandTop},
          BandPoint{f.BandLeft, f.BandTop}};
}

std::array<PixelRect, 4> OutlineStrips(int x1, int y1, int x2, int y2) {
  const int left = std::min(x1, x2);
  const int right = std::max(x1, x2) + 1;
  const int top = std::min(y1, y2);
  const int bottom = std::max(y1, y2) + 1;
  return {PixelRect{left, y1, right, y1 + 1}, PixelRect{left, y2, right, y2 + 1},
          PixelRect{x1, top, x1 + 1, bottom}, PixelRect{x2, top, x2 + 1, bottom}};
}

bool StepEdge(host::CropFrame& f, CropEdge edge, Arrow arrow, int pictureWidth, int pictureHeight) {
  // The edge's value, the value it moves by, and whether it may move that way.
  int* value = nullptr;
  int delta = 0;
  bool allowed = false;
  const bool toward = arrow == Arrow::Toward;
  switch (edge) {
    case CropEdge::Top:  // up: toward 0; down: toward the bottom edge
      value = &f.CropTop;
      delta = toward ? -1 : 1;
      allowed = toward ? f.CropTop > 0 : f.CropTop < f.CropBottom;
      break;
    case CropEdge::Right:  // right: toward the picture width; left: toward the left edge
      value = &f.CropRight;
      delta = toward ? 1 : -1;
      allowed = toward ? f.CropRight < pictureWidth : f.CropLeft < f.CropRight;
      break;
    case CropEdge::Bottom:  // up: toward the top edge; down: toward the picture height
      value = &f.CropBottom;
      delta = toward ? -1 : 1;
      allowed = toward ? f.CropTop < f.CropBottom : f.CropBottom < pictureHeight;
      break;
    case CropEdge::Left:  // right: toward the right edge; left: toward 0
      value = &f.CropLeft;
      delta = toward ? 1 : -1;
      allowed = toward ? f.CropLeft < f.CropRight : f.CropLeft > 0;
      break;
  }
  if (!allowed) return false;
  *value += delta;
  return true;
}

int FollowPointerStep(int pointer, int visible, int line) {
  if (pointer >= visible - line) return line;
  if (pointer < line) return -line;
  return 0;
}

}  // namespace edit
