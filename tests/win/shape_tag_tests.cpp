// The shape tag: the shape the list names, drawn on the screen and embedded into the picture with
// the same black outline and fill over exactly the tag's pixels; the rounded rectangle's corners;
// the list's empty entry and typed text; the fill colour from the colour dialog; the arrow and the
// line from corner to corner with the chosen pen, and the highlighter, each embedded as shown.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <string>

#include "MouseInput.h"
#include "TagsFixture.h"
#include "app/win/CommandIds.h"
#include "tags/ArrowGeometry.h"
#include "tags/ShapeTag.h"
#include "win/BitmapDc.h"
#include "win/Handles.h"
#include "win/Picture.h"

namespace {

using tags::TagKind;
using winetest::Describe;
using winetest::Difference;
using winetest::PixelAt;
namespace ids = app::ids;

constexpr COLORREF kWhite = RGB(255, 255, 255);

// The shape as GDI draws it with a black 1-pixel pen and a solid brush, filling a picture of the
// shape's size that starts grey: what the tag's pixels must look like.
core::Dib DrawnShape(int listIndex, int width, int height, int corner, COLORREF fill) {
  win::Picture drawn = win::Picture::Create({width, height, 24});
  std::fill(drawn.Pixels().Bits(), drawn.Pixels().Bits() + drawn.Pixels().ImageSize(),
            uint8_t{0x80});
  {
    win::BitmapDc dc(drawn.Bitmap());
    win::UniquePen pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    win::UniqueBrush brush(CreateSolidBrush(fill));
    win::Selection selectPen(dc.get(), pen.get());
    win::Selection selectBrush(dc.get(), brush.get());
    if (listIndex == 0) Rectangle(dc.get(), 0, 0, width, height);
    if (listIndex == 1) Ellipse(dc.get(), 0, 0, width, height);
    if (listIndex == 2) RoundRect(dc.get(), 0, 0, width, height, corner, corner);
  }
  GdiFlush();
  return drawn.Pixels().Clone();
}

int CALLBACK FindRoundRect(HDC, HANDLETABLE*, const ENHMETARECORD* record, int, LPARAM corner) {
  if (record->iType == EMR_ROUNDRECT) {
    *reinterpret_cast<SIZE*>(corner) = reinterpret_cast<const EMRROUNDRECT*>(record)->szlCorner;
  }
  return 1;
}

// The corner the shape's drawing asks GDI for, as a metafile records it: GDI draws some
// neighbouring sizes alike (1 and 2 as square corners), so the pixels alone cannot tell them apart.
SIZE RequestedCorner(int width, int height) {
  HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  tags::DrawShape(recorder, tags::ShapeKind::RoundRect, RECT{0, 0, width, height}, kWhite);
  win::UniqueEnhMetaFile recording(CloseEnhMetaFile(recorder));
  SIZE corner{-1, -1};
  EnumEnhMetaFile(nullptr, recording.get(), FindRoundRect, &corner, nullptr);
  return corner;
}

class ShapeTag : public winetest::TagsFixture {
 protected:
  HWND List() const { return GetDlgItem(form->Controls().TabSheet4, ids::ComboBox1); }
  // Picks an entry of the list as the user does: the list tells its page of the new selection.
  void ChooseShape(int index) {
    SendMessageW(List(), CB_SETCURSEL, index, 0);
    SendMessageW(GetParent(List()), WM_COMMAND, MAKEWPARAM(ids::ComboBox1, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(List()));
  }
  // Types into the list's own text field.
  void TypeIntoList(const wchar_t* text) {
    COMBOBOXINFO info{sizeof info};
    GetComboBoxInfo(List(), &info);
    for (const wchar_t* c = text; *c; ++c) PostMessageW(info.hwndItem, WM_CHAR, *c, 0);
    winetest::PumpMessages(50);
  }
  // Chooses an entry of a list of the page as the user does.
  void ChooseIn(int id, int index) {
    HWND list = GetDlgItem(form->Controls().TabSheet4, id);
    SendMessageW(list, CB_SETCURSEL, index, 0);
    SendMessageW(GetParent(list), WM_COMMAND, MAKEWPARAM(id, CBN_SELCHANGE),
                 reinterpret_cast<LPARAM>(list));
  }
  RECT Tag() const { return TagSet().TagBounds(TagKind::Shape); }
  // The tag as the screen shows it, its track box hidden.
  core::Dib TagOnScreen() {
    PressThePictureAway();
    return ScreenOf(Area(), Tag());
  }
};

TEST_F(ShapeTag, EachShapeIsEmbeddedWhiteWithABlackOutlineOverExactlyTheTagsPixels) {
  StartWithGrey(500, 400);
  Command(ids::Button6);
  SizeTrack(TagKind::Shape, 104, 44);
  for (int index : {0, 1, 2}) {
    SCOPED_TRACE(index);
    ChooseShape(index);
    Command(ids::Button6);
    DragTrackBy(TagKind::Shape, 0, 80);
    const RECT tag = Tag();
    ASSERT_EQ(tag.right - tag.left, 100);
    ASSERT_EQ(tag.bottom - tag.top, 40);
    const core::Dib before = Picture().Clone();
    Command(ids::Button2);
    const core::Dib& after = Picture();
    EXPECT_FALSE(TagSet().IsShown(TagKind::Shape));
    EXPECT_EQ(Difference(after, tag.left, tag.top, DrawnShape(index, 100, 40, 10, kWhite)), "same");
    // Nothing beyond the tag changed.
    for (int y = 0; y < after.Height(); ++y) {
      for (int x = 0; x < after.Width(); ++x) {
        const POINT p{x, y};
        if (PtInRect(&tag, p)) continue;
        ASSERT_EQ(PixelAt(after, x, y), PixelAt(before, x, y)) << x << "," << y;
      }
    }
    // The outline on the outermost pixels, whatever the shape, and white inside.
    EXPECT_EQ(PixelAt(after, tag.left + 50, tag.top), 0u);
    EXPECT_EQ(PixelAt(after, tag.left + 50, tag.bottom - 1), 0u);
    EXPECT_EQ(PixelAt(after, tag.left + 50, tag.top + 20), 0xFFFFFFu);
  }
}

TEST_F(ShapeTag, RoundedCornersAreAQuarterOfTheShorterSideOnTheScreenAndInThePicture) {
  StartWithGrey(400, 300);
  ChooseShape(2);
  struct Case {
    int width, height, corner;
  };
  const Case cases[] = {{100, 40, 10}, {40, 100, 10}, {7, 30, 1}};
  for (int i = 0; i < 3; ++i) {
    const Case& c = cases[i];
    SCOPED_TRACE(std::to_string(c.width) + "x" + std::to_string(c.height));
    // Each beside the ones embedded before; moved while the box is large enough to grip.
    Command(ids::Button6);
    Command(ids::Button12);
    DragTrackBy(TagKind::Shape, 120 * i, 0);
    SizeTrack(TagKind::Shape, c.width + 4, c.height + 4);
    const SIZE corner = RequestedCorner(c.width, c.height);
    EXPECT_EQ(corner.cx, c.corner);
    EXPECT_EQ(corner.cy, c.corner);
    const core::Dib expected = DrawnShape(2, c.width, c.height, c.corner, kWhite);
    EXPECT_EQ(Difference(TagOnScreen(), 0, 0, expected), "same") << "on the screen";
    const RECT tag = Tag();
    Command(ids::Button2);
    EXPECT_EQ(Difference(Picture(), tag.left, tag.top, expected), "same") << "embedded";
  }
}

TEST_F(ShapeTag, TheEmptyEntryAndTypedTextKeepTheShapeOnTheScreenButEmbedNothing) {
  StartWithGrey(300, 200);
  ChooseShape(2);
  Command(ids::Button6);
  SizeTrack(TagKind::Shape, 104, 44);
  const core::Dib rounded = TagOnScreen();
  ASSERT_EQ(Difference(rounded, 0, 0, DrawnShape(2, 100, 40, 10, kWhite)), "same");
  PutTextOnClipboard();
  const core::Dib grey = Picture().Clone();
  for (const wchar_t* typed : {L"", L"xyz"}) {
    SCOPED_TRACE(winetest::Utf8(typed));
    Command(ids::Button6);
    if (*typed) {
      TypeIntoList(typed);
    } else {
      ChooseShape(3);
    }
    EXPECT_EQ(SendMessageW(List(), CB_GETCURSEL, 0, 0), *typed ? -1 : 3);
    EXPECT_EQ(Difference(TagOnScreen(), 0, 0, rounded), "same") << "the screen keeps the shape";
    Command(ids::Button2);
    EXPECT_FALSE(TagSet().IsShown(TagKind::Shape));
    EXPECT_EQ(Difference(Picture(), 0, 0, grey), "same") << "nothing embedded";
    const core::Dib onClipboard = ClipboardPicture();
    EXPECT_EQ(Difference(onClipboard, 0, 0, grey), "same") << "the picture went to the clipboard";
  }
}

TEST_F(ShapeTag, TheFillColourComesFromTheColourDialogAndStaysWhenItIsCancelled) {
  StartWithGrey(300, 200);
  prompts.colourAnswers.push_back(winetest::ScriptedPrompts::ChooseColourAs(RGB(255, 0, 0)));
  Command(ids::Button3);
  Command(ids::Button3);  // cancelled
  ASSERT_EQ(prompts.colourDialogs.size(), 2u);
  EXPECT_EQ(prompts.colourDialogs[1].initialColour, RGB(255, 0, 0)) << "its last choice";
  EXPECT_EQ(prompts.colourDialogs[0].flags & (CC_SOLIDCOLOR | CC_PREVENTFULLOPEN),
            static_cast<DWORD>(CC_SOLIDCOLOR | CC_PREVENTFULLOPEN));
  ChooseShape(1);
  Command(ids::Button6);
  const RECT tag = Tag();
  Command(ids::Button2);
  EXPECT_EQ(Describe(tag), "2,2 69x45");
  EXPECT_EQ(Difference(Picture(), tag.left, tag.top, DrawnShape(1, 69, 45, 0, RGB(255, 0, 0))),
            "same");
}

// The distance of the centre of pixel (x, y) from the segment between two points.
double FromSegment(int x, int y, tags::PointF a, tags::PointF b) {
  const double px = x + 0.5 - a.x, py = y + 0.5 - a.y;
  const double dx = b.x - a.x, dy = b.y - a.y;
  const double t = std::clamp((px * dx + py * dy) / (dx * dx + dy * dy), 0.0, 1.0);
  return std::hypot(px - t * dx, py - t * dy);
}

TEST_F(ShapeTag, ArrowsAndLinesRunCornerToCornerWithTheChosenPenAndAreEmbeddedAsShown) {
  StartWithGrey(400, 300);
  prompts.colourAnswers.push_back(winetest::ScriptedPrompts::ChooseColourAs(RGB(255, 0, 0)));
  Command(ids::Button3);
  StepArrows(GetDlgItem(form->Controls().TabSheet4, ids::UpDown4), 2);  // 3 to 5
  constexpr int kPen = 5;
  Command(ids::Button6);
  SizeTrack(TagKind::Shape, 124, 84);
  DragTrackBy(TagKind::Shape, 40, 40);
  struct Case {
    int entry;  // "矢印" or "直線"
    tags::Corner corner;
  };
  const Case cases[] = {{4, tags::Corner::BottomRight}, {4, tags::Corner::BottomLeft},
                        {4, tags::Corner::TopLeft},     {4, tags::Corner::TopRight},
                        {5, tags::Corner::BottomRight}, {5, tags::Corner::TopRight}};
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.entry) + " to corner " +
                 std::to_string(static_cast<int>(c.corner)));
    ChooseShape(c.entry);
    ChooseIn(ids::ComboBox3, static_cast<int>(c.corner));
    Command(ids::Button6);
    const RECT tag = Tag();
    ASSERT_EQ(Describe(tag), "42,42 120x80");
    const core::Dib shown = TagOnScreen();
    Command(ids::Button2);
    const core::Dib drawn = winetest::Crop(Picture(), tag);
    EXPECT_EQ(Difference(drawn, 0, 0, shown), "same") << "embedded as shown";
    const RECT ink = winetest::InkBounds(Picture(), kGrey);
    RECT inside{};
    IntersectRect(&inside, &ink, &tag);
    EXPECT_TRUE(EqualRect(&inside, &ink)) << "nothing beyond the tag: " << Describe(ink);

