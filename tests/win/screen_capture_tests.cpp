// Capturing the screen without PrintScreen, as the user does it: the whole screen, a window and a
// dragged region, each read back pixel for pixel from windows of a known pattern at known places;
// the delay, the settings page and the region capture's hotkey.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "ClipboardChildren.h"
#include "FormFixture.h"
#include "MouseInput.h"
#include "app/win/CommandIds.h"

namespace {

using winetest::FormFixture;
using winetest::Utf8;
using winetest::WaitFor;
namespace ids = app::ids;

constexpr const wchar_t* kCancelled = L"取込を取り消しました。";
constexpr WORD kCtrlAlt = (HOTKEYF_CONTROL | HOTKEYF_ALT) << 8;

// A borderless window showing a picture at a place of the screen, painted by this thread.
class PictureWindow {
 public:
  PictureWindow(const core::Dib& picture, POINT at) : picture_(picture.Clone()) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = Proc;
    wc.hInstance = GetModuleHandleW(nullptr);
    wc.lpszClassName = L"CaptureTestPicture";
    RegisterClassExW(&wc);
    window_ =
        CreateWindowExW(0, wc.lpszClassName, L"", WS_POPUP | WS_VISIBLE, at.x, at.y,
                        picture.Width(), picture.Height(), nullptr, nullptr, wc.hInstance, this);
    SetForegroundWindow(window_);
    winetest::PumpMessages(50);
  }
  ~PictureWindow() { DestroyWindow(window_); }
  PictureWindow(const PictureWindow&) = delete;
  PictureWindow& operator=(const PictureWindow&) = delete;
  HWND Handle() const { return window_; }
  // Shows another picture of the same size.
  void Show(core::Dib picture) {
    picture_ = std::move(picture);
    InvalidateRect(window_, nullptr, FALSE);
  }

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
      SetWindowLongPtrW(
          window, GWLP_USERDATA,
          reinterpret_cast<LONG_PTR>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams));
    }
    auto* self = reinterpret_cast<PictureWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
    if (message == WM_PAINT && self) {
      PAINTSTRUCT paint;
      HDC dc = BeginPaint(window, &paint);
      const core::Dib& p = self->picture_;
      BITMAPINFOHEADER header{
          sizeof header, p.Width(), p.Height(), 1, static_cast<WORD>(p.BitCount()), BI_RGB};
      SetDIBitsToDevice(dc, 0, 0, static_cast<DWORD>(p.Width()), static_cast<DWORD>(p.Height()), 0,
                        0, 0, static_cast<UINT>(p.Height()), p.Bits(),
                        reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS);
      EndPaint(window, &paint);
      return 0;
    }
    return DefWindowProcW(window, message, wParam, lParam);
  }

  core::Dib picture_;
  HWND window_ = nullptr;
};

core::Dib Solid(int width, int height, uint32_t rgb) {
  core::Dib dib(width, height, 24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = dib.Row(y) + x * 3;
      p[0] = static_cast<uint8_t>(rgb);
      p[1] = static_cast<uint8_t>(rgb >> 8);
      p[2] = static_cast<uint8_t>(rgb >> 16);
    }
  }
  return dib;
}

// The pixels of `picture` in the rectangle at (left, top) that differ from `expected`.
int Mismatches(const core::Dib& picture, int left, int top, const core::Dib& expected) {
  int wrong = 0;
  for (int y = 0; y < expected.Height(); ++y) {
    for (int x = 0; x < expected.Width(); ++x) {
      wrong += winetest::PixelAt(picture, left + x, top + y) != winetest::PixelAt(expected, x, y);
    }
  }
  return wrong;
}

// Whether every pixel of `area` has one colour: the bare desktop, where a window would show text.
bool OneColour(const core::Dib& picture, const RECT& area) {
  const uint32_t first = winetest::PixelAt(picture, area.left, area.top);
  for (int y = area.top; y < area.bottom; ++y) {
    for (int x = area.left; x < area.right; ++x) {
      if (winetest::PixelAt(picture, x, y) != first) return false;
    }
  }
  return true;
}

