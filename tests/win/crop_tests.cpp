// Cutting a part out of the picture as the user does it: Cut, a drag with the real mouse over the
// picture, the fine-adjustment dialog, OK or Cancel. What is checked is what the user and other
// programs see: the picture's pixels with and without the band, the status line, the dialog's size
// panels, the window, the clipboard and the picture's context menu.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "ClipboardChildren.h"
#include "FormFixture.h"
#include "MouseInput.h"
#include "app/win/CommandIds.h"
#include "core/BmpCodec.h"
#include "edit/Unit3.h"
#include "win/BitmapDc.h"
#include "win/Handles.h"

namespace {

using winetest::LeftDown;
using winetest::LeftUp;
using winetest::PixelAt;
using winetest::PointerTo;
using winetest::Utf8;
namespace ids = app::ids;

// `picture` with the outline of the rectangle from (left, top) to (right, bottom), both included,
// inverted where it lies on the picture: what the band should leave.
core::Dib WithBand(const core::Dib& picture, int left, int top, int right, int bottom) {
  core::Dib out = picture.Clone();
  const auto invert = [&](int x, int y) {
    if (x < 0 || y < 0 || x >= out.Width() || y >= out.Height()) return;
    uint8_t* p = out.Row(y) + x * 3;
    for (int i = 0; i < 3; ++i) p[i] = static_cast<uint8_t>(~p[i]);
  };
  for (int x = left; x <= right; ++x) {
    invert(x, top);
    if (bottom != top) invert(x, bottom);
  }
  for (int y = top + 1; y < bottom; ++y) {
    invert(left, y);
    if (right != left) invert(right, y);
  }
  return out;
}

std::string Describe(const RECT& r) {
  return std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

// The part of `picture` from (left, top), `width` x `height` pixels.
core::Dib Part(const core::Dib& picture, int left, int top, int width, int height) {
  core::Dib out(width, height, 24);
  for (int y = 0; y < height; ++y) {
    std::memcpy(out.Row(y), picture.Row(top + y) + left * 3, static_cast<size_t>(width) * 3);
  }
  return out;
}

// The first pixel where two 24-bit pictures differ, or "same".
std::string FirstDifference(const core::Dib& a, const core::Dib& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) return "another size";
  for (int y = 0; y < a.Height(); ++y) {
    for (int x = 0; x < a.Width(); ++x) {
      if (PixelAt(a, x, y) != PixelAt(b, x, y)) return std::to_string(x) + "," + std::to_string(y);
    }
  }
  return "same";
}

void CALLBACK EndMenuMode(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  EndMenu();
}

class Crop : public winetest::FormFixture {
 protected:
  void StartWith(int width, int height) {
    original = winetest::PatternDib(width, height);
    winetest::WriteBmpFile(PathIn(L"shot.bmp"), original);
    Start({PathIn(L"shot.bmp")});
    ASSERT_EQ(form->PictureState(), host::PictureState::Present);
  }
  HWND Image() const { return form->Controls().Image1; }
  const core::Dib& Picture() const {
    GdiFlush();
    return form->Picture().Pixels();
  }
  std::string Status() const { return Utf8(form->StatusText()); }
  // The colour the screen shows at a picture point, as 0xRRGGBB.
  uint32_t ScreenPixel(POINT at) const {
    ClientToScreen(Image(), &at);
    HDC screen = GetDC(nullptr);
    const COLORREF c = GetPixel(screen, at.x, at.y);
    ReleaseDC(nullptr, screen);
    return (uint32_t{GetRValue(c)} << 16) | (uint32_t{GetGValue(c)} << 8) | GetBValue(c);
  }
  // Presses at the first point and moves over the others, without releasing.
  void DragOver(std::initializer_list<POINT> path) {
    PointerTo(Image(), *path.begin());
    LeftDown();
    for (auto it = path.begin() + 1; it != path.end(); ++it) PointerTo(Image(), *it);
  }
  // Releases the button; the fine-adjustment dialog that opens is handed to `inDialog`, which
  // closes it.
  void Release(std::function<void(HWND)> inDialog) {
    bool shown = false;
    winetest::WhenDialogAppears([&](HWND dialog) {
      shown = true;
      inDialog(dialog);
    });
    LeftUp();
    winetest::PumpMessages(30);
    EXPECT_TRUE(shown) << "no fine-adjustment dialog";
  }
  // Releases the button and tells whether a fine-adjustment dialog opened; one that does is
  // cancelled.
  bool ReleaseOpensADialog() {
    bool shown = false;
    winetest::WhenDialogAppears([&](HWND dialog) {
      shown = true;
      Close(dialog, IDCANCEL);
    });
    LeftUp();
    winetest::PumpMessages(60);
    return shown;
  }
  static std::string Panel(HWND dialog, int id) {
    wchar_t text[32] = {};
    GetDlgItemTextW(dialog, id, text, 32);
    return Utf8(text);
  }
  static void Close(HWND dialog, int command) { PostMessageW(dialog, WM_COMMAND, command, 0); }
  core::Dib ClipboardPicture() const {
    return winetest::ClipboardDibOfAnotherProcess(PathIn(L"clip.dib"));
  }

