#pragma once
// The arithmetic of the crop: clamping the dragged corner, ordering the rectangle, the outline the
// band pen inverts, the edge steps of the fine-adjustment dialog and the scrolling that follows the
// pointer. Portable, so it is tested natively.

#include <array>

#include "host/CropFrame.h"

namespace edit {

struct BandPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const BandPoint&, const BandPoint&) = default;
};

// The five points of an outline drawn as four lines, each leaving out its end point.
using BandPath = std::array<BandPoint, 5>;

// A rectangle with exclusive right and bottom edges.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  friend bool operator==(const PixelRect&, const PixelRect&) = default;
};

// A pointer coordinate pinned to 0 .. extent, both included: the dragged corner may lie on the
// picture's right or bottom border, one past the last pixel.
int ClampToPicture(int value, int extent);

// Exchanges CropLeft and CropRight, and CropTop and CropBottom, where they are the wrong way round.
void OrderCrop(host::CropFrame& frame);

// The outline from (x1, y1) over (x2, y1), (x2, y2) and (x1, y2) back to (x1, y1): how the drag
// draws the band.
BandPath DragOutline(int x1, int y1, int x2, int y2);
// The shown band's outline the other way round, from (left, top) over (left, bottom),
// (right, bottom) and (right, top): how the release and the fine-adjustment dialog draw it. It
// covers the same pixels as DragOutline.
BandPath ShownBandOutline(const host::CropFrame& frame);

// The four one-pixel strips that hold every pixel of the outline of the rectangle with corners
// (x1, y1) and (x2, y2), in either order: the rows y1 and y2 and the columns x1 and x2, each from
// the smaller to the larger corner coordinate, both included.
std::array<PixelRect, 4> OutlineStrips(int x1, int y1, int x2, int y2);

// The edges of the crop rectangle that the fine-adjustment dialog moves, and its arrows: "toward"
// is the up arrow of a vertical control or the right arrow of a horizontal one.
enum class CropEdge { Top, Right, Bottom, Left };
enum class Arrow { Toward, Away };

// One pixel step of an edge in the arrow's direction. An edge stays within 0 .. the picture's
// width or height (both included) and never passes the opposite edge, though it may reach it.
// Returns false when the edge could not move.
bool StepEdge(host::CropFrame& frame, CropEdge edge, Arrow arrow, int pictureWidth,
              int pictureHeight);

// How far to scroll one axis so that the dragged corner stays in view: one line toward the pointer
// when it is within a line of the visible area's edge or beyond it, else 0. `pointer` is the
// pointer's position in the visible area, `visible` the area's extent.
int FollowPointerStep(int pointer, int visible, int line);

}  // namespace edit