void SendKey(WORD key, bool down) {
  INPUT input{};
  input.type = INPUT_KEYBOARD;
  input.ki.wVk = key;
  input.ki.dwFlags = down ? 0 : KEYEVENTF_KEYUP;
  SendInput(1, &input, sizeof input);
}

class ScreenCapture : public FormFixture {
 protected:
  // Runs a capture command and waits until the window is back.
  void CaptureWith(int command, int timeoutMs = 5000) {
    Command(command);
    EXPECT_FALSE(IsWindowVisible(form->Handle())) << "the window hides at once";
    ASSERT_TRUE(WaitFor([&] { return !form->ScreenCapture().Busy(); }, timeoutMs));
    winetest::PumpMessages(30);
    ASSERT_TRUE(IsWindowVisible(form->Handle()));
  }
  // Runs the region capture and waits for its frozen screen.
  HWND OpenOverlay(int command = ids::mnuCaptureRegion) {
    if (command) Command(command);
    if (!WaitFor([&] { return form->ScreenCapture().OverlayWindow() != nullptr; })) return nullptr;
    winetest::PumpMessages(50);
    return form->ScreenCapture().OverlayWindow();
  }
  const core::Dib& Shot() const { return form->Picture().Pixels(); }
  std::string Status() const { return Utf8(form->StatusText()); }
};

TEST_F(ScreenCapture, WholeScreenHoldsThePatternWhereItStandsAndNotCapslate) {
  Start();
  const RECT capslate = WindowRect();
  const core::Dib pattern = winetest::PatternDib(300, 200);
  PictureWindow shown(pattern, POINT{900, 600});
  CaptureWith(ids::mnuCaptureScreen);
  ASSERT_EQ(form->Picture().Width(), 1280);
  ASSERT_EQ(form->Picture().Height(), 1024);
  EXPECT_EQ(Mismatches(Shot(), 900, 600, pattern), 0);
  EXPECT_TRUE(OneColour(Shot(), capslate)) << "Capslate's window is in the shot";
  EXPECT_EQ(Status(), Utf8(L"ｷｬﾌﾟﾁｬｰしました。ｻｲｽﾞ X=1280 Y=1024"));
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONASTERISK});
  EXPECT_EQ(form->PictureState(), host::PictureState::Present);
  EXPECT_EQ(form->History().UndoSteps(), 1u) << "a new picture is one undo step";
}

TEST_F(ScreenCapture, WindowCaptureTakesTheWindowInFrontOrWithCtrlTheOneUnderThePointer) {
  Start();
  const core::Dib front = winetest::PatternDib(300, 200);
  const core::Dib other = Solid(200, 150, 0x3366CC);
  PictureWindow behind(other, POINT{700, 500});
  PictureWindow inFront(front, POINT{700, 100});
  CaptureWith(ids::mnuCaptureWindow);
  ASSERT_EQ(form->Picture().Width(), 300);
  ASSERT_EQ(form->Picture().Height(), 200);
  EXPECT_EQ(Mismatches(Shot(), 0, 0, front), 0);
  EXPECT_EQ(Status(), Utf8(L"ｷｬﾌﾟﾁｬｰしました。ｻｲｽﾞ X=300 Y=200"));

  SetForegroundWindow(inFront.Handle());
  winetest::MoveMouseTo(POINT{800, 570});
  // Wine takes the keys' state from X when the focus moves: the focus settles before Ctrl goes
  // down.
  winetest::PumpMessages(200);
  SendKey(VK_CONTROL, true);
  winetest::PumpMessages(50);
  CaptureWith(ids::smnuCaptureWindow);
  SendKey(VK_CONTROL, false);
  ASSERT_EQ(form->Picture().Width(), 200);
  ASSERT_EQ(form->Picture().Height(), 150);
  EXPECT_EQ(Mismatches(Shot(), 0, 0, other), 0);
}