    const tags::Stroke line = tags::LineIn(120, 80, c.corner);
    const double head = tags::ArrowHeadLength(kPen);
    int atTip = 0, atTail = 0, stray = 0;
    for (int y = 0; y < 80; ++y) {
      for (int x = 0; x < 120; ++x) {
        if (PixelAt(drawn, x, y) == kGrey) continue;
        const double tip = std::hypot(x + 0.5 - line.to.x, y + 0.5 - line.to.y);
        const double tail = std::hypot(x + 0.5 - line.from.x, y + 0.5 - line.from.y);
        atTip += tip <= head;
        atTail += tail <= head;
        // Within a pen's width of the segment, or of the head for an arrow.
        const bool onStroke = FromSegment(x, y, line.from, line.to) <= kPen ||
                              (c.entry == 4 && tip <= head * 1.2 + 1);
        stray += !onStroke;
      }
    }
    EXPECT_EQ(stray, 0) << "pixels far from the stroke";
    EXPECT_GT(atTail, 0);
    if (c.entry == 4) {
      EXPECT_GT(atTip, atTail * 3 / 2) << "the head at the corner chosen";
    } else {
      EXPECT_LT(std::abs(atTip - atTail), atTail / 4) << "no head";
    }
    Command(ids::mnuUndo);
  }
}