  core::Dib original;
};

TEST_F(Crop, TheBandInvertsExactlyItsOutlineAndIsErasedByDrawingItAgain) {
  StartWith(200, 150);
  Command(ids::mnuCut);
  EXPECT_EQ(Status(), Utf8(L"切取操作を開始します。範囲をドラッグしてください。"));
  PointerTo(Image(), {20, 30});
  LeftDown();
  PointerTo(Image(), {80, 70});
  const core::Dib banded = WithBand(original, 20, 30, 80, 70);
  EXPECT_EQ(FirstDifference(Picture(), banded), "same");
  EXPECT_EQ(Status(), Utf8(L"切取ｻｲｽﾞ X=60 Y=40"));
  // The screen shows it too, along every side of the outline.
  winetest::PumpMessages(50);
  for (const POINT p :
       {POINT{50, 30}, POINT{80, 50}, POINT{50, 70}, POINT{20, 50}, POINT{50, 50}}) {
    EXPECT_EQ(ScreenPixel(p), PixelAt(banded, p.x, p.y)) << "at " << p.x << "," << p.y;
  }
  // The next move erases that outline by drawing it again and draws the new one.
  PointerTo(Image(), {50, 31});
  EXPECT_EQ(FirstDifference(Picture(), WithBand(original, 20, 30, 50, 31)), "same");
  Release([&](HWND dialog) {
    EXPECT_EQ(Panel(dialog, edit::TForm3::Panel2), "30");
    EXPECT_EQ(Panel(dialog, edit::TForm3::Panel3), "1");
    Close(dialog, IDCANCEL);
  });
  EXPECT_EQ(FirstDifference(Picture(), original), "same");
  EXPECT_EQ(Status(), Utf8(L"切り取りは中止されました。"));
  EXPECT_EQ(form->State().CropState, host::CropState::Idle);
}

TEST_F(Crop, OkLeavesTheSelectedPixelsWhicheverWayTheDragWentAndPastTheEdges) {
  StartWith(200, 150);
  Command(ids::SpeedButton2);
  DragOver({{120, 90}, {100, 70}, {85, 60}});  // up and to the left
  EXPECT_EQ(Status(), Utf8(L"切取ｻｲｽﾞ X=-35 Y=-30"));
  Release([&](HWND dialog) {
    EXPECT_EQ(Panel(dialog, edit::TForm3::Panel2), "35");
    EXPECT_EQ(Panel(dialog, edit::TForm3::Panel3), "30");
    Close(dialog, IDOK);
  });
  EXPECT_EQ(Status(), Utf8(L"切取完了ｻｲｽﾞ X=35 Y=30"));
  original = Part(original, 85, 60, 35, 30);
  EXPECT_EQ(FirstDifference(Picture(), original), "same");

  // Beyond the picture's bottom-right corner: the last column and row are taken.
  Command(ids::mnuCut);
  DragOver({{10, 20}, {30, 28}, {90, 70}});
  Release([&](HWND dialog) { Close(dialog, IDOK); });
  EXPECT_EQ(Status(), Utf8(L"切取完了ｻｲｽﾞ X=25 Y=10"));
  const core::Dib expected = Part(original, 10, 20, 25, 10);
  EXPECT_EQ(FirstDifference(Picture(), expected), "same");
  EXPECT_EQ(Describe(WindowRect()), "500x399") << "fitted to the smaller picture";
  EXPECT_EQ(FirstDifference(ClipboardPicture(), expected), "same");
  EXPECT_EQ(form->State().CropState, host::CropState::Idle);
}

TEST_F(Crop, CancelRestoresThePictureAndLeavesAnotherProgramsClipboardAlone) {
  StartWith(200, 150);
  Command(ids::mnuCut);
  DragOver({{20, 20}, {60, 50}});
  Release([&](HWND dialog) {
    // Meanwhile another program puts its own picture on the clipboard.
    EXPECT_EQ(winetest::RunChild(L"put-screen-bitmap", {L"31", L"17"}), 0);
    Close(dialog, IDCANCEL);
  });
  EXPECT_EQ(FirstDifference(Picture(), original), "same");
  const core::Dib theirs = ClipboardPicture();
  EXPECT_EQ(theirs.Width(), 31) << "the other program's picture stays on the clipboard";
  EXPECT_EQ(theirs.Height(), 17);

  // Without such a program the clipboard still holds the picture as it was.
  Command(ids::mnuCut);
  DragOver({{20, 20}, {60, 50}});
  Release([&](HWND dialog) { Close(dialog, IDCANCEL); });
  EXPECT_EQ(FirstDifference(Picture(), original), "same");
  EXPECT_EQ(FirstDifference(ClipboardPicture(), original), "same");
}

TEST_F(Crop, APictureOpenedWhileArmedIsTheOneCancelRestores) {
  StartWith(200, 150);
  Command(ids::mnuCut);
  const core::Dib opened = winetest::PatternDib(90, 70, 24);
  core::Dib shifted = opened.Clone();
  for (size_t i = 0; i < shifted.ImageSize(); ++i) shifted.Bits()[i] ^= 0x5A;
  winetest::WriteBmpFile(PathIn(L"other.bmp"), shifted);
  prompts.openAnswers.push_back(winetest::ScriptedPrompts::Choose(PathIn(L"other.bmp"), 1));
  Command(ids::mnuRead);
  ASSERT_EQ(form->Picture().Width(), 90);
  EXPECT_EQ(form->State().CropState, host::CropState::Armed) << "the crop stays armed";
  DragOver({{10, 10}, {40, 30}});
  Release([&](HWND dialog) { Close(dialog, IDCANCEL); });
  EXPECT_EQ(FirstDifference(Picture(), shifted), "same");
}

TEST_F(Crop, ThePictureHasNoContextMenuAfterACropUntilTheNextCut) {
  StartWith(200, 150);
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  const auto rightClick = [&] {
    PointerTo(Image(), {100, 100});
    winetest::RightDown();
    winetest::RightUp();
  };
  EXPECT_TRUE(winetest::OpensAMenu(rightClick)) << "the picture menu at start";
  for (int ending : {IDOK, IDCANCEL}) {
    Command(ids::mnuCut);
    PointerTo(Image(), {60, 60});
    EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_CROSS)) << "armed";
    EXPECT_TRUE(winetest::OpensAMenu(rightClick)) << "armed";
    EXPECT_EQ(form->State().CropState, host::CropState::Armed) << "a right press starts no drag";
    DragOver({{10, 10}, {150, 120}});
    Release([&](HWND dialog) { Close(dialog, ending); });
    PointerTo(Image(), {60, 60});
    EXPECT_EQ(GetCursor(), arrow) << "after " << ending;
    EXPECT_FALSE(winetest::OpensAMenu(rightClick)) << "after " << ending;
  }
}

