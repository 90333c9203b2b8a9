#pragma once
// Where the main window goes when its saved position is restored, and how the position stored at
// close is read back from a maximized or minimized window. Pure arithmetic on rectangles, so it is
// tested natively; the Windows side supplies the monitors.

#include <span>

#include "core/DpiScale.h"

namespace app {

struct ScreenPoint {
  int x = 0;
  int y = 0;
  friend bool operator==(const ScreenPoint&, const ScreenPoint&) = default;
};

struct ScreenRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
};

// The part of the window's top-left corner (its caption) that must lie on the monitors' work areas
// for a saved position to be used as it is, in pixels of a 96-DPI screen.
inline constexpr int kCaptionGripWidth = 100;
inline constexpr int kCaptionGripHeight = 30;
// Where a window goes whose saved position would leave it out of reach, from the top-left corner
// of the nearest monitor's work area (the place a first start uses too).
inline constexpr int kFallbackOffset = 80;

// The saved top-left as it is when at least kCaptionGripWidth x kCaptionGripHeight pixels from it
// lie on the work areas (negative coordinates included, where a monitor is); otherwise
// kFallbackOffset pixels into `nearestWorkArea`. Positions and work areas are the screen's pixels,
// as the window has them; the grip and the offset are scaled to the window's resolution `dpi`.
ScreenPoint RestoredPosition(ScreenPoint saved, std::span<const ScreenRect> workAreas,
                             const ScreenRect& nearestWorkArea, int dpi = core::kDesignDpi);

// A window placement's normal position is in workspace coordinates: relative to the work area of
// its monitor, so a taskbar at the top or left shifts it. This gives the same point in screen
// coordinates.
ScreenPoint WorkspaceToScreen(ScreenPoint workspace, const ScreenRect& monitor,
                              const ScreenRect& workArea);

}  // namespace app
