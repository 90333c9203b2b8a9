// The Resize command as the user meets it: the dialog at its place, the typed width or height,
// resizing the dialog, OK and Cancel, and the settings the dialog writes at once.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "FormFixture.h"
#include "app/win/CommandIds.h"

namespace {

using winetest::FormFixture;
namespace ids = app::ids;

// The dialog's own controls, as the user finds them.
constexpr int kImage1 = 12;
constexpr int kRadioButton2 = 15;
constexpr int kEdit1 = 17;
constexpr int kBitBtn3 = 19;

class Resize : public FormFixture {
 protected:
  void StartWith(int width, int height, const std::wstring& settings = L"") {
    winetest::WriteBmpFile(PathIn(L"shot.bmp"), winetest::PatternDib(width, height));
    if (!settings.empty()) WriteIni(L"[Resize]\r\n" + settings);
    Start({PathIn(L"shot.bmp")});
  }
  // Opens the dialog and lets `action` work in it once it is up.
  void InDialog(std::function<void(HWND)> action) {
    winetest::WhenDialogAppears(std::move(action));
    Command(ids::SpeedButton12);
  }
  static BOOL CALLBACK MatchControl(HWND child, LPARAM p) {
    auto* want = reinterpret_cast<std::pair<int, HWND>*>(p);
    if (GetDlgCtrlID(child) != want->first) return TRUE;
    want->second = child;
    return FALSE;
  }
  // A control of the dialog, wherever it stands (the controls stand on panels).
  static HWND FindControl(HWND dialog, int id) {
    std::pair<int, HWND> want{id, nullptr};
    EnumChildWindows(dialog, MatchControl, reinterpret_cast<LPARAM>(&want));
    return want.second;
  }
  // A click on the specified-resize button, which reports it as a command to the dialog.
  static void PressSpecifiedResize(HWND dialog) {
    HWND button = FindControl(dialog, kBitBtn3);
    ASSERT_NE(button, nullptr);
    SendMessageW(button, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(button, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  }
  SIZE PictureSize() { return SIZE{form->Picture().Width(), form->Picture().Height()}; }
  static std::string SizeText(LONG width, LONG height) {
    return std::to_string(width) + "x" + std::to_string(height);
  }
  std::string PictureSizeText() { return SizeText(PictureSize().cx, PictureSize().cy); }
  // The preview's size: the size OK gives the picture.
  static std::string PreviewSize(HWND dialog) {
    RECT r;
    GetWindowRect(FindControl(dialog, kImage1), &r);
    return SizeText(r.right - r.left, r.bottom - r.top);
  }
  static std::string BoxText(HWND dialog) {
    wchar_t text[16] = {};
    GetWindowTextW(FindControl(dialog, kEdit1), text, 16);
    return winetest::Utf8(text);
  }
};

TEST_F(Resize, TypedWidthOrHeightGivesThatSizeWithTheProportionsKept) {
  StartWith(1024, 768, L"Mode=0\r\nDot=640\r\n");
  RECT placed{};
  InDialog([&](HWND dialog) {
    GetWindowRect(dialog, &placed);
    PressSpecifiedResize(dialog);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(placed.left, 285);
  EXPECT_EQ(placed.top, 138);
  EXPECT_EQ(PictureSize().cx, 640);
  EXPECT_EQ(PictureSize().cy, 480);
  EXPECT_EQ(form->PictureState(), host::PictureState::Present);
  // Sampling is anchored at the bottom-left: that pixel of the result is the source's.
  EXPECT_EQ(winetest::PixelAt(form->Picture().Pixels(), 0, 479),
            winetest::PixelAt(winetest::PatternDib(1024, 768), 0, 767));

  // The height, typed into the number box, on a second picture.
  Close();
  StartWith(1024, 768, L"Mode=1\r\nDot=640\r\n");
  InDialog([&](HWND dialog) {
    SetWindowTextW(FindControl(dialog, kEdit1), L"100");
    PressSpecifiedResize(dialog);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(PictureSize().cx, 133);
  EXPECT_EQ(PictureSize().cy, 100);
  EXPECT_EQ(form->Settings().resizeDot, 100);
}

TEST_F(Resize, ANumberTypedOutsideOneTo2048IsHeldToTheRangeInTheBoxAndTheResult) {
  StartWith(1024, 768, L"Mode=0\r\nDot=640\r\n");
  std::string last;
  InDialog([&](HWND dialog) {
    const auto specify = [&](const wchar_t* typed) {
      SetWindowTextW(FindControl(dialog, kEdit1), typed);
      PressSpecifiedResize(dialog);
      return PreviewSize(dialog);
    };
    for (const auto& [typed, held] : {std::pair{L"0", L"1"}, std::pair{L"3000", L"2048"}}) {
      SCOPED_TRACE(winetest::Utf8(typed));
      const std::string wanted = specify(held);
      prompts.beeps.clear();
      EXPECT_EQ(specify(typed), wanted);
      EXPECT_EQ(BoxText(dialog), winetest::Utf8(held));
      EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION});
    }
    last = PreviewSize(dialog);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(form->Settings().resizeDot, 2048);
  EXPECT_EQ(PictureSizeText(), last);
}

// 419 pixels wide leaves the dialog at its narrowest, 420, whose preview area is narrower than
// that: the preview is refitted into the area, at every press alike.
TEST_F(Resize, PressingTheSpecifiedResizeButtonAgainChangesNothing) {
  StartWith(1024, 768, L"Mode=0\r\nDot=419\r\n");
  std::string once;
  InDialog([&](HWND dialog) {
    PressSpecifiedResize(dialog);
    once = PreviewSize(dialog);
    EXPECT_NE(once, "419x314") << "not refitted into its area";
    PressSpecifiedResize(dialog);
    EXPECT_EQ(PreviewSize(dialog), once);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(PictureSizeText(), once);
}

TEST_F(Resize, ResizingTheDialogSetsTheSizeAndAlwaysKeepsTheProportions) {
  StartWith(1024, 768);
  const RECT main = WindowRect();
  InDialog([](HWND dialog) {
    SetWindowPos(dialog, nullptr, 0, 0, 760, 420, SWP_NOMOVE | SWP_NOZORDER);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  const SIZE size = PictureSize();
  EXPECT_GT(size.cx, 400) << "the larger dialog gives a larger picture";
  EXPECT_NEAR(size.cx * 3, size.cy * 4, 4) << size.cx << " x " << size.cy;
  EXPECT_EQ(WindowRect().left, main.left) << "the main window stays where it is";
}

TEST_F(Resize, CancelKeepsThePictureButTheChangedSettingsStay) {
  StartWith(300, 200, L"Mode=0\r\nDot=640\r\n");
  InDialog([](HWND dialog) {
    SendMessageW(FindControl(dialog, kRadioButton2), BM_CLICK, 0, 0);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
  });
  EXPECT_EQ(PictureSize().cx, 300);
  EXPECT_EQ(form->Settings().resizeMode, 1);
}

TEST_F(Resize, ATargetOfNoHeightIsRefusedAndThePictureStays) {
  // 1 pixel wide leaves trunc(10 / 1024) = 0 rows.
  StartWith(1024, 10, L"Mode=0\r\nDot=1\r\n");
  InDialog([](HWND dialog) {
    PressSpecifiedResize(dialog);
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION});
  EXPECT_EQ(PictureSize().cx, 1024);
  EXPECT_TRUE(prompts.errors.empty());
}

}  // namespace
