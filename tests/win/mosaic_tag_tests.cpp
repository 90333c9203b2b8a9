// The mosaic tag as the user works with it: shown, dragged, activated, moved to the origin and
// embedded as the other tags are, last of all by "全埋込"; what it writes carries nothing of the
// pixels it hides but their mean, shows on the screen before it is embedded, differs at every
// embedding, and is what the clipboard and a saved file get; "塗りつぶし" and the page's choices,
// kept in the settings file.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "MouseInput.h"
#include "TagsFixture.h"
#include "app/win/CommandIds.h"
#include "pngplugin/PngDecoder.h"
#include "win/BitmapDc.h"
#include "win/Handles.h"
#include "win/Picture.h"

namespace {

using tags::TagKind;
using winetest::Describe;
using winetest::Difference;
using winetest::PixelAt;
namespace ids = app::ids;

constexpr uint32_t kWhite = 0xFFFFFF;
// Two areas of one size, each holding a secret the mosaic is to hide.
constexpr RECT kFirst{20, 20, 180, 60};
constexpr RECT kSecond{20, 120, 180, 160};

// A white picture with a text in each area, in a fixed-pitch font without smoothing. The second
// text is the first one backwards, so the two areas hold the same pixels in another order: other
// pixels, the same mean.
core::Dib TwoSecrets() {
  win::Picture canvas = win::Picture::Create({400, 200, 24});
  std::fill(canvas.Pixels().Bits(), canvas.Pixels().Bits() + canvas.Pixels().ImageSize(),
            uint8_t{0xFF});
  {
    win::BitmapDc dc(canvas.Bitmap());
    win::UniqueFont font(CreateFontW(-24, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     NONANTIALIASED_QUALITY, FIXED_PITCH, L"ＭＳ ゴシック"));
    win::Selection select(dc.get(), font.get());
    SetBkMode(dc.get(), TRANSPARENT);
    TextOutW(dc.get(), kFirst.left + 4, kFirst.top + 8, L"PASS-42XQ", 9);
    TextOutW(dc.get(), kSecond.left + 4, kSecond.top + 8, L"QX24-SSAP", 9);
  }
  GdiFlush();
  return canvas.Pixels().Clone();
}

// The mean of one channel of an area, in levels.
double ChannelMean(const core::Dib& picture, const RECT& area, int shift) {
  double sum = 0;
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) sum += (PixelAt(picture, x, y) >> shift) & 0xFF;
  }
  return sum / ((area.right - area.left) * (area.bottom - area.top));
}

bool Same(const core::Dib& a, const core::Dib& b) {
  return a.ImageSize() == b.ImageSize() && std::memcmp(a.Bits(), b.Bits(), a.ImageSize()) == 0;
}

