// The printed rectangle: fixed magnification with offsets, fitting to the page width, and the
// rounding of halves to the even neighbour.
#include <gtest/gtest.h>

#include "output/PrintLayout.h"

namespace {

using output::ComputePrintRect;
using output::PrintOptions;
using output::PrintRect;

TEST(PrintLayout, RectanglesFollowTheModeOffsetsAndEvenRounding) {
  struct Case {
    int width, height;
    PrintOptions options;
    int pageWidth;
    PrintRect expected;
  };
  const Case cases[] = {
      {640, 480, {}, 4800, {0, 0, 4800, 3600}},                  // the defaults: fit
      {101, 33, {1, 150, 10, 20}, 4800, {10, 20, 162, 70}},      // 151.5 -> 152, 49.5 -> 50
      {25, 15, {1, 50, 0, 0}, 4800, {0, 0, 12, 8}},              // 12.5 -> 12, 7.5 -> 8
      {640, 480, {0, 100, 50, 30}, 4800, {50, 30, 4800, 3600}},  // fit squeezes, not moves
      {640, 480, {1, 100, -100, -100}, 4800, {-100, -100, 540, 380}},
      {3, 1, {}, 1000, {0, 0, 1000, 333}},
      {2, 1, {}, 1001, {0, 0, 1001, 500}},                           // 500.5 -> 500
      {65535, 65535, {1, 500, 0, 0}, 4800, {0, 0, 327675, 327675}},  // no overflow
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    const PrintRect r = ComputePrintRect(c.width, c.height, c.options, c.pageWidth);
    EXPECT_EQ(r.left, c.expected.left);
    EXPECT_EQ(r.top, c.expected.top);
    EXPECT_EQ(r.right, c.expected.right);
    EXPECT_EQ(r.bottom, c.expected.bottom);
  }
}

}  // namespace
