// The crop's arithmetic: the dragged corner pinned to the picture, the rectangle ordered after the
// release, and the fine-adjustment steps.
#include <gtest/gtest.h>

#include <string>

#include "edit/CropGeometry.h"

namespace {

using edit::Arrow;
using edit::CropEdge;

host::CropFrame Crop(int left, int top, int right, int bottom) {
  return host::CropFrame{left, top, right, bottom};
}

std::string Describe(const host::CropFrame& f) {
  return std::to_string(f.CropLeft) + "," + std::to_string(f.CropTop) + " - " +
         std::to_string(f.CropRight) + "," + std::to_string(f.CropBottom);
}

TEST(CropGeometry, TheCornerStaysOnThePictureAndTheRectangleIsOrderedAtTheRelease) {
  EXPECT_EQ(edit::ClampToPicture(-5, 100), 0);
  EXPECT_EQ(edit::ClampToPicture(57, 100), 57);
  EXPECT_EQ(edit::ClampToPicture(100, 100), 100) << "one past the last pixel";
  EXPECT_EQ(edit::ClampToPicture(4000, 100), 100);
  host::CropFrame f = Crop(80, 60, 45, 10);
  edit::OrderCrop(f);
  EXPECT_EQ(Describe(f), Describe(Crop(45, 10, 80, 60)));
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

}  // namespace
