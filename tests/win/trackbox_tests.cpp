// The track box on a window of its own, driven with the real mouse: how far its edges go, the
// cursor over its handles, the events it raises, its context menu, and what it draws; and an event
// that fails, of the track box and of the text tag, ending in the error box.
#include <windows.h>

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

#include "MouseInput.h"
#include "ScriptedPrompts.h"
#include "WineTestSupport.h"
#include "core/Error.h"
#include "tags/MemoTag.h"
#include "win/controls/GraphicControl.h"
#include "win/controls/TrackBox.h"

namespace {

using winetest::LeftDown;
using winetest::LeftUp;
using winetest::PointerTo;
using winetest::PumpMessages;

constexpr const wchar_t* kHostClass = L"TrackBoxTestHost";

std::string Describe(int left, int top, int width, int height) {
  return std::to_string(left) + "," + std::to_string(top) + " " + std::to_string(width) + "x" +
         std::to_string(height);
}

struct Change {
  bool SZf;
  std::string bounds;  // the box's bounds when the event was raised
};

class TrackBox : public testing::Test {
 protected:
  void SetUp() override {
    WNDCLASSW wc{};
    wc.lpfnWndProc = DefWindowProcW;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.hbrBackground = static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH));
    wc.lpszClassName = kHostClass;
    RegisterClassW(&wc);
    host_ = CreateWindowExW(WS_EX_TOPMOST, kHostClass, L"", WS_POPUP | WS_VISIBLE, 100, 100, 400,
                            300, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
    SetForegroundWindow(host_);
    surface_ = std::make_unique<win::controls::GraphicSurface>(host_, prompts_);
    box_ = std::make_unique<win::controls::TTrackBox>(*surface_);
    box_->SetBounds(100, 80, 73, 49);
    box_->SetVisible(true);
    box_->OnTrackChange = [this](win::controls::TTrackBox& sender, bool SZf) {
      changes_.push_back({SZf, Bounds(sender)});
    };
    PumpMessages(50);
  }
  void TearDown() override {
    box_.reset();
    surface_.reset();
    DestroyWindow(host_);
    PumpMessages(20);
  }

  static std::string Bounds(const win::controls::GraphicControl& c) {
    return Describe(c.Left(), c.Top(), c.Width(), c.Height());
  }
  std::string Bounds() const { return Bounds(*box_); }
  // A point given in the box's own coordinates, as a client point of the host window.
  POINT InBox(int x, int y) const { return POINT{box_->Left() + x, box_->Top() + y}; }

  HWND host_ = nullptr;
  winetest::ScriptedPrompts prompts_;
  std::unique_ptr<win::controls::GraphicSurface> surface_;
  std::unique_ptr<win::controls::TTrackBox> box_;
  std::vector<Change> changes_;
};

TEST_F(TrackBox, EdgesDraggedPastTheOppositeEdgeStopAtOnePixel) {
  // The top-left handle, pressed at (5, 0) just right of its drawn square, dragged right and down
  // past the right edge (at 173). The left edge goes where the pointer goes; the pointer stays out
  // of the other handles' hit areas, so the top-left handle goes on.
  PointerTo(host_, POINT{105, 80});
  LeftDown();
  PointerTo(host_, POINT{172, 90});  // X = 72, one less than the width
  EXPECT_EQ(Bounds(), Describe(172, 90, 1, 39));
  for (const POINT at : {POINT{173, 97}, POINT{180, 96}, POINT{240, 104}}) {
    PointerTo(host_, at);
    EXPECT_EQ(Bounds(), Describe(172, 90, 1, 39)) << "pointer at " << at.x << "," << at.y;
  }
  LeftUp();
  // The right-middle handle dragged left keeps the same rule. The pointer runs below the handles'
  // hit areas, so the handle taken at the press goes on.
  box_->SetBounds(100, 80, 73, 49);
  PointerTo(host_, POINT{170, 104});
  LeftDown();
  for (int x = 160; x >= 110; x -= 10) PointerTo(host_, POINT{x, 115});
  PointerTo(host_, POINT{101, 115});
  EXPECT_EQ(Bounds(), Describe(100, 80, 1, 49));
  for (int x : {100, 90, 40}) {
    PointerTo(host_, POINT{x, 115});
    EXPECT_EQ(Bounds(), Describe(100, 80, 1, 49)) << "pointer at " << x;
  }
  LeftUp();
}

