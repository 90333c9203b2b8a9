#include "core/TrackBoxGeometry.h"

#include "core/DpiScale.h"

namespace core {

TrackMetrics TrackMetricsForDpi(int dpi) {
  return TrackMetrics{ScaleToDpi(kTrackHandleSize, dpi), ScaleToDpi(kTrackLineInset, dpi)};
}

TrackPoint HandleOrigin(int zone, int width, int height, const TrackMetrics& metrics) {
  const int size = metrics.handleSize;
  const int middleX = (width - size) / 2;
  const int middleY = (height - size) / 2;
  const int right = width - size;
  const int bottom = height - size;
  switch (zone) {
    case 0:
      return {0, 0};
    case 1:
      return {middleX, 0};
    case 2:
      return {right, 0};
    case 3:
      return {right, middleY};
    case 4:
      return {right, bottom};
    case 5:
      return {middleX, bottom};
    case 6:
      return {0, bottom};
    case 7:
      return {0, middleY};
    default:
      return {};
  }
}

bool InHitArea(int zone, int width, int height, int x, int y, const TrackMetrics& metrics) {
  if (zone < 0 || zone >= kTrackZones) return false;
  const TrackPoint origin = HandleOrigin(zone, width, height, metrics);
  return x >= origin.x && x <= origin.x + metrics.handleSize && y >= origin.y &&
         y <= origin.y + metrics.handleSize;
}

bool InAnyHitArea(int width, int height, int x, int y, const TrackMetrics& metrics) {
  return HoverZone(width, height, x, y, metrics) != kNoTrackZone;
}

int HoverZone(int width, int height, int x, int y, const TrackMetrics& metrics) {
  int found = kNoTrackZone;
  for (int zone = 0; zone < kTrackZones; ++zone) {
    if (InHitArea(zone, width, height, x, y, metrics)) found = zone;
  }
  return found;
}

TrackCursor ZoneCursor(int zone) {
  switch (zone) {
    case 0:
    case 4:
      return TrackCursor::SizeNwse;
    case 1:
    case 5:
      return TrackCursor::SizeNs;
    case 2:
    case 6:
      return TrackCursor::SizeNesw;
    case 3:
    case 7:
      return TrackCursor::SizeWe;
    default:
      return TrackCursor::Arrow;
  }
}

TrackBounds ResizeStep(int zone, const TrackBounds& box, int x, int y) {
  const int w = box.width;
  const int h = box.height;
  // Which edges the handle drags, and whether each may move: a left or top edge until it would
  // meet the opposite edge (x < w, y < h), a right or bottom edge likewise (x > 0, y > 0).
  const bool left = zone == 0 || zone == 6 || zone == 7;
  const bool top = zone == 0 || zone == 1 || zone == 2;
  const bool right = zone == 2 || zone == 3 || zone == 4;
  const bool bottom = zone == 4 || zone == 5 || zone == 6;
  if ((left && x >= w) || (top && y >= h) || (right && x <= 0) || (bottom && y <= 0)) return box;
  TrackBounds next = box;
  if (left) {
    next.left = box.left + x;
    next.width = w - x;
  }
  if (top) {
    next.top = box.top + y;
    next.height = h - y;
  }
  if (right) next.width = x;
  if (bottom) next.height = y;
  return next;
}

TrackBounds MoveStep(const TrackBounds& box, int x, int y, TrackPoint press) {
  TrackBounds next = box;
  next.top = box.top + y - press.y;
  next.left = box.left + x - press.x;
  return next;
}

TrackBounds InnerRect(const TrackBounds& box, const TrackMetrics& metrics) {
  const int inset = metrics.lineInset;
  return {box.left + inset, box.top + inset, box.width - 2 * inset, box.height - 2 * inset};
}

}  // namespace core