TEST_F(ScreenCapture, ARegionDraggedWithTheMouseGivesItsPixelsAndEscOrRightClickCancels) {
  Start();
  const core::Dib pattern = winetest::PatternDib(400, 300);
  PictureWindow shown(pattern, POINT{700, 300});
  ASSERT_NE(OpenOverlay(), nullptr);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  for (POINT at : {POINT{750, 350}, POINT{900, 450}, POINT{1050, 550}}) {
    winetest::MoveMouseTo(at);
    winetest::PumpMessages(20);
    if (at.x == 750) winetest::LeftButton(true);
    winetest::PumpMessages(20);
  }
  winetest::LeftButton(false);
  ASSERT_TRUE(WaitFor([&] { return !form->ScreenCapture().Busy(); }));
  ASSERT_EQ(form->Picture().Width(), 300);
  ASSERT_EQ(form->Picture().Height(), 200);
  int wrong = 0;
  for (int y = 0; y < 200; ++y) {
    for (int x = 0; x < 300; ++x) {
      wrong += winetest::PixelAt(Shot(), x, y) != winetest::PixelAt(pattern, x + 50, y + 50);
    }
  }
  EXPECT_EQ(wrong, 0);
  EXPECT_EQ(Status(), Utf8(L"ｷｬﾌﾟﾁｬｰしました。ｻｲｽﾞ X=300 Y=200"));

  for (const bool escape : {true, false}) {
    SCOPED_TRACE(escape ? "Esc" : "right click");
    HWND overlay = OpenOverlay(ids::smnuCaptureRegion);
    ASSERT_NE(overlay, nullptr);
    if (escape) {
      SendKey(VK_ESCAPE, true);
      SendKey(VK_ESCAPE, false);
    } else {
      winetest::RightDown();
      winetest::RightUp();
    }
    ASSERT_TRUE(WaitFor([&] { return !form->ScreenCapture().Busy(); }));
    winetest::PumpMessages(30);
    EXPECT_FALSE(IsWindow(overlay));
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_EQ(Status(), Utf8(kCancelled));
    EXPECT_EQ(form->Picture().Width(), 300) << "the picture stays";
    EXPECT_EQ(form->History().UndoSteps(), 1u);
  }
}

// The countdown stands on the screen while the delay runs, and the grab comes no sooner than the
// delay: a window that turns green only shortly before it shows green in the shot.
TEST_F(ScreenCapture, ADelayOfThreeSecondsGrabsNoSoonerWithTheCountdownOutOfTheShot) {
  WriteIni(L"[Capture]\r\nDelay=3\r\n");
  Start();
  PictureWindow signal(Solid(100, 100, 0xFF0000), POINT{900, 100});
  const ULONGLONG commanded = GetTickCount64();
  Command(ids::mnuCaptureScreen);
  bool green = false;
  RECT countdown{};
  ASSERT_TRUE(WaitFor(
      [&] {
        if (!green && GetTickCount64() - commanded >= 2700) {
          signal.Show(Solid(100, 100, 0x00FF00));
          green = true;
        }
        HWND shown = FindWindowW(L"CapslateCaptureCountdown", nullptr);
        if (shown && IsWindowVisible(shown) && countdown.right == 0) {
          GetWindowRect(shown, &countdown);
        }
        return !form->ScreenCapture().Busy();
      },
      8000));
  const ULONGLONG elapsed = GetTickCount64() - commanded;
  EXPECT_GE(elapsed, 3000u);
  EXPECT_LT(elapsed, 4500u);
  EXPECT_EQ(winetest::PixelAt(Shot(), 950, 150), 0x00FF00u) << "grabbed before the delay ended";
  ASSERT_GT(countdown.right, countdown.left) << "no countdown was shown";
  EXPECT_TRUE(OneColour(Shot(), countdown)) << "the countdown is in the shot";
}

