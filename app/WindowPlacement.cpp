#include "app/WindowPlacement.h"

#include <algorithm>
#include <cstdint>

namespace app {

ScreenPoint RestoredPosition(ScreenPoint saved, std::span<const ScreenRect> workAreas,
                             const ScreenRect& nearestWorkArea, int dpi) {
  const int64_t gripWidth = core::ScaleToDpi(kCaptionGripWidth, dpi);
  const int64_t gripHeight = core::ScaleToDpi(kCaptionGripHeight, dpi);
  // In 64 bits: a hand-edited file may hold any 32-bit position.
  const int64_t gripLeft = saved.x;
  const int64_t gripTop = saved.y;
  const int64_t gripRight = gripLeft + gripWidth;
  const int64_t gripBottom = gripTop + gripHeight;
  int64_t covered = 0;
  for (const ScreenRect& area : workAreas) {
    const int64_t width =
        std::min<int64_t>(gripRight, area.right) - std::max<int64_t>(gripLeft, area.left);
    const int64_t height =
        std::min<int64_t>(gripBottom, area.bottom) - std::max<int64_t>(gripTop, area.top);
    if (width > 0 && height > 0) covered += width * height;
  }
  if (covered >= gripWidth * gripHeight) return saved;
  const int offset = core::ScaleToDpi(kFallbackOffset, dpi);
  return ScreenPoint{nearestWorkArea.left + offset, nearestWorkArea.top + offset};
}

ScreenPoint WorkspaceToScreen(ScreenPoint workspace, const ScreenRect& monitor,
                              const ScreenRect& workArea) {
  return ScreenPoint{workspace.x + workArea.left - monitor.left,
                     workspace.y + workArea.top - monitor.top};
}

}  // namespace app
