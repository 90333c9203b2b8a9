// The printed rectangle: fixed magnification with offsets, fitting to the page width, the
// rounding of halves to the even neighbour, and the rectangles no printer can take.
#include <gtest/gtest.h>

#include <string>

#include "core/Error.h"
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
      // The largest rectangle a printer's 32-bit coordinates hold.
      {100, 1, {1, 2147483647, 0, 0}, 4800, {0, 0, 2147483647, 21474836}},
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

// Empty, turned-over and beyond-32-bit rectangles are refused with the setting to change, rather
// than printing nothing, a mirrored picture or one whose size wrapped around.
TEST(PrintLayout, RectanglesNoPrinterCanTakeAreRefusedNamingTheSetting) {
  struct Case {
    int width, height;
    PrintOptions options;
    const char* names;  // what the message points the user to
  };
  const Case cases[] = {
      {101, 33, {1, 0, 0, 0}, "ﾌﾟﾘﾝﾀ倍率が 0%"},
      {101, 33, {1, -50, 0, 0}, "ﾌﾟﾘﾝﾀ倍率が -50%"},
      {1, 1, {1, 1, 0, 0}, "ﾌﾟﾘﾝﾀ倍率が 1%"},            // 0.01 of a pixel rounds to nothing
      {101, 33, {1, 2147483647, 0, 0}, "大きすぎます"},  // 2169158483 wide: past 2^31
      {100, 1, {1, 2147483647, 1, 0}, "大きすぎます"},   // the right edge passes 2^31
      {640, 480, {0, 100, 4800, 0}, "印刷位置 (左 4800, 上 0)"},  // fit: past the page's edge
      {640, 480, {0, 100, 0, 3600}, "印刷位置 (左 0, 上 3600)"},  // fit: below the picture
      {640, 480, {0, 100, -2147483647 - 1, 0}, "大きすぎます"},   // fit: 2^31 + 4800 wide
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.options.multi) + "% at " + std::to_string(c.options.left) + "," +
                 std::to_string(c.options.top));
    try {
      const PrintRect r = ComputePrintRect(c.width, c.height, c.options, 4800);
      ADD_FAILURE() << "printed at " << r.left << "," << r.top << " to " << r.right << ","
                    << r.bottom;
    } catch (const core::Error& error) {
      EXPECT_NE(std::string(error.what()).find(c.names), std::string::npos) << error.what();
      EXPECT_NE(std::string(error.what()).find("設定ﾀﾞｲｱﾛｸﾞ"), std::string::npos);
    }
  }
}

}  // namespace
