#include "acquire/CaptureGeometry.h"

#include <algorithm>
#include <iterator>

#include "host/Settings.h"

namespace acquire {

PixelRect Intersection(const PixelRect& a, const PixelRect& b) {
  const PixelRect both{std::max(a.left, b.left), std::max(a.top, b.top), std::min(a.right, b.right),
                       std::min(a.bottom, b.bottom)};
  return both.Empty() ? PixelRect{} : both;
}

PixelRect DragRect(PixelPoint from, PixelPoint to, const PixelRect& bounds) {
  return Intersection(PixelRect{std::min(from.x, to.x), std::min(from.y, to.y),
                                std::max(from.x, to.x), std::max(from.y, to.y)},
                      bounds);
}

PixelRect BesidePointer(PixelPoint pointer, int size, int gap, const PixelRect& bounds) {
  int left = pointer.x + gap;
  if (left + size > bounds.right) left = pointer.x - gap - size;
  int top = pointer.y + gap;
  if (top + size > bounds.bottom) top = pointer.y - gap - size;
  left = std::max(left, bounds.left);
  top = std::max(top, bounds.top);
  return PixelRect{left, top, left + size, top + size};
}

int OfferedDelay(int seconds) {
  const auto& offered = host::kCaptureDelays;
  return std::find(std::begin(offered), std::end(offered), seconds) != std::end(offered) ? seconds
                                                                                         : 0;
}

int GrabAfterMs(int seconds) { return std::max(OfferedDelay(seconds) * 1000, kSettleMs); }

std::wstring CapturedText(int width, int height) {
  return L"ｷｬﾌﾟﾁｬｰしました。ｻｲｽﾞ X=" + std::to_wstring(width) + L" Y=" + std::to_wstring(height);
}

}  // namespace acquire