TEST_F(TrackBox, HandlesShowResizeCursorsUnlessSizingIsOff) {
  const HCURSOR arrow = LoadCursorW(nullptr, IDC_ARROW);
  PointerTo(host_, InBox(2, 2));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZENWSE));
  PointerTo(host_, InBox(70, 24));
  EXPECT_EQ(GetCursor(), LoadCursorW(nullptr, IDC_SIZEWE));
  PointerTo(host_, InBox(36, 24));
  EXPECT_EQ(GetCursor(), arrow);

  // The icon tag's box: the arrow everywhere, and a drag from a handle does nothing.
  box_->SetTrackSizeEnable(false);
  box_->SetBounds(100, 80, 36, 36);
  PointerTo(host_, InBox(2, 2));
  EXPECT_EQ(GetCursor(), arrow);
  LeftDown();
  PointerTo(host_, InBox(20, 30));
  EXPECT_EQ(GetCursor(), arrow);
  LeftUp();
  EXPECT_EQ(Bounds(), Describe(100, 80, 36, 36));
  EXPECT_TRUE(changes_.empty());
  // A press inside still moves it.
  PointerTo(host_, InBox(18, 18));
  LeftDown();
  PointerTo(host_, InBox(28, 8));
  LeftUp();
  EXPECT_EQ(Bounds(), Describe(110, 70, 36, 36));
}

TEST_F(TrackBox, EveryMoveStepAndEveryResizeStepIsReportedOnceWithItsFinalBounds) {
  PointerTo(host_, InBox(30, 20));
  LeftDown();
  const POINT press = InBox(30, 20);
  PointerTo(host_, POINT{press.x + 5, press.y});
  PointerTo(host_, POINT{press.x + 5, press.y + 7});
  LeftUp();
  ASSERT_EQ(changes_.size(), 2u);
  EXPECT_FALSE(changes_[0].SZf);
  EXPECT_EQ(changes_[0].bounds, Describe(105, 80, 73, 49));
  EXPECT_FALSE(changes_[1].SZf);
  EXPECT_EQ(changes_[1].bounds, Describe(105, 87, 73, 49));

  // A top-left step changes all four bounds; the one event sees all of them changed.
  changes_.clear();
  PointerTo(host_, POINT{106, 88});
  LeftDown();
  PointerTo(host_, POINT{96, 91});
  LeftUp();
  ASSERT_EQ(changes_.size(), 1u);
  EXPECT_TRUE(changes_[0].SZf);
  EXPECT_EQ(changes_[0].bounds, Describe(96, 91, 82, 45));
}

TEST_F(TrackBox, ADragEndsWhenTheMouseIsTakenFromIt) {
  PointerTo(host_, InBox(30, 20));
  LeftDown();
  PointerTo(host_, InBox(35, 20));
  ASSERT_EQ(Bounds(), Describe(105, 80, 73, 49));
  // Something takes the mouse (a menu, Alt+Tab); the button comes up where the box does not see
  // it, and the pointer comes back over the box without it.
  ReleaseCapture();
  PointerTo(host_, POINT{10, 10});
  LeftUp();
  PointerTo(host_, InBox(40, 30));
  EXPECT_EQ(Bounds(), Describe(105, 80, 73, 49));
}

