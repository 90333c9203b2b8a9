// The track box's geometry: where its handles are hit, how a drag on each handle changes the box,
// moving, and the inner rectangle the tags are placed in.
#include <gtest/gtest.h>

#include <string>

#include "core/TrackBoxGeometry.h"

namespace {

using core::TrackBounds;

std::string Describe(const TrackBounds& b) {
  return std::to_string(b.left) + "," + std::to_string(b.top) + " " + std::to_string(b.width) +
         "x" + std::to_string(b.height);
}

TEST(TrackBoxGeometry, HandlesAreHitOnePixelBeyondTheirDrawnSquares) {
  // A 73 x 49 box: the middle handles at (73 - 5) / 2 = 34 and (49 - 5) / 2 = 22.
  struct Case {
    int x, y, zone;
  };
  const Case cases[] = {
      {0, 0, 0},   {5, 5, 0},   {5, 0, 0},   {0, 5, 0},   {6, 0, 8},   {0, 6, 8},
      {34, 0, 1},  {39, 5, 1},  {33, 0, 8},  {68, 0, 2},  {73, 5, 2},  {67, 0, 8},
      {68, 22, 3}, {73, 27, 3}, {68, 28, 8}, {68, 44, 4}, {73, 49, 4}, {34, 44, 5},
      {39, 49, 5}, {0, 44, 6},  {5, 49, 6},  {0, 22, 7},  {5, 27, 7},  {36, 24, 8},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(core::HoverZone(73, 49, c.x, c.y), c.zone) << "at " << c.x << "," << c.y;
    EXPECT_EQ(core::InAnyHitArea(73, 49, c.x, c.y), c.zone != core::kNoTrackZone);
  }
  // In a box too small for its handles the hit areas overlap and the last zone tried wins.
  EXPECT_EQ(core::HoverZone(10, 10, 5, 5), 7);
  EXPECT_EQ(core::HoverZone(10, 10, 0, 0), 0);
}

TEST(TrackBoxGeometry, ResizeStepsMoveTheDraggedEdgesAndNeverLeaveLessThanOnePixel) {
  const TrackBounds box{100, 50, 73, 49};
  struct Case {
    int zone, x, y;
    TrackBounds expected;
  };
  const Case cases[] = {
      // Left and top edges follow the pointer; the opposite edge stays.
      {0, 3, 4, {103, 54, 70, 45}},
      {0, -10, -5, {90, 45, 83, 54}},
      {0, 72, 48, {172, 98, 1, 1}},
      {0, 73, 4, box},  // past the right edge: nothing changes, not even the top
      {0, 4, 49, box},
      {1, 10, 4, {100, 54, 73, 45}},
      {1, 10, 49, box},
      {7, 3, 60, {103, 50, 70, 49}},
      {7, 73, 5, box},
      // Right and bottom edges are placed at the pointer, down to a width or height of 1.
      {2, 80, 4, {100, 54, 80, 45}},
      {2, 1, 4, {100, 54, 1, 45}},
      {2, 0, 4, box},
      {3, 80, 60, {100, 50, 80, 49}},
      {3, 0, 5, box},
      {4, 80, 60, {100, 50, 80, 60}},
      {4, 1, 1, {100, 50, 1, 1}},
      {4, 80, 0, box},
      {5, 10, 60, {100, 50, 73, 60}},
      {5, 10, 0, box},
      {6, 3, 60, {103, 50, 70, 60}},
      {6, 73, 60, box},
      {6, 3, -1, box},
      {core::kNoTrackZone, 3, 4, box},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(Describe(core::ResizeStep(c.zone, box, c.x, c.y)), Describe(c.expected))
        << "zone " << c.zone << " at " << c.x << "," << c.y;
  }
}

TEST(TrackBoxGeometry, MovingKeepsThePointerWhereItPressedAndTagsGoInsideTheFrameLine) {
  const TrackBounds box{100, 50, 73, 49};
  EXPECT_EQ(Describe(core::MoveStep(box, 30, 20, {10, 10})), Describe({120, 60, 73, 49}));
  EXPECT_EQ(Describe(core::MoveStep(box, -200, -90, {10, 10})), Describe({-110, -50, 73, 49}));
  EXPECT_EQ(Describe(core::InnerRect({8, 8, 73, 49})), Describe({10, 10, 69, 45}));
}

TEST(TrackBoxGeometry, OnFinerScreensTheHandlesAndFrameLineGrowButNotTheBox) {
  // 144 DPI: 8-pixel handles hit over 9 pixels, the line 3 pixels in; 192 DPI: 10 and 4.
  const core::TrackMetrics at144 = core::TrackMetricsForDpi(144);
  EXPECT_EQ(at144.handleSize, 8);
  EXPECT_EQ(at144.lineInset, 3);
  EXPECT_EQ(core::TrackMetricsForDpi(192).handleSize, 10);
  EXPECT_EQ(core::TrackMetricsForDpi(96).handleSize, core::kTrackHandleSize);
  // A 110 x 74 box: the middle handles at (110 - 8) / 2 = 51 and (74 - 8) / 2 = 33.
  struct Case {
    int x, y, zone;
  };
  const Case cases[] = {{8, 8, 0},    {9, 0, 8},    {51, 0, 1}, {59, 8, 1}, {102, 33, 3},
                        {110, 41, 3}, {101, 33, 8}, {0, 66, 6}, {8, 74, 6}, {7, 7, 0}};
  for (const Case& c : cases) {
    EXPECT_EQ(core::HoverZone(110, 74, c.x, c.y, at144), c.zone) << "at " << c.x << "," << c.y;
  }
  EXPECT_FALSE(core::InAnyHitArea(110, 74, 7, 7)) << "beyond a 96-DPI handle";
  EXPECT_EQ(Describe(core::InnerRect({0, 0, 110, 74}, at144)), Describe({3, 3, 104, 68}));
}

}  // namespace