TEST_F(ShapeTag, TheHighlighterKeepsBlackTextBlackAndTurnsWhiteIntoItsYellow) {
  win::Picture text = win::Picture::Create({300, 200, 24});
  std::fill(text.Pixels().Bits(), text.Pixels().Bits() + text.Pixels().ImageSize(), uint8_t{0xFF});
  {
    win::BitmapDc dc(text.Bitmap());
    win::UniqueFont font(CreateFontW(-20, 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                                     OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                                     NONANTIALIASED_QUALITY, DEFAULT_PITCH, L"ＭＳ Ｐゴシック"));
    win::Selection select(dc.get(), font.get());
    TextOutW(dc.get(), 30, 30, L"要確認 CHECK", 9);
  }
  GdiFlush();
  const core::Dib original = text.Pixels().Clone();
  StartWithPicture(original);
  ChooseShape(6);  // "蛍光ﾍﾟﾝ", chosen for the first time: yellow
  Command(ids::Button6);
  SizeTrack(TagKind::Shape, 164, 44);
  DragTrackBy(TagKind::Shape, 20, 20);
  const RECT tag = Tag();
  const core::Dib shown = TagOnScreen();
  Command(ids::Button2);
  const core::Dib marked = winetest::Crop(Picture(), tag);
  EXPECT_EQ(Difference(marked, 0, 0, shown), "same") << "embedded as shown";
  int black = 0;
  for (int y = 0; y < marked.Height(); ++y) {
    for (int x = 0; x < marked.Width(); ++x) {
      const uint32_t was = PixelAt(original, tag.left + x, tag.top + y);
      ASSERT_TRUE(was == 0 || was == 0xFFFFFF) << "no smoothing in the test's text";
      ASSERT_EQ(PixelAt(marked, x, y), was == 0 ? 0u : 0xFFFF00u) << x << "," << y;
      black += was == 0;
    }
  }
  EXPECT_GT(black, 100) << "the text lies under the highlighter";
}

}  // namespace
