// The program on a screen of 150 percent (144 DPI, which scripts/test gives Wine for this suite
// alone): the windows are their 96-DPI layout one and a half times as large, fonts included, while
// the picture keeps one picture pixel to one screen pixel, crops and resizes in picture pixels,
// and every tag embeds exactly what it shows. A move to a screen of 200 percent lays the window out
// again.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <cstdlib>
#include <functional>
#include <string>
#include <tuple>

#include "ClipboardChildren.h"
#include "MouseInput.h"
#include "TagsFixture.h"
#include "app/win/CommandIds.h"
#include "edit/Unit3.h"
#include "win/BitmapDc.h"
#include "win/Dpi.h"
#include "win/Handles.h"

namespace {

using tags::TagKind;
using winetest::Crop;
using winetest::Describe;
using winetest::Difference;
using winetest::PixelAt;
namespace ids = app::ids;

// A place of the 96-DPI layout: left, top, width, height; -1 where the layout does not fix it.
struct Design {
  int x, y, width, height;
};

// What the place should be at `dpi`, each length within one pixel, as "x,y wxh" of the lengths
// the layout fixes; the same text of what was found, with only those lengths, for the comparison.
std::string Scaled(const Design& d, int dpi) {
  const auto at = [dpi](int v) {
    return v < 0 ? std::string("-") : std::to_string((v * dpi + 48) / 96);
  };
  return at(d.x) + "," + at(d.y) + " " + at(d.width) + "x" + at(d.height);
}

// `got` compared with the design at `dpi`: "ok", or both places side by side.
std::string Compare(const RECT& got, const Design& d, int dpi) {
  const int found[] = {got.left, got.top, got.right - got.left, got.bottom - got.top};
  const int design[] = {d.x, d.y, d.width, d.height};
  for (int i = 0; i < 4; ++i) {
    if (design[i] >= 0 && std::abs(found[i] * 96 - design[i] * dpi) > dpi) {
      return "found " + Describe(got) + ", expected " + Scaled(d, dpi);
    }
  }
  return "ok";
}

RECT RectIn(HWND control, HWND parent) {
  RECT r{};
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

LONG FontHeight(HWND control) {
  LOGFONTW font{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(control, WM_GETFONT, 0, 0)), sizeof font, &font);
  return font.lfHeight;
}

// A control of a dialog at any depth (the resize dialog's stand on panels).
HWND FindControl(HWND dialog, int id) {
  std::pair<int, HWND> want{id, nullptr};
  EnumChildWindows(
      dialog,
      [](HWND child, LPARAM p) -> BOOL {
        auto* w = reinterpret_cast<std::pair<int, HWND>*>(p);
        if (GetDlgCtrlID(child) != w->first) return TRUE;
        w->second = child;
        return FALSE;
      },
      reinterpret_cast<LPARAM>(&want));
  return want.second;
}

// The smallest rectangle of pixels darker than mid-grey; empty when there are none.
RECT DarkInk(const core::Dib& picture) {
  RECT r{picture.Width(), picture.Height(), 0, 0};
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      const uint32_t c = PixelAt(picture, x, y);
      if (((c >> 16) & 0xFF) + ((c >> 8) & 0xFF) + (c & 0xFF) >= 3 * 128) continue;
      r = RECT{std::min<LONG>(r.left, x), std::min<LONG>(r.top, y), std::max<LONG>(r.right, x + 1),
               std::max<LONG>(r.bottom, y + 1)};
    }
  }
  return r.right > r.left ? r : RECT{};
}

class Dpi144 : public winetest::TagsFixture {
 protected:
  void SetUp() override {
    ASSERT_EQ(win::SystemDpi(), 144) << "this suite runs with Wine set to 144 DPI";
  }
  // The controls in the dialog opened by `command`, handed to `inDialog`, which closes it.
  void InDialog(int command, std::function<void(HWND)> inDialog) {
    winetest::WhenDialogAppears(std::move(inDialog));
    Command(command);
  }
};