TEST_F(Crop, TheViewFollowsTheDraggedCornerPastTheEdgeOfThePictureArea) {
  StartWith(1600, 1300);
  Command(ids::mnuCut);
  DragOver({{100, 100}, {300, 200}});
  EXPECT_EQ(form->ScrollOrigin().x, 0);
  // Beyond the area's right edge and below its bottom: each move scrolls one line of 8 pixels.
  RECT area;
  GetClientRect(form->Controls().ScrollBox1, &area);
  for (int i = 1; i <= 3; ++i) PointerTo(Image(), {area.right + 20 + i, area.bottom + 20 + i});
  EXPECT_EQ(form->ScrollOrigin().x, 24);
  EXPECT_EQ(form->ScrollOrigin().y, 24);
  Release([&](HWND dialog) { Close(dialog, IDCANCEL); });
  EXPECT_EQ(FirstDifference(Picture(), original), "same");
}

// The last move scrolls the view, which slides the picture under the pointer: the release lies
// a line beyond the band drawn at that move.
TEST_F(Crop, OkAfterADragThatScrolledTheViewLeavesExactlyTheSelectedPixels) {
  StartWith(1600, 1300);
  Command(ids::mnuCut);
  RECT area;
  GetClientRect(form->Controls().ScrollBox1, &area);
  DragOver({{100, 100}, {300, 200}, {area.right - 4, area.bottom - 4}});
  ASSERT_GT(form->ScrollOrigin().x, 0);
  POINT release{};
  GetCursorPos(&release);
  ScreenToClient(Image(), &release);
  const int width = release.x - 100;
  const int height = release.y - 100;
  Release([&](HWND dialog) {
    EXPECT_EQ(Panel(dialog, edit::TForm3::Panel2), std::to_string(width));
    EXPECT_EQ(Panel(dialog, edit::TForm3::Panel3), std::to_string(height));
    Close(dialog, IDOK);
  });
  EXPECT_EQ(FirstDifference(Picture(), Part(original, 100, 100, width, height)), "same");
}

