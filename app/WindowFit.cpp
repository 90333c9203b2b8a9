#include "app/WindowFit.h"

#include <algorithm>

namespace app {

WindowSize FitWindowSize(const FitInput& in) {
  const int w = std::max(in.pictureWidth, kMinPictureWidth);
  const int h = std::max(in.pictureHeight, kMinPictureHeight);
  WindowSize size{w + kLeftPanelWidth + kFrameExtraWidth,
                  h + kToolBarHeight + kStatusLineHeight + in.frameExtraHeight};
  if (in.screenWidth < in.windowLeft + size.width) {
    const int clipped = in.screenWidth - in.windowLeft;
    if (clipped > 0) size.width = clipped;
  }
  if (in.screenHeight < in.windowTop + size.height) {
    const int clipped = in.screenHeight - in.windowTop - kScreenBottomMargin;
    if (clipped > 0) size.height = clipped;
  }
  return size;
}

}  // namespace app
