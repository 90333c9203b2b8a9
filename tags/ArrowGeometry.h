#pragma once
// Where the shape tag's arrow and line run: corner to corner of the tag, through the centres of
// the corner pixels, towards the corner the "向き" list names; and the arrow's head, which grows
// with the pen's width.

#include <array>
#include <optional>

namespace tags {

// The corner the arrow points to, by its index in the "向き" list: "右下", "左下", "左上", "右上".
enum class Corner { BottomRight = 0, BottomLeft = 1, TopLeft = 2, TopRight = 3 };

// A point in pixels of the tag's own coordinates: (0.5, 0.5) is the centre of its top-left pixel.
struct PointF {
  float x = 0;
  float y = 0;
  friend bool operator==(const PointF&, const PointF&) = default;
};

struct Stroke {
  PointF from;  // the shaft's start: the corner opposite the one pointed to
  PointF to;    // the shaft's end: the tip for a line, inside the head for an arrow
  // The arrow's head, a triangle: its tip on the corner pointed to, then the two barbs.
  std::optional<std::array<PointF, 3>> head;
};

// The head's length along the shaft for a pen of `penWidth` pixels; its base is as wide.
float ArrowHeadLength(int penWidth);

// The line across a `width` x `height` tag towards `pointsTo`.
Stroke LineIn(int width, int height, Corner pointsTo);
// The arrow across the tag: the line, with a head at `pointsTo` as long as ArrowHeadLength, or as
// the line when that is shorter; the shaft reaches a third into the head, so no seam shows.
Stroke ArrowIn(int width, int height, Corner pointsTo, int penWidth);

}  // namespace tags