// A drag ends as Cancel ends it when the picture loses the mouse: Alt opens the menu bar's mode,
// and the system cancels the modes of a window when a dialog opens over it.
TEST_F(Crop, LosingTheMouseDuringADragCancelsItBandFree) {
  StartWith(200, 150);
  const std::vector<std::pair<const char*, std::function<void()>>> losses = {
      {"Alt",
       [&] {
         // The menu bar's mode holds the mouse until the timer ends it.
         SetTimer(nullptr, 0, 100, EndMenuMode);
         INPUT keys[2] = {};
         keys[0].type = keys[1].type = INPUT_KEYBOARD;
         keys[0].ki.wVk = keys[1].ki.wVk = VK_MENU;
         keys[1].ki.dwFlags = KEYEVENTF_KEYUP;
         SendInput(2, keys, sizeof keys[0]);
         winetest::PumpMessages(300);
       }},
      {"WM_CANCELMODE", [&] { SendMessageW(form->Handle(), WM_CANCELMODE, 0, 0); }},
  };
  for (const auto& [name, loseTheMouse] : losses) {
    SCOPED_TRACE(name);
    Command(ids::mnuCut);
    DragOver({{20, 20}, {60, 50}});
    loseTheMouse();
    EXPECT_EQ(form->State().CropState, host::CropState::Idle);
    EXPECT_EQ(Status(), Utf8(L"切り取りは中止されました。"));
    EXPECT_EQ(FirstDifference(Picture(), original), "same");
    // The button is still held: moving draws no band, and the release opens no dialog.
    PointerTo(Image(), {90, 70});
    EXPECT_FALSE(ReleaseOpensADialog());
    EXPECT_EQ(FirstDifference(Picture(), original), "same");
  }
}

