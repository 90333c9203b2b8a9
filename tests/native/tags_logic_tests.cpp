// The tags' pixel arithmetic: the mosaic's mean and blocks (which must carry nothing of the pixels
// they hide but their mean), the plain fill, the highlighter's multiplication, and where the arrow
// and the line run.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <random>
#include <string>

#include "core/Dib.h"
#include "tags/ArrowGeometry.h"
#include "tags/Highlighter.h"
#include "tags/Mosaic.h"

namespace {

using tags::PixelRect;
using tags::Rgb;

core::Dib RandomDib(int width, int height, int bitCount, unsigned seed) {
  core::Dib dib(width, height, bitCount);
  std::mt19937 random(seed);
  for (size_t i = 0; i < dib.ImageSize(); ++i) dib.Bits()[i] = static_cast<uint8_t>(random());
  return dib;
}

Rgb PixelOf(const core::Dib& dib, int x, int y) {
  const uint8_t* p = dib.Row(y) + x * (dib.BitCount() / 8);
  return Rgb{p[2], p[1], p[0]};
}

void SetPixel(core::Dib& dib, int x, int y, Rgb c) {
  uint8_t* p = dib.Row(y) + x * (dib.BitCount() / 8);
  p[0] = c.blue;
  p[1] = c.green;
  p[2] = c.red;
}

// The same pixels of `area` in another order: each swapped with a random other one of the area.
core::Dib ShuffledWithin(const core::Dib& dib, PixelRect area, unsigned seed) {
  core::Dib out = dib.Clone();
  std::mt19937 random(seed);
  const int w = area.Width();
  auto at = [&](int i) { return std::pair{area.left + i % w, area.top + i / w}; };
  for (int i = w * area.Height() - 1; i > 0; --i) {
    const auto [x1, y1] = at(i);
    const auto [x2, y2] = at(static_cast<int>(random() % static_cast<unsigned>(i + 1)));
    const Rgb a = PixelOf(out, x1, y1);
    SetPixel(out, x1, y1, PixelOf(out, x2, y2));
    SetPixel(out, x2, y2, a);
  }
  return out;
}

// The mosaic as embedding makes it: the area's mean, then the blocks.
core::Dib Redacted(const core::Dib& picture, PixelRect area, uint64_t seed) {
  core::Dib out = picture.Clone();
  tags::WriteMosaic(out, area, area.left, area.top, 16, *tags::MeanColour(picture, area), seed);
  return out;
}

bool SameBytes(const core::Dib& a, const core::Dib& b) {
  return a.ImageSize() == b.ImageSize() && std::memcmp(a.Bits(), b.Bits(), a.ImageSize()) == 0;
}

TEST(Mosaic, TheMeanIsEveryPixelOfTheAreaOnThePictureAveragedAndRounded) {
  struct Case {
    int bitCount;
    PixelRect area;
  };
  // Widths that end inside and outside the vector periods, areas partly off the picture.
  const Case cases[] = {{24, {0, 0, 97, 61}},    {24, {5, 3, 6, 4}},   {24, {13, 7, 90, 60}},
                        {24, {-20, -9, 40, 30}}, {32, {1, 2, 96, 59}}, {32, {3, 0, 4, 1}},
                        {32, {60, 40, 300, 200}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.bitCount) + " bits, " + std::to_string(c.area.left) + "," +
                 std::to_string(c.area.top) + "-" + std::to_string(c.area.right) + "," +
                 std::to_string(c.area.bottom));
    const core::Dib dib = RandomDib(97, 61, c.bitCount, 7);
    const PixelRect on = tags::Intersect(c.area, PixelRect{0, 0, 97, 61});
    uint64_t sums[3] = {};
    for (int y = on.top; y < on.bottom; ++y) {
      for (int x = on.left; x < on.right; ++x) {
        const Rgb p = PixelOf(dib, x, y);
        sums[0] += p.red;
        sums[1] += p.green;
        sums[2] += p.blue;
      }
    }
    const uint64_t n = static_cast<uint64_t>(on.Width()) * static_cast<uint64_t>(on.Height());
    const auto mean = tags::MeanColour(dib, c.area);
    ASSERT_TRUE(mean.has_value());
    EXPECT_EQ(mean->red, (sums[0] + n / 2) / n);
    EXPECT_EQ(mean->green, (sums[1] + n / 2) / n);
    EXPECT_EQ(mean->blue, (sums[2] + n / 2) / n);
  }
  EXPECT_FALSE(tags::MeanColour(RandomDib(10, 10, 24, 1), PixelRect{10, 0, 20, 5}).has_value());
  EXPECT_FALSE(tags::MeanColour(RandomDib(10, 10, 8, 1), PixelRect{0, 0, 5, 5}).has_value());
}

TEST(Mosaic, DifferentPixelsOfOneMeanGiveTheSameBlocksAndOnlyTheSeedChangesThem) {
  const PixelRect area{6, 4, 86, 54};  // 80 x 50: partial blocks at the right and bottom
  for (int bitCount : {24, 32}) {
    SCOPED_TRACE(bitCount);
    const core::Dib first = RandomDib(100, 60, bitCount, 3);
    const core::Dib second = ShuffledWithin(first, area, 4);
    ASSERT_FALSE(SameBytes(first, second));
    const Rgb mean = *tags::MeanColour(first, area);
    const core::Dib a = Redacted(first, area, 1);
    const core::Dib b = Redacted(second, area, 1);
    const core::Dib c = Redacted(first, area, 2);
    for (int y = 0; y < 60; ++y) {
      for (int x = 0; x < 100; ++x) {
        const bool inside = x >= area.left && x < area.right && y >= area.top && y < area.bottom;
        if (inside) {
          ASSERT_EQ(PixelOf(a, x, y), PixelOf(b, x, y)) << x << "," << y;
          // One colour per block, within the noise of the mean.
          const int bx = area.left + (x - area.left) / 16 * 16;
          const int by = area.top + (y - area.top) / 16 * 16;
          ASSERT_EQ(PixelOf(a, x, y), PixelOf(a, bx, by)) << x << "," << y;
          ASSERT_LE(std::abs(PixelOf(a, x, y).red - mean.red), tags::kMosaicNoise);
        } else {
          ASSERT_EQ(PixelOf(a, x, y), PixelOf(first, x, y)) << "outside at " << x << "," << y;
        }
      }
    }
    EXPECT_FALSE(SameBytes(a, c)) << "another seed, other blocks";
  }
}