TEST_F(Dpi144, TheMainWindowIsItsLayoutOneAndAHalfTimesAsLarge) {
  Start();
  const app::FormControls& c = form->Controls();
  struct Expected {
    const char* what;
    HWND control;
    HWND parent;
    Design design;
  };
  const Expected places[] = {
      {"tool bar", c.Panel1, form->Handle(), {0, 0, -1, 25}},
      {"capture button", GetDlgItem(c.Panel1, ids::SpeedButton1), c.Panel1, {0, 0, 24, 24}},
      {"resize button", GetDlgItem(c.Panel1, ids::SpeedButton12), c.Panel1, {224, 0, 25, 25}},
      {"help button", GetDlgItem(c.Panel1, ids::SpeedButton11), c.Panel1, {312, 0, 24, 24}},
      {"left panel", c.Panel2, form->Handle(), {0, 25, 88, -1}},
      {"page control", c.PageControl1, c.Panel2, {1, 1, 86, 280}},
      {"embed all", c.Button1, c.Panel2, {8, 284, 73, 17}},
      {"page switcher", GetDlgItem(c.TabSheet1, ids::UpDown2), c.TabSheet1, {40, 0, 33, 17}},
      {"icon slot 4", GetDlgItem(c.TabSheet1, ids::Image14), c.TabSheet1, {40, 62, 32, 32}},
      {"show icon", GetDlgItem(c.TabSheet1, ids::Button13), c.TabSheet1, {2, 112, 73, 17}},
      {"font button", GetDlgItem(c.TabSheet2, ids::Button5), c.TabSheet2, {6, 16, 64, 17}},
      {"mosaic colour", GetDlgItem(c.TabSheet5, ids::Button26), c.TabSheet5, {6, 64, 65, 17}},
      {"embed mosaic", GetDlgItem(c.TabSheet5, ids::Button24), c.TabSheet5, {2, 160, 73, 17}},
      {"pen width label", GetDlgItem(c.TabSheet4, ids::Label19), c.TabSheet4, {6, 89, 26, 13}},
      {"direction label", GetDlgItem(c.TabSheet4, ids::Label20), c.TabSheet4, {6, 208, 24, 13}},
      {"picture area", c.ScrollBox1, form->Handle(), {88, 25, -1, -1}},
      {"status line", c.StatusBar1, form->Handle(), {0, -1, -1, 24}},
  };
  for (const Expected& e : places) {
    ASSERT_NE(e.control, nullptr) << e.what;
    EXPECT_EQ(Compare(RectIn(e.control, e.parent), e.design, 144), "ok") << e.what;
  }
  // The number boxes with their arrows within them, and every page's controls below its tabs.
  for (auto [page, box, arrows, design] :
       {std::tuple{c.TabSheet4, ids::Edit2, ids::UpDown4, Design{32, 86, -1, 17}},
        std::tuple{c.TabSheet5, ids::Edit1, ids::UpDown3, Design{36, 40, -1, 17}}}) {
    RECT both{};
    const RECT a = RectIn(GetDlgItem(page, box), page), b = RectIn(GetDlgItem(page, arrows), page);
    UnionRect(&both, &a, &b);
    EXPECT_EQ(Compare(both, design, 144), "ok") << box;
    EXPECT_LE(both.right, (75 * 144 + 48) / 96) << box;
  }
  RECT page{};
  GetClientRect(c.TabSheet4, &page);
  EXPECT_GE(page.bottom,
            RectIn(GetDlgItem(c.TabSheet4, ids::ComboBox3), c.TabSheet4).top + (20 * 144 + 48) / 96)
      << "the direction list lies on its page";
  // Fonts: the window's 12 pixels are 18, the page number's bold too.
  EXPECT_EQ(FontHeight(c.Button1), -18);
  EXPECT_EQ(FontHeight(GetDlgItem(c.TabSheet1, ids::Panel4)), -18);
  EXPECT_EQ(FontHeight(GetDlgItem(c.TabSheet4, ids::ComboBox1)), -18);
  // The start picture (420 x 300) in the least picture area, 600 x 450, beside the 132-pixel
  // panel: 420 -> 600 + 132 + 18 wide, 450 + 38 + 36 + 75 high.
  EXPECT_EQ(Describe(WindowRect()).substr(Describe(WindowRect()).find(' ') + 1), "750x599");
  // The tool bar's glyphs are the 24 x 24 ones: the camera is wider than a 16 x 16 glyph can be.
  HWND capture = GetDlgItem(c.Panel1, ids::SpeedButton1);
  RECT inner{};
  GetClientRect(capture, &inner);
  InflateRect(&inner, -3, -3);
  const RECT glyph = DarkInk(ScreenOf(capture, inner));
  EXPECT_GT(glyph.right - glyph.left, 16) << Describe(glyph);
}

