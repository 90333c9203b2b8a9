// The arithmetic of resizing: fitting the preview, a typed size, the scale factor, and point
// sampling anchored at the bottom-left pixel with indices kept within the picture.
#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

#include "core/Error.h"
#include "edit/Resample.h"

namespace {

using edit::PixelSize;

// A picture whose pixel (x, y) from the top holds x in blue and y in green.
core::Dib Numbered(int width, int height) {
  core::Dib dib(width, height, 24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      dib.Row(y)[x * 3] = static_cast<uint8_t>(x);
      dib.Row(y)[x * 3 + 1] = static_cast<uint8_t>(y);
    }
  }
  return dib;
}

core::Dib Resampled(const core::Dib& source, PixelSize size, double scale) {
  core::Dib target(size.width, size.height, 24);
  edit::Resample(source, target, scale);
  return target;
}

// For each result pixel, the (x, y) of the source pixel it came from, row by row from the top.
std::vector<std::pair<int, int>> Origins(const core::Dib& dib) {
  std::vector<std::pair<int, int>> origins;
  for (int y = 0; y < dib.Height(); ++y) {
    for (int x = 0; x < dib.Width(); ++x)
      origins.emplace_back(dib.Row(y)[x * 3], dib.Row(y)[x * 3 + 1]);
  }
  return origins;
}

TEST(Resize, PreviewKeepsTheProportionsAndTypedSizesFollowThem) {
  EXPECT_EQ(edit::FitPreview({1024, 768}, {418, 216}), (PixelSize{288, 216}));
  EXPECT_EQ(edit::FitPreview({1024, 768}, {640, 480}), (PixelSize{640, 480}));
  EXPECT_EQ(edit::FitPreview({1024, 768}, {401, 400}), (PixelSize{401, 300}));
  EXPECT_EQ(edit::FitPreview({100, 50}, {418, 216}), (PixelSize{418, 209}));  // enlarged
  EXPECT_EQ(edit::FitPreview({0, 50}, {418, 216}), std::nullopt);
  EXPECT_EQ(edit::SpecifiedSize({1024, 768}, false, 640), (PixelSize{640, 480}));
  EXPECT_EQ(edit::SpecifiedSize({1024, 768}, true, 100), (PixelSize{133, 100}));
  EXPECT_EQ(edit::SpecifiedSize({1024, 0}, true, 100), std::nullopt);
  EXPECT_DOUBLE_EQ(edit::SamplingScale({1024, 768}, {401, 300}, 401), 2.56);
  EXPECT_DOUBLE_EQ(edit::SamplingScale({1024, 768}, {640, 480}, 412), 1.6);  // wider than its area
}

TEST(Resize, TypedPixelsAreHeldToTheRangeAndTextThatIsNoNumberKeepsTheLastValue) {
  struct Case {
    const wchar_t* text;
    int value;
    bool refused;
  };
  for (const Case& c : std::initializer_list<Case>{{L"640", 640, false},
                                                   {L" 2048 ", 2048, false},
                                                   {L"1", 1, false},
                                                   {L"3000", 2048, true},
                                                   {L"99999999999999999999", 2048, true},
                                                   {L"0", 1, true},
                                                   {L"-5", 1, true},
                                                   {L"", 77, true},
                                                   {L"12a", 77, true},
                                                   {L"-", 77, true}}) {
    const edit::TypedPixels typed = edit::ParseTypedPixels(c.text, 77);
    EXPECT_EQ(typed.value, c.value) << testing::PrintToString(std::wstring(c.text));
    EXPECT_EQ(typed.refused, c.refused) << testing::PrintToString(std::wstring(c.text));
  }
}

TEST(Resize, SamplingIsAnchoredAtTheBottomLeftAndTruncates) {
  using Origin = std::pair<int, int>;
  // Halving keeps columns 0 and 2 and the rows 1 and 3 from the top (0 and 2 from the bottom).
  EXPECT_EQ(Origins(Resampled(Numbered(4, 4), {2, 2}, 2.0)),
            (std::vector<Origin>{{0, 1}, {2, 1}, {0, 3}, {2, 3}}));
  // Doubling repeats each pixel in 2 x 2 blocks.
  EXPECT_EQ(Origins(Resampled(Numbered(2, 2), {4, 4}, 0.5)), (std::vector<Origin>{{0, 0},
                                                                                  {0, 0},
                                                                                  {1, 0},
                                                                                  {1, 0},
                                                                                  {0, 0},
                                                                                  {0, 0},
                                                                                  {1, 0},
                                                                                  {1, 0},
                                                                                  {0, 1},
                                                                                  {0, 1},
                                                                                  {1, 1},
                                                                                  {1, 1},
                                                                                  {0, 1},
                                                                                  {0, 1},
                                                                                  {1, 1},
                                                                                  {1, 1}}));
  // 5 to 3 (scale 5/3): columns trunc(0), trunc(1.67), trunc(3.33); rows likewise from the bottom.
  EXPECT_EQ(Origins(Resampled(Numbered(5, 5), {3, 3}, 5.0 / 3.0)),
            (std::vector<Origin>{
                {0, 1}, {1, 1}, {3, 1}, {0, 3}, {1, 3}, {3, 3}, {0, 4}, {1, 4}, {3, 4}}));
}

TEST(Resize, IndicesPastThePictureTakeItsLastColumnAndNothingIsReadBeyondIt) {
  // A 1024 x 768 picture previewed at 401 x 300: scale 2.56 from the height would sample column
  // 1024 for the last destination column.
  // (Under the sanitizers, a read past the picture would stop the test.)
  const core::Dib result = Resampled(core::Dib(1024, 768, 24), {401, 300}, 2.56);
  EXPECT_EQ(result.Width(), 401);
  const core::Dib numbered = Numbered(200, 150);                  // blue holds x
  const core::Dib sampled = Resampled(numbered, {79, 58}, 2.57);  // 78 x 2.57 = 200.46
  EXPECT_EQ(sampled.Row(0)[78 * 3], 199) << "the last column, not one past it";
  // Rows of a width of 4 pixels have no padding: enlarging reads each row's last pixel exactly.
  EXPECT_EQ(Origins(Resampled(Numbered(4, 1), {8, 1}, 0.5)).back(), (std::pair<int, int>{3, 0}));
  core::Dib empty;
  core::Dib target(10, 10, 24);
  EXPECT_THROW(edit::Resample(empty, target, 1.0), core::Error);
}

}  // namespace
