// The arithmetic of capturing the screen: the rectangle a drag picks, where the magnifier stands,
// and how long a capture waits.
#include <gtest/gtest.h>

#include "acquire/CaptureGeometry.h"

namespace {

using acquire::PixelPoint;
using acquire::PixelRect;

TEST(CaptureGeometry, ADragSpansItsPixelsInAnyDirectionWithinTheScreen) {
  const PixelRect screen{-1280, 0, 1280, 1024};  // a second monitor left of the primary
  const struct {
    PixelPoint from, to;
    PixelRect expected;
  } cases[] = {
      {{100, 100}, {400, 300}, {100, 100, 400, 300}},          // 300 x 200 to the lower right
      {{400, 300}, {100, 100}, {100, 100, 400, 300}},          // the same dragged back
      {{400, 100}, {100, 300}, {100, 100, 400, 300}},          // to the lower left
      {{-50, 10}, {50, 20}, {-50, 10, 50, 20}},                // across the monitors
      {{1200, 1000}, {1500, 1100}, {1200, 1000, 1280, 1024}},  // past the screen's corner
      {{5, 5}, {5, 90}, {}},                                   // no width: nothing
  };
  for (const auto& c : cases) {
    EXPECT_EQ(acquire::DragRect(c.from, c.to, screen), c.expected)
        << c.from.x << "," << c.from.y << " -> " << c.to.x << "," << c.to.y;
  }
}

TEST(CaptureGeometry, TheMagnifierStandsBesideThePointerAndStaysOnTheScreen) {
  const PixelRect screen{0, 0, 1280, 1024};
  EXPECT_EQ(acquire::BesidePointer({100, 100}, 120, 20, screen), (PixelRect{120, 120, 240, 240}));
  EXPECT_EQ(acquire::BesidePointer({1270, 100}, 120, 20, screen),
            (PixelRect{1130, 120, 1250, 240}));
  EXPECT_EQ(acquire::BesidePointer({1270, 1020}, 120, 20, screen),
            (PixelRect{1130, 880, 1250, 1000}));
  // A screen smaller than the magnifier keeps its corner on the screen.
  EXPECT_EQ(acquire::BesidePointer({50, 50}, 120, 20, PixelRect{0, 0, 100, 100}),
            (PixelRect{0, 0, 120, 120}));
}

TEST(CaptureGeometry, EveryCaptureWaitsTheOfferedDelayAndAtLeastTheSettlingTime) {
  EXPECT_EQ(acquire::GrabAfterMs(0), acquire::kSettleMs);
  EXPECT_EQ(acquire::GrabAfterMs(3), 3000);
  EXPECT_EQ(acquire::GrabAfterMs(10), 10000);
  EXPECT_EQ(acquire::GrabAfterMs(7), acquire::kSettleMs) << "a delay nobody offered";
  EXPECT_EQ(acquire::GrabAfterMs(-3), acquire::kSettleMs);
  EXPECT_EQ(acquire::CapturedText(1280, 1024), L"ｷｬﾌﾟﾁｬｰしました。ｻｲｽﾞ X=1280 Y=1024");
}

}  // namespace