TEST_F(Dpi144, TheDialogsAreTheirLayoutOneAndAHalfTimesAsLargeAndResizeInPicturePixels) {
  StartWithGrey(400, 300);
  struct Seen {
    RECT client{}, ok{}, tabs{};
    LONG font = 0;
  } settings, resize;
  InDialog(ids::SpeedButton7, [&](HWND dialog) {
    GetClientRect(dialog, &settings.client);
    settings.ok = RectIn(GetDlgItem(dialog, IDOK), dialog);
    settings.tabs = RectIn(GetDlgItem(dialog, 100), dialog);
    settings.font = FontHeight(GetDlgItem(dialog, IDOK));
    PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(Compare(settings.client, {0, 0, 265, 330}, 144), "ok");
  EXPECT_EQ(Compare(settings.ok, {16, 304, 97, 25}, 144), "ok");
  EXPECT_EQ(Compare(settings.tabs, {8, 8, 241, 289}, 144), "ok");
  EXPECT_EQ(settings.font, -18);

  // The resize dialog: its layout scales, but the width typed is the picture's new width.
  InDialog(ids::SpeedButton12, [&](HWND dialog) {
    RECT window{};
    GetWindowRect(dialog, &window);
    resize.client = RECT{0, 0, window.right - window.left, window.bottom - window.top};
    HWND ok = FindControl(dialog, IDOK);
    resize.ok = RectIn(ok, GetParent(ok));
    resize.font = FontHeight(ok);
    SetWindowTextW(FindControl(dialog, 17), L"200");  // the width, in the settings' width mode
    HWND specified = FindControl(dialog, 19);
    SendMessageW(specified, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(specified, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(Compare(resize.client, {0, 0, 426, 297}, 144), "ok") << "the whole window";
  EXPECT_EQ(Compare(resize.ok, {-1, 16, 89, 25}, 144), "ok");
  EXPECT_EQ(resize.font, -18);
  EXPECT_EQ(form->Picture().Width(), 200);
  EXPECT_EQ(form->Picture().Height(), 150);
}

TEST_F(Dpi144, APictureIsShownOnePicturePixelToOneScreenPixel) {
  const core::Dib pattern = winetest::PatternDib(400, 300);
  StartWithPicture(pattern);
  HWND image = form->Controls().Image1;
  EXPECT_EQ(Describe(RectIn(image, Area())), "0,0 400x300");
  RECT area{};
  GetClientRect(Area(), &area);
  EXPECT_GE(area.right, 600) << "the least picture area scales, as layout does";
  EXPECT_GE(area.bottom, 450);
  EXPECT_EQ(Difference(ScreenOf(image, RECT{0, 0, 400, 300}), 0, 0, pattern), "same");
  // Beside and below the picture the area shows its own plain background, not more picture.
  const core::Dib right = ScreenOf(Area(), RECT{400, 0, 401, 300});
  const core::Dib below = ScreenOf(Area(), RECT{0, 300, 400, 301});
  EXPECT_EQ(PixelAt(right, 0, 0), PixelAt(right, 0, 299));
  EXPECT_EQ(PixelAt(below, 0, 0), PixelAt(below, 399, 0));
}

TEST_F(Dpi144, ACropDraggedOverScreenPixelsCutsAsManyPicturePixels) {
  const core::Dib pattern = winetest::PatternDib(400, 300);
  StartWithPicture(pattern);
  HWND image = form->Controls().Image1;
  Command(ids::mnuCut);
  winetest::PointerTo(image, {50, 40});
  winetest::LeftDown();
  winetest::PointerTo(image, {150, 90});
  winetest::PointerTo(image, {250, 140});
  RECT client{}, ok{}, size{};
  LONG font = 0;
  winetest::WhenDialogAppears([&](HWND dialog) {
    GetClientRect(dialog, &client);
    ok = RectIn(GetDlgItem(dialog, IDOK), dialog);
    size = RectIn(GetDlgItem(dialog, edit::TForm3::Panel2), dialog);
    font = FontHeight(GetDlgItem(dialog, IDOK));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  winetest::LeftUp();
  winetest::PumpMessages(30);
  EXPECT_EQ(Compare(client, {0, 0, 184, 158}, 144), "ok") << "the fine-adjustment dialog";
  EXPECT_EQ(Compare(ok, {8, 120, 81, 25}, 144), "ok");
  EXPECT_EQ(Compare(size, {128, 32, 49, 17}, 144), "ok");
  EXPECT_EQ(font, -18);
  ASSERT_EQ(form->Picture().Width(), 200);
  ASSERT_EQ(form->Picture().Height(), 100);
  EXPECT_EQ(Difference(pattern, 50, 40, Picture()), "same");
}

TEST_F(Dpi144, EachTagEmbedsWhatItShows) {
  StartWithGrey(640, 480);
  // The text tag: the same font on the screen and in the picture, so its lines' ink is as high.
  Command(ids::Button9);
  HWND memo = TagSet().MemoTag().Handle();
  RECT inside{};
  GetClientRect(memo, &inside);
  const RECT shownInk = DarkInk(ScreenOf(memo, inside));
  const RECT memoBox = TagSet().TagBounds(TagKind::Memo);
  Command(ids::Button11);
  const RECT embeddedInk = DarkInk(Crop(
      Picture(), RECT{memoBox.left + 1, memoBox.top + 1, memoBox.right - 1, memoBox.bottom - 1}));
  ASSERT_GT(shownInk.bottom - shownInk.top, 12) << "18-pixel text, not 12";
  EXPECT_LE(std::abs((shownInk.bottom - shownInk.top) - (embeddedInk.bottom - embeddedInk.top)), 1)
      << "shown " << Describe(shownInk) << ", embedded " << Describe(embeddedInk);

  // The shape and the icon: what the screen shows of the tag (its track box hidden) is what
  // embedding puts into the picture, pixel for pixel.
  struct Kind {
    TagKind kind;
    int show, embed;
    POINT
    to;  // where its box is dragged (by the middle, where no handle is), apart from the others
  };
  for (const Kind& k : {Kind{TagKind::Shape, ids::Button6, ids::Button2, {120, 100}},
                        Kind{TagKind::Icon, ids::Button13, ids::Button15, {300, 100}},
                        Kind{TagKind::Mosaic, ids::Button22, ids::Button24, {120, 250}}}) {
    const TagKind kind = k.kind;
    SCOPED_TRACE(kind == TagKind::Shape ? "shape" : kind == TagKind::Icon ? "icon" : "mosaic");
    Command(k.show);
    const RECT box = Track(kind);
    const POINT middle{(box.left + box.right) / 2, (box.top + box.bottom) / 2};
    winetest::LeftDrag(Area(), {middle, POINT{middle.x + k.to.x / 2, middle.y + k.to.y / 2},
                                POINT{middle.x + k.to.x, middle.y + k.to.y}});
    PressThePictureAway();
    const RECT bounds = TagSet().TagBounds(kind);
    const core::Dib shown = ScreenOf(Area(), bounds);
    Command(k.embed);
    EXPECT_EQ(Difference(Picture(), bounds.left, bounds.top, shown), "same");
    if (kind == TagKind::Icon) {
      EXPECT_EQ(Describe(bounds).substr(Describe(bounds).find(' ') + 1), "48x48");
      // The palette's first icon at 48 x 48, drawn through its mask on the grey.
      win::Picture expected = win::Picture::FromDib(Crop(Picture(), bounds));
      {
        win::BitmapDc dc(expected.Bitmap());
        RECT all{0, 0, 48, 48};
        win::UniqueBrush grey(CreateSolidBrush(RGB(0x80, 0x80, 0x80)));
        FillRect(dc.get(), &all, grey.get());
        win::UniqueIcon icon(static_cast<HICON>(
            LoadImageW(GetModuleHandleW(nullptr), L"ICON1", IMAGE_ICON, 48, 48, 0)));
        DrawIconEx(dc.get(), 0, 0, icon.get(), 48, 48, 0, nullptr, DI_NORMAL);
      }
      GdiFlush();
      EXPECT_EQ(Difference(Picture(), bounds.left, bounds.top, expected.Pixels()), "same");
    } else if (kind == TagKind::Mosaic) {
      EXPECT_GT(winetest::InkBounds(shown, kGrey).right, 0) << "its blocks, not the grey";
    } else {
      // The outline is 2 pixels wide, as the screen shows it.
      EXPECT_EQ(PixelAt(shown, 1, shown.Height() / 2), 0u);
      EXPECT_EQ(PixelAt(shown, 2, shown.Height() / 2), 0xFFFFFFu);
    }
  }
}

TEST_F(Dpi144, TheArrowIsAsWideInPicturePixelsAndEmbeddedAsShown) {
  StartWithGrey(400, 300);
  HWND shapes = GetDlgItem(form->Controls().TabSheet4, ids::ComboBox1);
  SendMessageW(shapes, CB_SETCURSEL, 4, 0);  // "矢印"
  SendMessageW(form->Controls().TabSheet4, WM_COMMAND, MAKEWPARAM(ids::ComboBox1, CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(shapes));
  Command(ids::Button6);
  DragTrackBy(TagKind::Shape, 60, 40);
  PressThePictureAway();
  const RECT bounds = TagSet().TagBounds(TagKind::Shape);
  const core::Dib shown = ScreenOf(Area(), bounds);
  Command(ids::Button2);
  EXPECT_EQ(Difference(Picture(), bounds.left, bounds.top, shown), "same");
  // Across the middle of the default 3-pixel stroke, a row holds about 3 / cos(angle) pixels of
  // ink, not one and a half times as many.
  const int middle = (bounds.bottom - bounds.top) / 2;
  int ink = 0;
  for (int x = 0; x < shown.Width(); ++x) ink += PixelAt(shown, x, middle) != kGrey;
  const double slope = static_cast<double>(shown.Height()) / shown.Width();
  EXPECT_LE(ink, static_cast<int>(3 * std::hypot(1.0, 1.0 / slope)) + 2) << ink;
}

TEST_F(Dpi144, TheTrackBoxHandlesAreLargerToGrab) {
  StartWithGrey(400, 300);
  Command(ids::Button6);
  const RECT before = Track(TagKind::Shape);
  // 7 pixels in from the corner: within the 8-pixel handle here, beyond a 5-pixel one. The
  // handle's edges follow the pointer, the opposite edges stay: the box is sized, not moved.
  winetest::LeftDrag(
      Area(), {POINT{before.left + 7, before.top + 7}, POINT{before.left + 17, before.top + 12},
               POINT{before.left + 27, before.top + 17}});
  EXPECT_EQ(Describe(Track(TagKind::Shape)),
            Describe(RECT{before.left + 27, before.top + 17, before.right, before.bottom}));
}

TEST_F(Dpi144, MovingToAScreenOf200PercentLaysTheWindowOutForIt) {
  Start();
  RECT suggested{40, 30, 40 + 1000, 30 + 800};
  SendMessageW(form->Handle(), WM_DPICHANGED, MAKEWPARAM(192, 192),
               reinterpret_cast<LPARAM>(&suggested));
  winetest::PumpMessages(30);
  EXPECT_EQ(Describe(WindowRect()), "40,30 1000x800") << "the system's suggestion";
  const app::FormControls& c = form->Controls();
  EXPECT_EQ(Describe(RectIn(GetDlgItem(c.Panel1, ids::SpeedButton12), c.Panel1)), "448,0 50x50");
  EXPECT_EQ(Describe(RectIn(c.Panel2, form->Handle())).substr(0, 8), "0,50 176");
  EXPECT_EQ(SendMessageW(c.PageControl1, TCM_GETITEMCOUNT, 0, 0), 5) << "the tabs, placed again";
  EXPECT_LE(SendMessageW(c.PageControl1, TCM_GETROWCOUNT, 0, 0), 2);
  EXPECT_EQ(Describe(RectIn(GetDlgItem(c.TabSheet1, ids::Button13), c.TabSheet1)), "4,224 146x34");
  EXPECT_EQ(Describe(RectIn(GetDlgItem(c.TabSheet1, ids::Image11), c.TabSheet1)), "4,48 64x64");
  // The block size's box takes its new place, its arrows within its right end again.
  const RECT box = RectIn(GetDlgItem(c.TabSheet5, ids::Edit1), c.TabSheet5);
  const RECT arrows = RectIn(GetDlgItem(c.TabSheet5, ids::UpDown3), c.TabSheet5);
  EXPECT_EQ(Describe(box).substr(0, 6), "72,80 ");
  EXPECT_NEAR(arrows.right, 2 * 75, 2)
      << Describe(arrows) << ": the box's end, but the system's gap";
  EXPECT_EQ(arrows.top, box.top);
  EXPECT_EQ(FontHeight(c.Button1), -24);
  EXPECT_EQ(FontHeight(GetDlgItem(c.TabSheet1, ids::Panel4)), -24);
  // The icon tag's box fits the larger icon; its handles grew.
  const RECT iconBox = Track(TagKind::Icon);
  EXPECT_EQ(iconBox.right - iconBox.left, 72);
  EXPECT_EQ(iconBox.bottom - iconBox.top, 72);
  EXPECT_EQ(TagSet().TrackBox(TagKind::Shape).Metrics().handleSize, 10);
  // Fitting the window to the start picture now gives the 200-percent sizes.
  Command(ids::mnuAdjSz);
  EXPECT_EQ(Describe(WindowRect()), "40,30 1000x798");
}

}  // namespace

namespace {

// The screen is read in its own pixels at every scale: the whole screen, and a region dragged over
// the frozen screen, which covers the screen pixel for pixel.
TEST_F(Dpi144, CapturesTakeTheScreenInItsOwnPixels) {
  Start();
  const auto done = [&] { return !form->ScreenCapture().Busy(); };
  Command(ids::mnuCaptureScreen);
  ASSERT_TRUE(winetest::WaitFor(done));
  EXPECT_EQ(form->Picture().Width(), 1280);
  EXPECT_EQ(form->Picture().Height(), 1024);

  Command(ids::mnuCaptureRegion);
  ASSERT_TRUE(winetest::WaitFor([&] { return form->ScreenCapture().OverlayWindow() != nullptr; }));
  RECT overlay{};
  GetWindowRect(form->ScreenCapture().OverlayWindow(), &overlay);
  EXPECT_EQ(Describe(overlay), Describe(RECT{0, 0, 1280, 1024}));
  winetest::MoveMouseTo(POINT{700, 300});
  winetest::LeftDown();
  winetest::MoveMouseTo(POINT{850, 400});
  winetest::PumpMessages(15);
  winetest::MoveMouseTo(POINT{1000, 500});
  winetest::LeftUp();
  ASSERT_TRUE(winetest::WaitFor(done));
  EXPECT_EQ(form->Picture().Width(), 300);
  EXPECT_EQ(form->Picture().Height(), 200);
}

}  // namespace
