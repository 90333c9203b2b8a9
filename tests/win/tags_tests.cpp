// The tags as the user works with them: shown, dragged with their track boxes, activated by a
// press, moved to the origin, embedded one by one, through the tag menu or all at once; and the
// text tag in full, found again in the picture's pixels after embedding: its box, its frame, its
// lines as the edit box shows them, its font and background colours.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "MouseInput.h"
#include "TagsFixture.h"
#include "app/win/CommandIds.h"
#include "win/Clipboard.h"

namespace {

using tags::TagKind;
using winetest::Describe;
using winetest::PixelAt;
namespace ids = app::ids;

// Rows [first, last) in which some pixel of the columns [left, right) is not `background`.
std::vector<std::pair<int, int>> InkRows(const core::Dib& picture, int left, int right, int top,
                                         int bottom, uint32_t background) {
  std::vector<std::pair<int, int>> bands;
  for (int y = top; y < bottom; ++y) {
    bool ink = false;
    for (int x = left; x < right && !ink; ++x) ink = PixelAt(picture, x, y) != background;
    if (!ink) continue;
    if (!bands.empty() && bands.back().second == y) {
      bands.back().second = y + 1;
    } else {
      bands.emplace_back(y, y + 1);
    }
  }
  return bands;
}

class Tags : public winetest::TagsFixture {
 protected:
  HWND Memo() const { return TagSet().MemoTag().Handle(); }
  void Type(const wchar_t* text) { SetWindowTextW(Memo(), text); }
  // The embedded text box's colours at start: the system window colour, window-text ink.
  static uint32_t WindowColour() {
    const COLORREF c = GetSysColor(COLOR_WINDOW);
    return (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
  }
};

TEST_F(Tags, EachTagIsPlacedInsideItsTrackBoxAndFollowsIt) {
  StartWithGrey(500, 400);
  EXPECT_EQ(form->State().ActiveTag, host::ActiveTag::None);
  Command(ids::Button9);
  EXPECT_TRUE(TagSet().IsShown(TagKind::Memo));
  EXPECT_EQ(form->State().ActiveTag, host::ActiveTag::Memo);
  EXPECT_EQ(Describe(Track(TagKind::Memo)), "0,0 73x49");
  EXPECT_EQ(Describe(TagSet().TagBounds(TagKind::Memo)), "12,12 49x25");
  DragTrackBy(TagKind::Memo, 100, 60);
  EXPECT_EQ(Describe(Track(TagKind::Memo)), "100,60 73x49");
  EXPECT_EQ(Describe(TagSet().TagBounds(TagKind::Memo)), "112,72 49x25");
  SizeTrack(TagKind::Memo, 120, 70);
  EXPECT_EQ(Describe(TagSet().TagBounds(TagKind::Memo)), "112,72 96x46");
  // The icon keeps its 32 x 32, 2 pixels inside its box; one track box shows at a time.
  Command(ids::Button13);
  EXPECT_EQ(Describe(TagSet().TagBounds(TagKind::Icon)), "2,2 32x32");
  EXPECT_TRUE(TrackShown(TagKind::Icon));
  EXPECT_FALSE(TrackShown(TagKind::Memo));
}

TEST_F(Tags, PressingThePictureHidesTheTrackBoxAndPressingATagBringsItBack) {
  StartWithGrey(500, 400);
  Command(ids::Button9);
  DragTrackBy(TagKind::Memo, 200, 100);
  Command(ids::Button6);  // the shape tag, at the corner
  ASSERT_TRUE(TrackShown(TagKind::Shape));
  winetest::ClickAt(form->Controls().Image1, {400, 300});
  EXPECT_FALSE(TrackShown(TagKind::Shape));
  EXPECT_TRUE(TagSet().IsShown(TagKind::Shape));
  EXPECT_TRUE(TagSet().IsShown(TagKind::Memo));
  EXPECT_EQ(form->State().ActiveTag, host::ActiveTag::None);
  // A press on a tag itself, drawn or a window of its own, makes it active again.
  winetest::ClickAt(Area(), {30, 30});
  EXPECT_TRUE(TrackShown(TagKind::Shape));
  winetest::ClickAt(Memo(), {5, 5});
  EXPECT_TRUE(TrackShown(TagKind::Memo));
  EXPECT_FALSE(TrackShown(TagKind::Shape));
}

TEST_F(Tags, MoveToOriginObeysForShownTextAndIconButOnlyForTheActiveShapeAndImage) {
  StartWithGrey(500, 400);
  // Each shown, then moved away from the corner while it is active.
  for (const auto& [show, kind] :
       {std::pair{ids::Button9, TagKind::Memo}, std::pair{ids::Button13, TagKind::Icon},
        std::pair{ids::Button6, TagKind::Shape}, std::pair{ids::Button17, TagKind::Image}}) {
    Command(show);
    DragTrackBy(kind, 150, 90);
  }
  ASSERT_EQ(form->State().ActiveTag, host::ActiveTag::Image);
  // The image tag is active; every other tag is shown but inactive.
  for (int move : {ids::Button4, ids::Button16, ids::Button12}) Command(move);
  EXPECT_EQ(Describe(Track(TagKind::Memo)), "0,0 73x49");
  EXPECT_EQ(Describe(TagSet().TagBounds(TagKind::Memo)), "12,12 49x25");
  EXPECT_EQ(Describe(Track(TagKind::Icon)), "0,0 36x36");
  EXPECT_EQ(Describe(Track(TagKind::Shape)), "150,90 73x49") << "inactive: ignored";
  Command(ids::Button20);
  EXPECT_EQ(Describe(Track(TagKind::Image)), "0,0 41x41");
  EXPECT_EQ(Describe(TagSet().TagBounds(TagKind::Image)), "2,2 37x37");
}

TEST_F(Tags, EmbeddingTheIconOrNothingLeavesTheClipboardAndTheTextLeavesItsPictureThere) {
  StartWithGrey(300, 200);
  PutTextOnClipboard();
  const core::Dib before = Picture().Clone();
  Command(ids::Button1);  // every tag hidden
  Command(ids::smnuDraw);
  EXPECT_EQ(std::memcmp(Picture().Bits(), before.Bits(), before.ImageSize()), 0);
  EXPECT_TRUE(ClipboardHoldsTheirText());
  Command(ids::Button13);
  Command(ids::Button15);
  EXPECT_FALSE(TagSet().IsShown(TagKind::Icon));
  EXPECT_EQ(form->State().ActiveTag, host::ActiveTag::None);
  EXPECT_TRUE(ClipboardHoldsTheirText());

  Command(ids::Button9);
  Command(ids::smnuDraw);  // the tag menu acts on the active tag
  EXPECT_FALSE(TagSet().IsShown(TagKind::Memo));
  const core::Dib onClipboard = ClipboardPicture();
  ASSERT_EQ(onClipboard.Width(), 300);
  EXPECT_EQ(PixelAt(onClipboard, 14, 14), WindowColour()) << "the embedded box";
  EXPECT_EQ(PixelAt(onClipboard, 14, 14), PixelAt(Picture(), 14, 14));
  EXPECT_EQ(PixelAt(onClipboard, 100, 100), kGrey);
  // After an embedding no tag is active, so the menu does nothing.
  Command(ids::Button9);
  Command(ids::Button10);
  Command(ids::smnuHide);
  Command(ids::smnuMove);
  EXPECT_FALSE(TagSet().IsShown(TagKind::Memo));
}

TEST_F(Tags, TextThatFitsChangesOnlyTheTagsBoxAndOverflowingLinesGoBeyondIt) {
  StartWithGrey(300, 200);
  Command(ids::Button9);
  DragTrackBy(TagKind::Memo, 40, 30);
  Type(L"ab");
  const RECT box = TagSet().TagBounds(TagKind::Memo);  // 52,42 49x25
  Command(ids::Button11);
  const core::Dib& picture = Picture();
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const bool inside = x >= box.left && x < box.right && y >= box.top && y < box.bottom;
      if (!inside) {
        ASSERT_EQ(PixelAt(picture, x, y), kGrey) << "outside the box at " << x << "," << y;
      }
    }
  }
  EXPECT_EQ(PixelAt(picture, box.left, box.top), WindowColour()) << "no frame: the box's colour";
  EXPECT_EQ(PixelAt(picture, box.right - 1, box.bottom - 1), WindowColour());
  const auto ink = InkRows(picture, box.left, box.right, box.top, box.bottom, WindowColour());
  ASSERT_EQ(ink.size(), 1u);
  EXPECT_GE(ink[0].first, box.top + 2) << "the text starts 2 pixels in";

