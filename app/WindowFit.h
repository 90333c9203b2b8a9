#pragma once
// Sizing of the main window around its picture. Pure arithmetic, so it is tested natively.

#include "core/DpiScale.h"

namespace app {

// Fixed parts of the main window that surround the picture area, in pixels of a 96-DPI screen:
// at another resolution each scales (core::ScaleToDpi), the picture's own pixels never do.
inline constexpr int kLeftPanelWidth = 88;
inline constexpr int kToolBarHeight = 25;
inline constexpr int kStatusLineHeight = 24;
inline constexpr int kFrameExtraWidth = 12;
inline constexpr int kFrameExtraHeightWithMenu = 50;
inline constexpr int kFrameExtraHeightWithoutMenu = 32;
inline constexpr int kMinPictureWidth = 400;
inline constexpr int kMinPictureHeight = 300;
inline constexpr int kScreenBottomMargin = 24;

struct WindowSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const WindowSize&, const WindowSize&) = default;
};

struct FitInput {
  int pictureWidth = 0;
  int pictureHeight = 0;
  int frameExtraHeight = kFrameExtraHeightWithMenu;
  int windowLeft = 0;
  int windowTop = 0;
  int screenWidth = 0;  // the whole primary screen, not its work area
  int screenHeight = 0;
  int dpi = core::kDesignDpi;  // the window's resolution
};

// The window size that shows the picture (at least 400 x 300) beside the left panel, clipped to the
// screen's right edge and to 24 pixels above its bottom edge. The position never changes. When the
// window starts so far right or down that clipping leaves nothing, the unclipped size is kept: a
// window of zero or negative size could not be made visible again by the user. Everything is in
// the screen's pixels: the picture takes as many as it has, the rest of the window's parts (and
// the least picture area) as many as their 96-DPI sizes scaled to the window's resolution.
WindowSize FitWindowSize(const FitInput& in);

}  // namespace app
