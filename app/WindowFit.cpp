#include "app/WindowFit.h"

#include <algorithm>

namespace app {

WindowSize FitWindowSize(const FitInput& in) {
  const auto scaled = [&](int pixels) { return core::ScaleToDpi(pixels, in.dpi); };
  const int w = std::max(in.pictureWidth, scaled(kMinPictureWidth));
  const int h = std::max(in.pictureHeight, scaled(kMinPictureHeight));
  WindowSize size{
      w + scaled(kLeftPanelWidth) + scaled(kFrameExtraWidth),
      h + scaled(kToolBarHeight) + scaled(kStatusLineHeight) + scaled(in.frameExtraHeight)};
  if (in.screenWidth < in.windowLeft + size.width) {
    const int clipped = in.screenWidth - in.windowLeft;
    if (clipped > 0) size.width = clipped;
  }
  if (in.screenHeight < in.windowTop + size.height) {
    const int clipped = in.screenHeight - in.windowTop - scaled(kScreenBottomMargin);
    if (clipped > 0) size.height = clipped;
  }
  return size;
}

}  // namespace app