  // Five lines in a box that holds two: the others are drawn below it, on the picture.
  Command(ids::Button9);
  Type(L"1\r\n2\r\n3\r\n4\r\n5");
  Command(ids::Button11);
  const core::Dib& after = Picture();
  const auto lines = InkRows(after, box.left, box.right, box.top, after.Height(), kGrey);
  ASSERT_EQ(lines.size(), 1u) << "the box and the lines below it join up";
  EXPECT_GT(lines[0].second, box.bottom + 30) << "lines 3 to 5 lie below the box";
  EXPECT_EQ(InkRows(after, box.left, box.right, box.bottom, after.Height(), kGrey).size(), 1u);
  EXPECT_EQ(PixelAt(after, box.right - 1, box.bottom + 20), kGrey)
      << "no background beyond each line's own text";
}

TEST_F(Tags, ALineTheBoxWrapsIsEmbeddedAsTheTwoLinesItShows) {
  StartWithGrey(400, 300);
  Command(ids::Button9);
  SizeTrack(TagKind::Memo, 110, 80);  // the text tag 86 x 56
  for (const wchar_t* text : {L"あいうえおかきくけこ", L"WRAPPED WORDS HERE"}) {
    SCOPED_TRACE(winetest::Utf8(text));
    Command(ids::Button9);
    Type(text);
    ASSERT_EQ(SendMessageW(Memo(), EM_GETLINECOUNT, 0, 0), 2) << "the box shows two lines";
    const RECT box = TagSet().TagBounds(TagKind::Memo);
    Command(ids::Button11);
    const auto ink = InkRows(Picture(), box.left + 1, box.right - 1, box.top + 1, box.bottom - 1,
                             WindowColour());
    std::string rows;
    for (const auto& [first, last] : ink)
      rows += std::to_string(first) + "-" + std::to_string(last) + " ";
    EXPECT_EQ(ink.size(), 2u) << "rows of ink in the embedded box: " << rows;
  }
}