TEST_F(TrackBox, ARightPressDragsTooAndItsReleaseOpensTheContextMenu) {
  HMENU menu = CreatePopupMenu();
  AppendMenuW(menu, MF_STRING, 1, L"隠す");
  box_->PopupMenu = menu;
  PointerTo(host_, InBox(30, 20));
  winetest::RightDown();
  PointerTo(host_, InBox(40, 30));
  EXPECT_EQ(Bounds(), Describe(110, 90, 73, 49));
  EXPECT_TRUE(winetest::OpensAMenu(winetest::RightUp));
  DestroyMenu(menu);
}

TEST_F(TrackBox, DrawsOnlyItsHandlesAndFrameLine) {
  PumpMessages(50);
  HDC screen = GetDC(nullptr);
  const auto at = [&](int x, int y) {
    POINT p = InBox(x, y);
    ClientToScreen(host_, &p);
    return GetPixel(screen, p.x, p.y) & 0xFFFFFF;
  };
  EXPECT_EQ(at(0, 0), 0u) << "top-left handle";
  EXPECT_EQ(at(4, 4), 0u);
  EXPECT_EQ(at(72, 48), 0u) << "bottom-right handle";
  EXPECT_EQ(at(36, 2), 0u) << "top-middle handle on the frame line";
  EXPECT_EQ(at(20, 2), 0u) << "frame line";
  EXPECT_EQ(at(71, 30), 0u) << "frame line, right";
  EXPECT_EQ(at(20, 3), 0xFFFFFFu) << "inside shows what lies beneath";
  EXPECT_EQ(at(20, 1), 0xFFFFFFu) << "outside the frame line";
  box_->SetTrackLineVisible(false);
  PumpMessages(50);
  EXPECT_EQ(at(20, 2), 0xFFFFFFu) << "frame line hidden";
  EXPECT_EQ(at(0, 0), 0u) << "handles stay";
  ReleaseDC(nullptr, screen);
}

TEST_F(TrackBox, AnEventThatThrowsShowsTheErrorEndsTheDragAndTheBoxGoesOn) {
  bool failing = true;
  box_->OnTrackChange = [&](win::controls::TTrackBox& sender, bool SZf) {
    if (failing) throw core::Error("移動できません。");
    changes_.push_back({SZf, Bounds(sender)});
  };
  PointerTo(host_, POINT{136, 104});
  LeftDown();
  PointerTo(host_, POINT{146, 114});  // the box moves, then its event fails
  PointerTo(host_, POINT{156, 124});  // the drag is over: the box stays
  LeftUp();
  ASSERT_EQ(prompts_.errors.size(), 1u);
  EXPECT_EQ(winetest::Utf8(prompts_.errors[0]), winetest::Utf8(L"移動できません。"));
  EXPECT_EQ(Bounds(), Describe(110, 90, 73, 49));
  EXPECT_EQ(GetCapture(), nullptr);

  failing = false;
  winetest::LeftDrag(host_, {POINT{146, 114}, POINT{150, 114}});
  EXPECT_EQ(Bounds(), Describe(114, 90, 73, 49));
  EXPECT_EQ(changes_.size(), 1u);
  EXPECT_EQ(prompts_.errors.size(), 1u);
}

TEST_F(TrackBox, AFailingPressOnTheTextTagShowsTheErrorAndTheTagGoesOn) {
  tags::TMemoTag memo;
  int presses = 0;
  memo.Create(host_, nullptr, prompts_, [&] {
    ++presses;
    throw core::Error("テキストタグを選べません。");
  });
  memo.SetBounds(20, 20, 60, 40);
  memo.SetVisible(true);
  PumpMessages(20);
  // Apart, so the second press is not a double click.
  for (POINT at : {POINT{30, 30}, POINT{70, 50}}) winetest::LeftDrag(host_, {at});
  EXPECT_EQ(presses, 2);
  ASSERT_EQ(prompts_.errors.size(), 2u);
  EXPECT_EQ(winetest::Utf8(prompts_.errors[1]), winetest::Utf8(L"テキストタグを選べません。"));
  EXPECT_TRUE(memo.Visible());
}

}  // namespace