TEST(Mosaic, APartWrittenOnItsOwnGridMatchesTheWholeAndTheFillIsOneColour) {
  // The screen shows the part of a tag that lies on the picture in a buffer of the tag's size;
  // embedding writes the same part into the picture: both must give the same blocks.
  const Rgb mean{120, 80, 200};
  core::Dib picture = RandomDib(50, 40, 24, 5);
  tags::WriteMosaic(picture, PixelRect{-10, -6, 50, 40}, -10, -6, 12, mean, 99);
  core::Dib buffer(60, 46, 32);
  tags::WriteMosaic(buffer, PixelRect{10, 6, 60, 46}, 0, 0, 12, mean, 99);
  for (int y = 0; y < 40; ++y) {
    for (int x = 0; x < 50; ++x) ASSERT_EQ(PixelOf(picture, x, y), PixelOf(buffer, x + 10, y + 6));
  }
  EXPECT_EQ(PixelOf(buffer, 0, 0), Rgb{}) << "off the picture: left alone";

  core::Dib filled = RandomDib(30, 20, 24, 6);
  const core::Dib before = filled.Clone();
  tags::FillArea(filled, PixelRect{25, 15, 40, 40}, Rgb{1, 2, 3});
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 30; ++x) {
      const Rgb want = x >= 25 && y >= 15 ? Rgb{1, 2, 3} : PixelOf(before, x, y);
      ASSERT_EQ(PixelOf(filled, x, y), want) << x << "," << y;
    }
  }
}

TEST(Highlighter, BlackStaysBlackWhiteTakesTheColourAndGreyIsScaled) {
  for (int bitCount : {24, 32}) {
    core::Dib dib(4, 2, bitCount);
    SetPixel(dib, 0, 0, Rgb{0, 0, 0});
    SetPixel(dib, 1, 0, Rgb{255, 255, 255});
    SetPixel(dib, 2, 0, Rgb{128, 128, 128});
    SetPixel(dib, 3, 0, Rgb{255, 255, 255});  // outside the area
    tags::MultiplyArea(dib, PixelRect{0, 0, 3, 2}, Rgb{255, 255, 0});
    EXPECT_EQ(PixelOf(dib, 0, 0), (Rgb{0, 0, 0}));
    EXPECT_EQ(PixelOf(dib, 1, 0), (Rgb{255, 255, 0}));
    EXPECT_EQ(PixelOf(dib, 2, 0), (Rgb{128, 128, 0}));
    EXPECT_EQ(PixelOf(dib, 3, 0), (Rgb{255, 255, 255}));
  }
}

float Distance(tags::PointF a, tags::PointF b) { return std::hypot(a.x - b.x, a.y - b.y); }

TEST(ArrowGeometry, TheStrokeRunsCornerToCornerAndTheHeadSitsOnTheCornerPointedTo) {
  struct Case {
    tags::Corner corner;
    tags::PointF from, to;
  };
  const Case cases[] = {{tags::Corner::BottomRight, {0.5f, 0.5f}, {99.5f, 49.5f}},
                        {tags::Corner::BottomLeft, {99.5f, 0.5f}, {0.5f, 49.5f}},
                        {tags::Corner::TopLeft, {99.5f, 49.5f}, {0.5f, 0.5f}},
                        {tags::Corner::TopRight, {0.5f, 49.5f}, {99.5f, 0.5f}}};
  for (const Case& c : cases) {
    SCOPED_TRACE(static_cast<int>(c.corner));
    const tags::Stroke line = tags::LineIn(100, 50, c.corner);
    EXPECT_EQ(line.from, c.from);
    EXPECT_EQ(line.to, c.to);
    EXPECT_FALSE(line.head.has_value());
    const tags::Stroke arrow = tags::ArrowIn(100, 50, c.corner, 3);
    ASSERT_TRUE(arrow.head.has_value());
    EXPECT_EQ((*arrow.head)[0], c.to) << "the tip";
    EXPECT_EQ(arrow.from, c.from);
    // The shaft ends inside the head, short of the tip.
    EXPECT_NEAR(Distance(arrow.to, c.to), tags::ArrowHeadLength(3) * 2 / 3, 0.01f);
    // The barbs stand the head's length back from the tip, as far apart as it is long.
    EXPECT_NEAR(Distance((*arrow.head)[1], (*arrow.head)[2]), tags::ArrowHeadLength(3), 0.01f);
  }
  EXPECT_GT(tags::ArrowHeadLength(16), 2 * tags::ArrowHeadLength(3))
      << "the head grows with the pen";
  // A tag shorter than the head: the head takes the whole line.
  const tags::Stroke small = tags::ArrowIn(6, 6, tags::Corner::BottomRight, 16);
  ASSERT_TRUE(small.head.has_value());
  EXPECT_NEAR(Distance((*small.head)[1], (*small.head)[2]), Distance(small.from, (*small.head)[0]),
              0.01f);
  EXPECT_FALSE(tags::ArrowIn(1, 1, tags::Corner::BottomRight, 3).head.has_value());
}

}  // namespace