TEST_F(Tags, TheTextIsEmbeddedAtItsPictureCoordinatesWithTheFrameOnItsOuterPixels) {
  StartWithGrey(1600, 1400);
  for (int i = 0; i < 3; ++i) SendMessageW(Area(), WM_HSCROLL, SB_LINEDOWN, 0);
  for (int i = 0; i < 2; ++i) SendMessageW(Area(), WM_VSCROLL, SB_LINEDOWN, 0);
  const POINT scroll = form->ScrollOrigin();
  ASSERT_GT(scroll.x, 0);
  ASSERT_GT(scroll.y, 0);
  Command(ids::Button9);
  DragTrackBy(TagKind::Memo, 200, 150);
  Type(L"");
  Command(ids::Button4);
  SendMessageW(GetDlgItem(form->Controls().TabSheet2, ids::CheckBox1), BM_CLICK, 0, 0);
  Command(ids::Button11);
  const core::Dib& picture = Picture();
  const int x = scroll.x + 12;
  const int y = scroll.y + 12;
  for (int i = 0; i < 49; ++i) {
    EXPECT_EQ(PixelAt(picture, x + i, y), 0u) << "top edge at " << i;
    EXPECT_EQ(PixelAt(picture, x + i, y + 24), 0u) << "bottom edge at " << i;
  }
  for (int j = 0; j < 25; ++j) {
    EXPECT_EQ(PixelAt(picture, x, y + j), 0u) << "left edge at " << j;
    EXPECT_EQ(PixelAt(picture, x + 48, y + j), 0u) << "right edge at " << j;
  }
  EXPECT_EQ(PixelAt(picture, x + 1, y + 1), WindowColour());
  EXPECT_EQ(PixelAt(picture, x - 1, y - 1), kGrey);
  EXPECT_EQ(PixelAt(picture, x + 49, y + 25), kGrey);
}