// A picture that arrives during a drag, or while its fine-adjustment dialog is open, ends the
// crop: the drag's backup never comes back over it.
TEST_F(Crop, APictureOpenedDuringADragStays) {
  StartWith(200, 150);
  const auto openPicture = [&](int width, int height) {
    core::Dib opened = winetest::PatternDib(width, height);
    winetest::WriteBmpFile(PathIn(L"other.bmp"), opened);
    prompts.openAnswers.push_back(winetest::ScriptedPrompts::Choose(PathIn(L"other.bmp"), 1));
    Command(ids::mnuRead);
    return opened;
  };
  Command(ids::mnuCut);
  DragOver({{20, 20}, {60, 50}});
  core::Dib opened = openPicture(90, 70);
  EXPECT_EQ(form->State().CropState, host::CropState::Idle);
  EXPECT_EQ(FirstDifference(Picture(), opened), "same");
  EXPECT_FALSE(ReleaseOpensADialog());
  EXPECT_EQ(FirstDifference(Picture(), opened), "same");

  Command(ids::mnuCut);
  DragOver({{10, 10}, {40, 30}});
  Release([&](HWND) { opened = openPicture(120, 80); });
  EXPECT_EQ(form->State().CropState, host::CropState::Idle);
  EXPECT_EQ(FirstDifference(Picture(), opened), "same");
  EXPECT_EQ(Status(), Utf8(L"ファイル読込が完了しました。"));
}

TEST_F(Crop, ACutWhoseCopyTheClipboardCannotTakeIsNotArmed) {
  StartWith(200, 150);
  {
    winetest::ClipboardHolder anotherProgram;
    Command(ids::mnuCut);
  }
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(form->State().CropState, host::CropState::Idle);
  DragOver({{20, 20}, {60, 50}});
  EXPECT_EQ(FirstDifference(Picture(), original), "same") << "a drag drew a band";
  EXPECT_FALSE(ReleaseOpensADialog());
}

TEST_F(Crop, FineAdjustmentMovesEdgesWithinThePictureAndRefusesAnEmptyCut) {
  StartWith(200, 150);
  Command(ids::mnuCut);
  DragOver({{195, 0}, {197, 20}, {198, 40}});
  std::vector<std::string> widths;
  Release([&](HWND dialog) {
    const auto click = [&](int upDown, bool towardUpOrRight) {
      HWND control = GetDlgItem(dialog, upDown);
      RECT r;
      GetClientRect(control, &r);
      const bool horizontal = r.right > r.bottom;
      const POINT at = horizontal
                           ? POINT{towardUpOrRight ? r.right * 3 / 4 : r.right / 4, r.bottom / 2}
                           : POINT{r.right / 2, towardUpOrRight ? r.bottom / 4 : r.bottom * 3 / 4};
      winetest::ClickAt(control, at);
      widths.push_back(Panel(dialog, edit::TForm3::Panel2));
    };
    // The top edge is at 0: up changes nothing, and the band is drawn again unchanged.
    click(edit::TForm3::UpDown1, true);
    EXPECT_EQ(Panel(dialog, edit::TForm3::Panel3), "40");
    EXPECT_EQ(FirstDifference(Picture(), WithBand(original, 195, 0, 198, 40)), "same");
    // The right edge reaches the picture's width, one past the last column, and stops there.
    for (int i = 0; i < 3; ++i) click(edit::TForm3::UpDown2, true);
    EXPECT_EQ(FirstDifference(Picture(), WithBand(original, 195, 0, 200, 40)), "same");
    // The left edge meets the right edge and stops there.
    for (int i = 0; i < 6; ++i) click(edit::TForm3::UpDown4, true);
    // Nothing would be left: OK beeps and the dialog stays.
    prompts.beeps.clear();
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    winetest::PumpMessages(30);
    EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION});
    EXPECT_TRUE(IsWindowVisible(dialog));
    // The close box counts as Cancel.
    PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  EXPECT_EQ(widths, (std::vector<std::string>{"3", "4", "5", "5", "4", "3", "2", "1", "0", "0"}));
  EXPECT_EQ(Status(), Utf8(L"切り取りは中止されました。"));
  EXPECT_EQ(FirstDifference(Picture(), original), "same");
}

