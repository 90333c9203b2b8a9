// The picture history alone: steps come back in order, byte for byte, rectangles and whole
// pictures alike; a new step forgets what could be redone; the memory limit drops the oldest
// steps but never the newest; large steps are deflated and come back the same.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "app/PictureHistory.h"
#include "core/Convert24.h"
#include "core/Dib.h"
#include "core/Error.h"

namespace {

using app::PictureHistory;
using app::PixelArea;

core::Dib Picture(int width, int height, int seed, int bitCount = 24) {
  core::Dib dib(width, height, bitCount);
  uint32_t x = static_cast<uint32_t>(seed) * 2654435761u + 1;
  for (size_t i = 0; i < dib.ImageSize(); ++i) {
    x = x * 1103515245u + 12345u;
    dib.Bits()[i] = static_cast<uint8_t>(x >> 16);
  }
  return dib;
}

bool Same(const core::Dib& a, const core::Dib& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && a.BitCount() == b.BitCount() &&
         a.ImageSize() == b.ImageSize() && std::memcmp(a.Bits(), b.Bits(), a.ImageSize()) == 0;
}

// Draws into a rectangle as an embedding would: every byte of its pixels changes.
void Scribble(core::Dib& dib, PixelArea a) {
  for (int y = a.top; y < a.bottom; ++y) {
    for (int x = a.left * 3; x < a.right * 3; ++x) dib.Row(y)[x] ^= 0x5A;
  }
}

TEST(PictureHistory, UndoAndRedoWalkEveryStepByteForByte) {
  PictureHistory history;
  // A load replaces the start picture, two embeds draw into it, a crop replaces it.
  const core::Dib start = Picture(40, 30, 1);
  core::Dib loaded = Picture(64, 48, 2);
  history.RecordPicture(start);
  const core::Dib afterLoad = loaded.Clone();
  history.RecordArea(loaded, {5, 5, 20, 15});
  Scribble(loaded, {5, 5, 20, 15});
  const core::Dib afterFirstEmbed = loaded.Clone();
  history.RecordArea(loaded, {-10, 40, 30, 99});  // reaches past the picture: clipped
  Scribble(loaded, {0, 40, 30, 48});
  const core::Dib afterSecondEmbed = loaded.Clone();
  history.RecordPicture(loaded);
  core::Dib current = Picture(10, 10, 3);
  const core::Dib cut = current.Clone();

  const core::Dib* back[] = {&afterSecondEmbed, &afterFirstEmbed, &afterLoad, &start};
  for (const core::Dib* expected : back) {
    ASSERT_TRUE(history.CanUndo());
    current = history.Undo(current);
    EXPECT_TRUE(Same(current, *expected));
  }
  EXPECT_FALSE(history.CanUndo());
  EXPECT_THROW(history.Undo(current), core::Error);
  const core::Dib* forward[] = {&afterLoad, &afterFirstEmbed, &afterSecondEmbed, &cut};
  for (const core::Dib* expected : forward) {
    ASSERT_TRUE(history.CanRedo());
    current = history.Redo(current);
    EXPECT_TRUE(Same(current, *expected));
  }
  EXPECT_FALSE(history.CanRedo());
}

TEST(PictureHistory, ARectangleStepOfAnotherFormatGivesA24BitPicture) {
  // After an embedding the picture comes back from the clipboard in the display's format.
  PictureHistory history;
  core::Dib picture = Picture(8, 8, 4, 32);
  const core::Dib before = core::ConvertTo24(picture);
  history.RecordArea(picture, {2, 2, 6, 6});
  for (int y = 2; y < 6; ++y) {
    for (int x = 2 * 4; x < 6 * 4; ++x) picture.Row(y)[x] ^= 0xFF;
  }
  EXPECT_TRUE(Same(history.Undo(picture), before));
}

TEST(PictureHistory, ANewStepForgetsWhatCouldBeRedone) {
  PictureHistory history;
  core::Dib picture = Picture(16, 16, 5);
  history.RecordArea(picture, {0, 0, 4, 4});
  history.RecordArea(picture, {4, 4, 8, 8});
  picture = history.Undo(picture);
  ASSERT_TRUE(history.CanRedo());
  history.RecordArea(picture, {8, 8, 12, 12});
  EXPECT_FALSE(history.CanRedo());
  EXPECT_EQ(history.UndoSteps(), 2u);
}

TEST(PictureHistory, TheLimitDropsTheOldestStepsButKeepsTheNewest) {
  const core::Dib picture = Picture(100, 100, 6);  // 30,000 bytes a whole step
  struct Case {
    const char* what;
    uint64_t limit;
    int records;
    size_t kept;
  } cases[] = {
      {"room for all", 1 << 20, 5, 5},
      {"room for two", 70000, 5, 2},
      {"room for none: the newest stays", 1000, 3, 1},
      {"off", 0, 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    PictureHistory history(c.limit);
    for (int i = 0; i < c.records; ++i) history.RecordPicture(Picture(100, 100, 10 + i));
    EXPECT_EQ(history.UndoSteps(), c.kept);
    EXPECT_LE(history.StoredBytes(), std::max<uint64_t>(c.limit, 30000));
    if (c.kept == 0) continue;
    // The newest step is the last picture recorded.
    core::Dib undone = history.Undo(picture);
    EXPECT_TRUE(Same(undone, Picture(100, 100, 10 + c.records - 1)));
  }
  // Lowering the limit later drops steps too; 0 forgets them all.
  PictureHistory history;
  for (int i = 0; i < 4; ++i) history.RecordPicture(picture);
  history.SetLimit(60000);
  EXPECT_EQ(history.UndoSteps(), 2u);
  history.SetLimit(0);
  EXPECT_FALSE(history.CanUndo());
  EXPECT_EQ(history.StoredBytes(), 0u);
}

TEST(PictureHistory, LargeStepsAreDeflatedAndComeBackTheSame) {
  // A screen-like picture: flat areas with some detail, 6 MB.
  core::Dib screen(1500, 1400, 24);
  for (int y = 0; y < screen.Height(); ++y) {
    for (int x = 0; x < screen.Width() * 3; ++x) {
      screen.Row(y)[x] = static_cast<uint8_t>((x / 90 + y / 40) % 7 == 0 ? x * y : 0xF0);
    }
  }
  PictureHistory history;
  history.RecordPicture(screen);
  EXPECT_LT(history.StoredBytes(), screen.ImageSize() / 4);
  // Noise does not deflate: it is kept as it is.
  const core::Dib noise = Picture(1500, 1400, 7);
  history.RecordPicture(noise);
  EXPECT_GE(history.StoredBytes(), noise.ImageSize());
  core::Dib current = Picture(2, 2, 8);
  current = history.Undo(current);
  EXPECT_TRUE(Same(current, noise));
  current = history.Undo(current);
  EXPECT_TRUE(Same(current, screen));
}

}  // namespace