// What another process holds as a system-wide hotkey while it lives.
class HotkeyHolder {
 public:
  explicit HotkeyHolder(WORD hotkey) {
    const std::wstring tag = std::to_wstring(GetCurrentProcessId());
    ready_ = winetest::UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, (L"ready" + tag).c_str()));
    release_ =
        winetest::UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, (L"release" + tag).c_str()));
    wchar_t exe[MAX_PATH];
    GetModuleFileNameW(nullptr, exe, MAX_PATH);
    std::wstring command = winetest::QuoteArgument(exe) + L" --child hold-hotkey " +
                           std::to_wstring(hotkey) + L" ready" + tag + L" release" + tag;
    STARTUPINFOW startup{sizeof startup};
    PROCESS_INFORMATION info{};
    if (CreateProcessW(exe, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr, &startup,
                       &info)) {
      process_ = winetest::UniqueHandle(info.hProcess);
      CloseHandle(info.hThread);
    }
  }
  ~HotkeyHolder() {
    SetEvent(release_.Get());
    if (process_) WaitForSingleObject(process_.Get(), 10000);
  }
  bool Holding() const { return process_ && WaitForSingleObject(ready_.Get(), 10000) == 0; }

 private:
  winetest::UniqueHandle ready_, release_, process_;
};

static winetest::ChildModeRegistrar holdHotkey(L"hold-hotkey", [](int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  const WORD hotkey = static_cast<WORD>(_wtoi(argv[1]));
  if (!RegisterHotKey(nullptr, 7, MOD_CONTROL | MOD_ALT, LOBYTE(hotkey))) return 3;
  SetEvent(winetest::UniqueHandle(OpenEventW(EVENT_MODIFY_STATE, FALSE, argv[2])).Get());
  WaitForSingleObject(winetest::UniqueHandle(OpenEventW(SYNCHRONIZE, FALSE, argv[3])).Get(), 30000);
  return 0;
});

// The settings dialog's page "取込": its controls.
constexpr int kComboBoxDelay = 130;
constexpr int kHotKeyCapture = 132;

TEST_F(ScreenCapture, SettingsPageKeepsTheDelayAndRefusesAHotkeyAnotherProgramHolds) {
  const WORD taken = kCtrlAlt | VK_F9, free = kCtrlAlt | VK_F10;
  HotkeyHolder other(taken);
  ASSERT_TRUE(other.Holding());
  Start();
  winetest::WhenDialogAppears([&](HWND dialog) {
    SendDlgItemMessageW(dialog, kComboBoxDelay, CB_SETCURSEL, 2, 0);  // 5 seconds
    SendDlgItemMessageW(dialog, kHotKeyCapture, HKM_SETHOTKEY, taken, 0);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
    EXPECT_TRUE(IsWindowVisible(dialog)) << "the dialog closed with a refused hotkey";
    EXPECT_EQ(form->Settings().captureDelay, 0) << "a setting changed with a refused hotkey";
    SendDlgItemMessageW(dialog, kHotKeyCapture, HKM_SETHOTKEY, free, 0);
    SendMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  Command(ids::mnuSetting);
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_NE(prompts.errors[0].find(L"F9 は他のプログラムが使っています。"), std::wstring::npos)
      << Utf8(prompts.errors[0]);
  EXPECT_EQ(form->Settings().captureDelay, 5);
  EXPECT_EQ(form->Settings().captureHotkey, free);
  Close();
  const std::wstring ini = ReadIni();
  EXPECT_NE(ini.find(L"[Capture]\r\nDelay=5\r\nHotkey=" + std::to_wstring(free)),
            std::wstring::npos)
      << Utf8(ini);
}

TEST_F(ScreenCapture, TheStoredHotkeyStartsTheRegionCaptureFromAnywhere) {
  const WORD hotkey = kCtrlAlt | 'K';
  WriteIni(L"[Capture]\r\nHotkey=" + std::to_wstring(hotkey) + L"\r\n");
  Start();
  PictureWindow elsewhere(Solid(50, 50, 0x808080), POINT{1000, 800});
  PressKeys({VK_CONTROL, VK_MENU, 'K'});
  HWND overlay = OpenOverlay(0);
  ASSERT_NE(overlay, nullptr) << "the hotkey did not start the region capture";
  SendKey(VK_ESCAPE, true);
  SendKey(VK_ESCAPE, false);
  ASSERT_TRUE(WaitFor([&] { return !form->ScreenCapture().Busy(); }));
  EXPECT_EQ(Status(), Utf8(kCancelled));
  EXPECT_TRUE(prompts.errors.empty());
}

}  // namespace
