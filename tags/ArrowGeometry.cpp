#include "tags/ArrowGeometry.h"

#include <algorithm>
#include <cmath>

namespace tags {

float ArrowHeadLength(int penWidth) { return 3.0f * static_cast<float>(penWidth) + 6.0f; }

Stroke LineIn(int width, int height, Corner pointsTo) {
  const float left = 0.5f;
  const float top = 0.5f;
  const float right = static_cast<float>(width) - 0.5f;
  const float bottom = static_cast<float>(height) - 0.5f;
  switch (pointsTo) {
    case Corner::BottomRight:
      return Stroke{{left, top}, {right, bottom}, std::nullopt};
    case Corner::BottomLeft:
      return Stroke{{right, top}, {left, bottom}, std::nullopt};
    case Corner::TopLeft:
      return Stroke{{right, bottom}, {left, top}, std::nullopt};
    case Corner::TopRight:
      break;
  }
  return Stroke{{left, bottom}, {right, top}, std::nullopt};
}

Stroke ArrowIn(int width, int height, Corner pointsTo, int penWidth) {
  Stroke stroke = LineIn(width, height, pointsTo);
  const PointF tip = stroke.to;
  const float dx = tip.x - stroke.from.x;
  const float dy = tip.y - stroke.from.y;
  const float length = std::hypot(dx, dy);
  if (length < 1.0f) return stroke;  // a tag of one pixel: no room for a head
  const float head = std::min(ArrowHeadLength(penWidth), length);
  const float ux = dx / length;
  const float uy = dy / length;
  const PointF base{tip.x - ux * head, tip.y - uy * head};
  // The barbs stand half the head's length to either side of its base.
  const float half = head / 2;
  stroke.head = std::array<PointF, 3>{tip, PointF{base.x - uy * half, base.y + ux * half},
                                      PointF{base.x + uy * half, base.y - ux * half}};
  stroke.to = PointF{base.x + ux * head / 3, base.y + uy * head / 3};
  return stroke;
}

}  // namespace tags