TEST_F(Tags, FontAndBackgroundComeFromTheirDialogsWhichKeepTheirOwnLastChoice) {
  StartWithGrey(300, 200);
  prompts.fontAnswers.push_back(winetest::ScriptedPrompts::ChooseFontAs(
      L"ＭＳ Ｐゴシック", 16, FW_BOLD, false, RGB(255, 0, 0)));
  Command(ids::Button5);
  prompts.colourAnswers.push_back(winetest::ScriptedPrompts::ChooseColourAs(RGB(0, 0, 255)));
  Command(ids::Button8);
  Command(ids::Button5);  // cancelled: nothing changes
  Command(ids::Button8);
  ASSERT_EQ(prompts.fontDialogs.size(), 2u);
  EXPECT_STREQ(prompts.fontDialogs[1].initialFont.lfFaceName, L"ＭＳ Ｐゴシック");
  EXPECT_EQ(prompts.fontDialogs[1].initialFont.lfWeight, FW_BOLD) << "the dialog's last choice";
  EXPECT_EQ(prompts.fontDialogs[1].initialColour, RGB(255, 0, 0));
  ASSERT_EQ(prompts.colourDialogs.size(), 2u);
  EXPECT_EQ(prompts.colourDialogs[1].initialColour, RGB(0, 0, 255));
  EXPECT_EQ(prompts.colourDialogs[0].flags & (CC_SOLIDCOLOR | CC_PREVENTFULLOPEN),
            static_cast<DWORD>(CC_SOLIDCOLOR | CC_PREVENTFULLOPEN));

  Command(ids::Button9);
  SizeTrack(TagKind::Memo, 110, 80);
  Type(L"Ab");
  const RECT box = TagSet().TagBounds(TagKind::Memo);
  Command(ids::Button11);
  const core::Dib& picture = Picture();
  EXPECT_EQ(PixelAt(picture, box.left + 1, box.top + 1), 0x0000FFu) << "the background";
  int red = 0;
  for (int y = box.top; y < box.bottom; ++y) {
    for (int x = box.left; x < box.right; ++x) red += PixelAt(picture, x, y) == 0xFF0000u;
  }
  EXPECT_GT(red, 20) << "the text in the chosen colour";
  const auto ink = InkRows(picture, box.left, box.right, box.top, box.bottom, 0x0000FF);
  ASSERT_EQ(ink.size(), 1u);
  EXPECT_GE(ink[0].second - ink[0].first, 14) << "16-point letters are taller than 9-point ones";
}

// Embedding the shape or the image tag into a 3840 x 2160 picture (drawing, repainting and the
// reload through the clipboard, which the embedding ends with) against a round trip of the same
// picture through the clipboard, put there and read back by this process, in turn, in the same
// run. Medians, since other programs on the machine preempt some of the runs.
TEST_F(Tags, EmbeddingTheShapeOrImageIntoA4kPictureCostsAtMostTwiceAClipboardRoundTrip) {
  StartWithGrey(3840, 2160);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const auto milliseconds = [&](const std::function<void()>& f) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    f();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) * 1e3 /
           static_cast<double>(frequency.QuadPart);
  };
  const auto roundTrip = [&] {
    GdiFlush();
    win::PutPictureOnClipboard(form->Handle(), form->Picture().Pixels());
    EXPECT_TRUE(win::ReadClipboardPicture(form->Handle()).has_value());
  };
  const auto median = [](std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
  };
  struct Kind {
    const char* name;
    int show;
    int embed;
  };
  for (const Kind& kind :
       {Kind{"shape", ids::Button6, ids::Button2}, Kind{"image", ids::Button17, ids::Button19}}) {
    // Once beforehand, so neither side pays for what a first use of the clipboard costs.
    Command(kind.show);
    Command(kind.embed);
    roundTrip();
    std::vector<double> ours;
    std::vector<double> bounds;
    for (int i = 0; i < 5; ++i) {
      Command(kind.show);
      ours.push_back(milliseconds([&] { Command(kind.embed); }));
      bounds.push_back(milliseconds(roundTrip));
    }
    const double ratio = median(ours) / median(bounds);
    std::printf(
        "%s embedded into 3840x2160: %.1f ms, clipboard round trip %.1f ms (medians), ratio %.2f "
        "(bound 2.00)\n",
        kind.name, median(ours), median(bounds), ratio);
    EXPECT_LE(ratio, 2.0) << kind.name;
  }
}

}  // namespace