class MosaicTag : public winetest::TagsFixture {
 protected:
  RECT Tag() const { return TagSet().TagBounds(TagKind::Mosaic); }
  // Shows the mosaic and drags it over `area` of the unscrolled picture.
  void ShowOver(const RECT& area) {
    Command(ids::Button22);
    Command(ids::Button25);
    SizeTrack(TagKind::Mosaic, area.right - area.left + 4, area.bottom - area.top + 4);
    DragTrackBy(TagKind::Mosaic, area.left - 2, area.top - 2);
    ASSERT_EQ(Describe(Tag()), Describe(area));
  }
  // The picture's pixels as 24-bit ones, whatever its format now.
  core::Dib Area(const RECT& area) const { return winetest::Crop(Picture(), area); }
  using winetest::TagsFixture::Area;
  void Undo() { Command(ids::mnuUndo); }
  HWND Page() const { return form->Controls().TabSheet5; }
  void ChooseFill() {
    HWND list = GetDlgItem(Page(), ids::ComboBox2);
    SendMessageW(list, CB_SETCURSEL, 1, 0);
    SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(ids::ComboBox2, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }
  // Everything but `area` is as it was.
  static std::string OutsideChanges(const core::Dib& before, const core::Dib& after,
                                    const RECT& area) {
    for (int y = 0; y < before.Height(); ++y) {
      for (int x = 0; x < before.Width(); ++x) {
        const POINT p{x, y};
        if (!PtInRect(&area, p) && PixelAt(before, x, y) != PixelAt(after, x, y)) {
          return "changed at " + std::to_string(x) + "," + std::to_string(y);
        }
      }
    }
    return "none";
  }
};

TEST_F(MosaicTag, IsShownMovedActivatedAndEmbeddedAsEveryTagIs) {
  StartWithGrey(400, 300);
  Command(ids::Button22);
  EXPECT_EQ(form->State().ActiveTag, host::ActiveTag::Mosaic);
  EXPECT_EQ(Describe(Track(TagKind::Mosaic)), "0,0 73x49");
  EXPECT_EQ(Describe(Tag()), "2,2 69x45");
  DragTrackBy(TagKind::Mosaic, 100, 60);
  EXPECT_EQ(Describe(Tag()), "102,62 69x45");
  // A press on the picture leaves it shown but inactive; a press on it makes it active again.
  PressThePictureAway();
  EXPECT_FALSE(TrackShown(TagKind::Mosaic));
  EXPECT_TRUE(TagSet().IsShown(TagKind::Mosaic));
  winetest::ClickAt(Area(), {130, 80});
  EXPECT_TRUE(TrackShown(TagKind::Mosaic));
  // Shown but inactive, it obeys its "原点移動" as the text and icon tags do.
  Command(ids::Button6);
  Command(ids::Button25);
  EXPECT_EQ(Describe(Tag()), "2,2 69x45");
  // The tag menu acts on it while it is active. It lies over the shape.
  PressThePictureAway();
  winetest::ClickAt(Area(), {30, 30});
  ASSERT_EQ(form->State().ActiveTag, host::ActiveTag::Mosaic);
  Command(ids::smnuHide);
  EXPECT_FALSE(TagSet().IsShown(TagKind::Mosaic));
  EXPECT_EQ(form->State().ActiveTag, host::ActiveTag::None);
  EXPECT_TRUE(TagSet().IsShown(TagKind::Shape)) << "the shape beneath stays";

  // "全埋込": the shape first, the mosaic last and over it, in one step of the history.
  ChooseFill();
  Command(ids::Button22);
  DragTrackBy(TagKind::Mosaic, 40, 20);  // over the shape's lower right part
  const core::Dib before = Picture().Clone();
  Command(ids::Button1);
  EXPECT_FALSE(TagSet().IsShown(TagKind::Mosaic));
  EXPECT_EQ(PixelAt(Picture(), 10, 10), kWhite) << "the shape";
  EXPECT_EQ(PixelAt(Picture(), 50, 30), 0u) << "the mosaic over the shape";
  EXPECT_EQ(PixelAt(Picture(), 100, 60), 0u) << "the mosaic beside it";
  Undo();
  EXPECT_TRUE(Same(winetest::Crop(Picture(), {0, 0, 400, 300}), before));
}

TEST_F(MosaicTag, IsEmbeddedAtItsPictureCoordinatesInAScrolledPicture) {
  StartWithGrey(1600, 1400);
  for (int i = 0; i < 3; ++i) SendMessageW(Area(), WM_HSCROLL, SB_LINEDOWN, 0);
  for (int i = 0; i < 2; ++i) SendMessageW(Area(), WM_VSCROLL, SB_LINEDOWN, 0);
  const POINT scroll = form->ScrollOrigin();
  ASSERT_GT(scroll.x, 0);
  ASSERT_GT(scroll.y, 0);
  ChooseFill();
  Command(ids::Button22);
  DragTrackBy(TagKind::Mosaic, 200, 150);
  Command(ids::Button25);
  Command(ids::smnuDraw);
  const RECT drawn = winetest::InkBounds(Picture(), kGrey);
  EXPECT_EQ(Describe(drawn), Describe({scroll.x + 2, scroll.y + 2, scroll.x + 71, scroll.y + 47}));
  EXPECT_EQ(PixelAt(Picture(), scroll.x + 2, scroll.y + 2), 0u);
}

TEST_F(MosaicTag, BlocksCarryOnlyTheMeanOfWhatTheyHideAndTheScreenShowsThemBeforehand) {
  uint64_t seed = 42;
  mosaicSeeds = [&seed] { return seed; };
  const core::Dib secrets = TwoSecrets();
  ASSERT_NE(Difference(secrets, kFirst.left, kFirst.top, winetest::Crop(secrets, kSecond)), "same");
  for (int shift : {0, 8, 16}) {
    EXPECT_NEAR(ChannelMean(secrets, kFirst, shift), ChannelMean(secrets, kSecond, shift), 1.0);
  }
  StartWithPicture(secrets);

  ShowOver(kFirst);
  PressThePictureAway();
  const core::Dib shown = ScreenOf(Area(), kFirst);
  Command(ids::Button24);
  const core::Dib first = Area(kFirst);
  EXPECT_EQ(Difference(first, 0, 0, shown), "same") << "the screen showed what is embedded";
  EXPECT_EQ(OutsideChanges(secrets, winetest::Crop(Picture(), {0, 0, 400, 200}), kFirst), "none");

  Undo();
  Command(ids::Button22);
  DragTrackBy(TagKind::Mosaic, 0, kSecond.top - kFirst.top);
  ASSERT_EQ(Describe(Tag()), Describe(kSecond));
  Command(ids::Button24);
  EXPECT_EQ(Difference(first, 0, 0, Area(kSecond)), "same")
      << "other pixels of the same mean, the same seed: the same blocks";

  seed = 43;
  Undo();
  Command(ids::Button22);
  DragTrackBy(TagKind::Mosaic, 0, kFirst.top - kSecond.top);
  Command(ids::Button24);
  EXPECT_NE(Difference(first, 0, 0, Area(kFirst)), "same") << "another seed, other blocks";
}

TEST_F(MosaicTag, EveryEmbeddingDrawsFreshNoiseAndTheClipboardAndASavedPngHoldOnlyTheBlocks) {
  const core::Dib secrets = TwoSecrets();
  StartWithPicture(secrets);
  ShowOver(kFirst);
  Command(ids::Button24);
  const core::Dib first = Area(kFirst);
  Undo();
  Command(ids::Button22);
  Command(ids::Button24);
  const core::Dib second = Area(kFirst);
  EXPECT_NE(Difference(first, 0, 0, second), "same") << "the system's seeds differ";
  EXPECT_NE(Difference(secrets, kFirst.left, kFirst.top, second), "same");

  EXPECT_EQ(Difference(ClipboardPicture(), kFirst.left, kFirst.top, second), "same");
  prompts.saveAnswers.push_back(winetest::ScriptedPrompts::Choose(PathIn(L"saved.png"), 3));
  Command(ids::mnuWrite);
  const core::Dib saved = pngplugin::DecodePng(winetest::ReadFileBytes(PathIn(L"saved.png")));
  EXPECT_EQ(Difference(saved, kFirst.left, kFirst.top, second), "same");
  EXPECT_EQ(Difference(saved, kSecond.left, kSecond.top, winetest::Crop(secrets, kSecond)), "same");
}

TEST_F(MosaicTag, FillWritesTheChosenColourAndThePagesChoicesAreKeptForTheNextStart) {
  StartWithPicture(TwoSecrets());
  EXPECT_FALSE(IsWindowEnabled(GetDlgItem(Page(), ids::Button26))) << "only for 塗りつぶし";
  ChooseFill();
  ASSERT_TRUE(IsWindowEnabled(GetDlgItem(Page(), ids::Button26)));
  prompts.colourAnswers.push_back(winetest::ScriptedPrompts::ChooseColourAs(RGB(0, 0, 255)));
  Command(ids::Button26);
  ASSERT_EQ(prompts.colourDialogs.size(), 1u);
  EXPECT_EQ(prompts.colourDialogs[0].initialColour, RGB(0, 0, 0)) << "black at first";
  StepArrows(GetDlgItem(Page(), ids::UpDown3), 24);  // 16 to 40
  ShowOver(kFirst);
  Command(ids::Button24);
  const core::Dib filled = Area(kFirst);
  EXPECT_EQ(winetest::InkBounds(filled, 0x0000FF).right, 0) << "every pixel blue";

  // Back to "ﾓｻﾞｲｸ": its blocks are as large as the box says, counted from the tag's corner.
  HWND list = GetDlgItem(Page(), ids::ComboBox2);
  SendMessageW(list, CB_SETCURSEL, 0, 0);
  SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(ids::ComboBox2, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));
  Command(ids::Button22);
  DragTrackBy(TagKind::Mosaic, 0, kSecond.top - kFirst.top);
  Command(ids::Button24);
  const core::Dib blocks = Area(kSecond);
  for (int x = 0; x < 160; ++x) {
    ASSERT_EQ(PixelAt(blocks, x, 0), PixelAt(blocks, x / 40 * 40, 39)) << x;
  }
  StepArrows(GetDlgItem(Page(), ids::UpDown3), 30);  // beyond the range: its top, 64
  SendMessageW(list, CB_SETCURSEL, 1, 0);
  SendMessageW(Page(), WM_COMMAND, MAKEWPARAM(ids::ComboBox2, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(list));

  Close();
  const std::wstring ini = ReadIni();
  EXPECT_NE(ini.find(L"[Mosaic]\r\nMode=1\r\nBlock=64\r\nColor=16711680\r\n"), std::wstring::npos)
      << winetest::Utf8(ini);
  Start();
  EXPECT_EQ(SendMessageW(GetDlgItem(Page(), ids::ComboBox2), CB_GETCURSEL, 0, 0), 1);
  wchar_t text[8] = {};
  GetWindowTextW(GetDlgItem(Page(), ids::Edit1), text, 8);
  EXPECT_EQ(std::wstring(text), L"64");
  prompts.colourAnswers.clear();
  Command(ids::Button26);
  EXPECT_EQ(prompts.colourDialogs.back().initialColour, RGB(0, 0, 255));
}

// Dragging the mosaic over a large picture: each step repaints the area the tag left and the one
// it entered, the picture and the mosaic over it, against repainting the same areas of the picture
// with the tag hidden afterwards, in the same run. Medians, since other programs preempt some
// runs.
TEST_F(MosaicTag, ThePreviewWhileDraggingCostsAtMostTwiceRedrawingItsArea) {
  StartWithPicture(winetest::PatternDib(1000, 800));
  Command(ids::Button22);
  SizeTrack(TagKind::Mosaic, 604, 504);
  HWND image = form->Controls().Image1;
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
  // One step of a drag by the track box's inside, by the messages the mouse sends.
  int x = 300;
  const auto dragStep = [&] {
    SendMessageW(image, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 1, 200));
    ++x;
    UpdateWindow(image);
    UpdateWindow(Area());
  };
  // The same areas: the tag's place before and after a step of one pixel.
  const auto redraw = [&] {
    const RECT both{Tag().left - 1, Tag().top, Tag().right, Tag().bottom};
    InvalidateRect(image, &both, FALSE);
    UpdateWindow(image);
    UpdateWindow(Area());
  };
  const auto median = [](std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
  };
  std::vector<double> ours;
  SendMessageW(image, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, 200));
  for (int i = 0; i < 15; ++i) ours.push_back(milliseconds(dragStep));
  SendMessageW(image, WM_LBUTTONUP, 0, MAKELPARAM(x, 200));
  EXPECT_EQ(Tag().left, 2 + 15) << "the drag moved the tag";
  Command(ids::Button23);
  std::vector<double> bounds;
  for (int i = 0; i < 15; ++i) bounds.push_back(milliseconds(redraw));
  const double ratio = median(ours) / median(bounds);
  std::printf(
      "mosaic 600x500 dragged: %.2f ms a step, repainting its area %.2f ms (medians), "
      "ratio %.2f (bound 2.00)\n",
      median(ours), median(bounds), ratio);
  EXPECT_LE(ratio, 2.0);
}

}  // namespace