// A drag over a 3840 x 2160 picture: a pointer move erases and draws the band's outline and makes
// no copy of the picture. Timed against drawing the same two outlines with GDI straight into the
// picture, move and bound in turn (in alternating order, so neither finds the lines in the cache
// more often).
TEST_F(Crop, AMoveOverALargePictureCostsAtMostTwiceItsTwoOutlines) {
  StartWith(3840, 2160);
  Command(ids::mnuCut);
  const HWND image = Image();
  SendMessageW(image, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(20, 20));
  EXPECT_EQ(Status(), Utf8(L"切取開始します。"));
  // The user has dragged across the picture to near its far corner, which the view now shows; the
  // pointer stays inside the view, so it does not scroll.
  SendMessageW(form->Controls().ScrollBox1, WM_HSCROLL, SB_BOTTOM, 0);
  SendMessageW(form->Controls().ScrollBox1, WM_VSCROLL, SB_BOTTOM, 0);
  const POINT corners[] = {{3700, 2000}, {3702, 2003}};
  POINT band{20, 20};
  const auto move = [&](POINT to) { SendMessageW(image, WM_MOUSEMOVE, 0, MAKELPARAM(to.x, to.y)); };
  // Erases the outline that is shown and draws the one to `to`: the move's drawing, done again.
  const auto bound = [&](POINT to) {
    win::BitmapDc dc(form->Picture().Bitmap());
    win::UniquePen pen(CreatePen(PS_SOLID, 1, RGB(0, 0, 0)));
    win::Selection select(dc.get(), pen.get());
    for (const POINT corner : {band, to}) {
      SetROP2(dc.get(), R2_NOT);
      MoveToEx(dc.get(), 20, 20, nullptr);
      LineTo(dc.get(), corner.x, 20);
      LineTo(dc.get(), corner.x, corner.y);
      LineTo(dc.get(), 20, corner.y);
      LineTo(dc.get(), 20, 20);
    }
  };
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  const auto microseconds = [&](const std::function<void()>& f) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    f();
    GdiFlush();
    QueryPerformanceCounter(&end);
    return static_cast<double>(end.QuadPart - start.QuadPart) * 1e6 /
           static_cast<double>(frequency.QuadPart);
  };
  // Medians, since other programs on the machine preempt some of the runs.
  std::vector<double> ours;
  std::vector<double> bounds;
  for (int i = 0; i < 400; ++i) {
    const POINT to = corners[i % 2];
    if (i % 2) ours.push_back(microseconds([&] { move(to); }));
    bounds.push_back(microseconds([&] { bound(to); }));
    if (i % 2 == 0) ours.push_back(microseconds([&] { move(to); }));
    band = to;
  }
  const auto median = [](std::vector<double> values) {
    std::nth_element(values.begin(), values.begin() + values.size() / 2, values.end());
    return values[values.size() / 2];
  };
  const double ratio = median(ours) / median(bounds);
  std::printf(
      "drag move on 3840x2160: ours %.1f us, two outlines with GDI %.1f us (medians), "
      "ratio %.2f (bound 2.00)\n",
      median(ours), median(bounds), ratio);
  EXPECT_LE(ratio, 2.0);
  winetest::WhenDialogAppears([](HWND dialog) { Close(dialog, IDCANCEL); });
  SendMessageW(image, WM_LBUTTONUP, 0, MAKELPARAM(3702, 2003));
  EXPECT_EQ(form->State().CropState, host::CropState::Idle);
}

}  // namespace
