// The crop's arithmetic: the dragged corner pinned to the picture, the rectangle ordered after the
// release, the strips the band touches, the fine-adjustment steps and the scrolling that follows
// the pointer.
#include <gtest/gtest.h>

#include <string>

#include "edit/CropGeometry.h"

namespace {

using edit::Arrow;
using edit::CropEdge;

host::CropFrame Crop(int left, int top, int right, int bottom) {
  host::CropFrame f;
  f.CropLeft = left;
  f.CropTop = top;
  f.CropRight = right;
  f.CropBottom = bottom;
  return f;
}

std::string Describe(const host::CropFrame& f) {
  return std::to_string(f.CropLeft) + "," + std::to_string(f.CropTop) + " - " +
         std::to_string(f.CropRight) + "," + std::to_string(f.CropBottom);
}

TEST(CropGeometry, TheDraggedCornerStaysOnThePictureWithBothBordersIncluded) {
  EXPECT_EQ(edit::ClampToPicture(-5, 100), 0);
  EXPECT_EQ(edit::ClampToPicture(0, 100), 0);
  EXPECT_EQ(edit::ClampToPicture(57, 100), 57);
  EXPECT_EQ(edit::ClampToPicture(100, 100), 100);
  EXPECT_EQ(edit::ClampToPicture(4000, 100), 100);
}

TEST(CropGeometry, ARectangleDraggedUpAndLeftIsOrderedAtTheRelease) {
  host::CropFrame f = Crop(80, 60, 45, 10);
  edit::OrderCrop(f);
  EXPECT_EQ(Describe(f), Describe(Crop(45, 10, 80, 60)));
  f = Crop(10, 60, 45, 70);
  edit::OrderCrop(f);
  EXPECT_EQ(Describe(f), Describe(Crop(10, 60, 45, 70)));
}

TEST(CropGeometry, OutlineStripsHoldEveryLineOfTheBandWhicheverCornerComesFirst) {
  for (const auto& [x1, y1, x2, y2] : {std::tuple{10, 20, 40, 30}, std::tuple{40, 30, 10, 20}}) {
    const auto strips = edit::OutlineStrips(x1, y1, x2, y2);
    EXPECT_EQ(strips[0], (edit::PixelRect{10, y1, 41, y1 + 1}));
    EXPECT_EQ(strips[1], (edit::PixelRect{10, y2, 41, y2 + 1}));
    EXPECT_EQ(strips[2], (edit::PixelRect{x1, 20, x1 + 1, 31}));
    EXPECT_EQ(strips[3], (edit::PixelRect{x2, 20, x2 + 1, 31}));
  }
}

TEST(CropGeometry, FineAdjustmentMovesAnEdgeOnePixelUpToThePictureAndTheOppositeEdge) {
  struct Case {
    CropEdge edge;
    Arrow arrow;
    host::CropFrame before;
    bool moves;
    host::CropFrame after;
  };
  const Case cases[] = {
      {CropEdge::Top, Arrow::Toward, Crop(5, 0, 20, 30), false, Crop(5, 0, 20, 30)},
      {CropEdge::Top, Arrow::Toward, Crop(5, 9, 20, 30), true, Crop(5, 8, 20, 30)},
      {CropEdge::Top, Arrow::Away, Crop(5, 29, 20, 30), true, Crop(5, 30, 20, 30)},
      {CropEdge::Top, Arrow::Away, Crop(5, 30, 20, 30), false, Crop(5, 30, 20, 30)},
      {CropEdge::Right, Arrow::Toward, Crop(5, 9, 99, 30), true, Crop(5, 9, 100, 30)},
      {CropEdge::Right, Arrow::Toward, Crop(5, 9, 100, 30), false, Crop(5, 9, 100, 30)},
      {CropEdge::Right, Arrow::Away, Crop(5, 9, 5, 30), false, Crop(5, 9, 5, 30)},
      {CropEdge::Bottom, Arrow::Toward, Crop(5, 9, 20, 10), true, Crop(5, 9, 20, 9)},
      {CropEdge::Bottom, Arrow::Toward, Crop(5, 9, 20, 9), false, Crop(5, 9, 20, 9)},
      {CropEdge::Bottom, Arrow::Away, Crop(5, 9, 20, 49), true, Crop(5, 9, 20, 50)},
      {CropEdge::Bottom, Arrow::Away, Crop(5, 9, 20, 50), false, Crop(5, 9, 20, 50)},
      {CropEdge::Left, Arrow::Toward, Crop(19, 9, 20, 30), true, Crop(20, 9, 20, 30)},
      {CropEdge::Left, Arrow::Toward, Crop(20, 9, 20, 30), false, Crop(20, 9, 20, 30)},
      {CropEdge::Left, Arrow::Away, Crop(0, 9, 20, 30), false, Crop(0, 9, 20, 30)},
  };
  for (const Case& c : cases) {
    host::CropFrame f = c.before;
    EXPECT_EQ(edit::StepEdge(f, c.edge, c.arrow, 100, 50), c.moves) << Describe(c.before);
    EXPECT_EQ(Describe(f), Describe(c.after)) << "edge " << static_cast<int>(c.edge);
  }
}

TEST(CropGeometry, TheViewFollowsThePointerNearOrBeyondItsEdges) {
  EXPECT_EQ(edit::FollowPointerStep(200, 400, 8), 0);
  EXPECT_EQ(edit::FollowPointerStep(393, 400, 8), 8);
  EXPECT_EQ(edit::FollowPointerStep(450, 400, 8), 8);
  EXPECT_EQ(edit::FollowPointerStep(7, 400, 8), -8);
  EXPECT_EQ(edit::FollowPointerStep(-30, 400, 8), -8);
}

}  // namespace
