#include "app/WindowPlacement.h"

#include <algorithm>
#include <cstdint>

namespace app {

ScreenPoint RestoredPosition(ScreenPoint saved, std::span<const ScreenRect> workAreas,
                             const ScreenRect& nearestWorkArea) {
  // In 64 bits: a hand-edited file may hold any 32-bit position.
  const int64_t gripLeft = saved.x;
  const int64_t gripTop = saved.y;
  const int64_t gripRight = gripLeft + kCaptionGripWidth;
  const int64_t gripBottom = gripTop + kCaptionGripHeight;
  int64_t covered = 0;
  for (const ScreenRect& area : workAreas) {
    const int64_t width =
        std::min<int64_t>(gripRight, area.right) - std::max<int64_t>(gripLeft, area.left);
    const int64_t height =
        std::min<int64_t>(gripBottom, area.bottom) - std::max<int64_t>(gripTop, area.top);
    if (width > 0 && height > 0) covered += width * height;
  }
  if (covered >= int64_t{kCaptionGripWidth} * kCaptionGripHeight) return saved;
  return ScreenPoint{nearestWorkArea.left + kFallbackOffset, nearestWorkArea.top + kFallbackOffset};
}

ScreenPoint WorkspaceToScreen(ScreenPoint workspace, const ScreenRect& monitor,
                              const ScreenRect& workArea) {
  return ScreenPoint{workspace.x + workArea.left - monitor.left,
                     workspace.y + workArea.top - monitor.top};
}

}  // namespace app
