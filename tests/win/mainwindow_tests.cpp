// The main window as the user meets it: where it opens and how big, what it writes to its
// settings file when it closes, the command-line picture, help, and the refusals of commands that
// need a picture.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

#include "ClipboardChildren.h"
#include "FormFixture.h"
#include "app/win/CommandIds.h"
#include "core/BmpCodec.h"
#include "core/JpegCodec.h"

namespace {

using winetest::FormFixture;
namespace ids = app::ids;

constexpr const wchar_t* kStartMessage = L"ﾒﾆｭｰ又はﾎﾞﾀﾝを操作してください。（未取込）";

std::string Describe(const RECT& r) {
  return "(" + std::to_string(r.left) + "," + std::to_string(r.top) + ") " +
         std::to_string(r.right - r.left) + " x " + std::to_string(r.bottom - r.top);
}

void ExpectWindow(const RECT& r, int left, int top, int width, int height) {
  EXPECT_EQ(Describe(r), Describe(RECT{left, top, left + width, top + height}));
}

using MainWindow = FormFixture;

TEST_F(MainWindow, WithoutSettingsFileOpensAtDefaultPlaceWithStartPicture) {
  Start();
  ExpectWindow(WindowRect(), 80, 80, 520, 399);
  EXPECT_EQ(winetest::Utf8(form->StatusText()), winetest::Utf8(kStartMessage));
  EXPECT_EQ(form->PictureState(), host::PictureState::Start);
  EXPECT_EQ(form->Picture().Width(), 420);
  EXPECT_EQ(form->Picture().Height(), 300);
  EXPECT_EQ(form->Picture().Pixels().BitCount(), 8);
  EXPECT_EQ(GetMenu(form->Handle()), form->Controls().MainMenu1);
  wchar_t caption[64] = {};
  GetWindowTextW(form->Handle(), caption, 64);
  EXPECT_STREQ(caption, L"Capslate!!");
  GetWindowTextW(form->ApplicationHandle(), caption, 64);
  EXPECT_STREQ(caption, L"Capslate");
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
}

TEST_F(MainWindow, HiddenMenuBarMakesTheWindowLowerAndIsWrittenBackUnchanged) {
  for (const wchar_t* mode : {L"1", L"2"}) {
    SCOPED_TRACE(winetest::Utf8(mode));
    WriteIni(std::wstring(L"[Mode]\r\nWindowMode=") + mode + L"\r\n");
    Start();
    ExpectWindow(WindowRect(), 80, 80, 520, 381);
    EXPECT_EQ(GetMenu(form->Handle()), nullptr);
    Close();
    EXPECT_NE(ReadIni().find(std::wstring(L"WindowMode=") + mode), std::wstring::npos);
  }
}

TEST_F(MainWindow, ClosingWritesEverySettingInLayoutOrder) {
  WriteIni(L"[Print]\r\nTop=0x10\r\nMulti=abc\r\n");
  Start();
  EXPECT_EQ(form->Settings().printTop, 16);
  EXPECT_EQ(form->Settings().printMulti, 100);
  Close();
  const std::wstring ini = ReadIni();
  // The sections in the order their first keys are written; the ones the file already had stay.
  const wchar_t* expectedOrder[] = {L"[Print]", L"Top=16",   L"Multi=100", L"[Pos]",
                                    L"Top=80",  L"Left=80",  L"[Mode]",    L"WindowMode=0",
                                    L"Comp=60", L"[Resize]", L"Mode=0",    L"Dot=640",
                                    L"[Susie]", L"Path=",    L"[Edit]",    L"EditPath=pbrush.exe",
                                    L"[ICON]",  L"File0=",   L"File7="};
  size_t at = 0;
  for (const wchar_t* piece : expectedOrder) {
    if (std::wstring(piece) == L"[Pos]") at = 0;  // new sections go to the end of the file
    const size_t found = ini.find(piece, at);
    ASSERT_NE(found, std::wstring::npos) << winetest::Utf8(piece) << " in\n" << winetest::Utf8(ini);
    at = found;
  }
  for (const wchar_t* key : {L"Num=0", L"Manual=0", L"Left=0"}) {
    EXPECT_NE(ini.find(key), std::wstring::npos) << winetest::Utf8(key);
  }
}

TEST_F(MainWindow, NewSettingsFileIsUnicodeAndSectionsFollowTheKeyOrder) {
  Start();
  form->Settings().susiePath = L"C:\\プラグイン\\";
  form->Settings().iconFiles[0] = L"C:\\アイコン\\犬.ico";
  Close();
  const std::vector<uint8_t> bytes = winetest::ReadFileBytes(IniPath());
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes[0], 0xFF);
  EXPECT_EQ(bytes[1], 0xFE);
  const std::wstring ini = ReadIni();
  size_t at = 0;
  for (const wchar_t* section :
       {L"[Pos]", L"[Mode]", L"[Resize]", L"[Susie]", L"[Edit]", L"[Print]", L"[ICON]"}) {
    const size_t found = ini.find(section, at);
    ASSERT_NE(found, std::wstring::npos) << winetest::Utf8(section);
    at = found;
  }
  EXPECT_NE(ini.find(L"Path=C:\\プラグイン\\"), std::wstring::npos);
  Start();
  EXPECT_EQ(form->Settings().iconFiles[0], L"C:\\アイコン\\犬.ico");
}

TEST_F(MainWindow, ExistingAnsiSettingsFileStaysAnsi) {
  winetest::WriteFileBytes(
      IniPath(), {'[', 'P', 'o', 's', ']', '\r', '\n', 'T', 'o', 'p', '=', '9', '0', '\r', '\n'});
  Start();
  ExpectWindow(WindowRect(), 80, 90, 520, 399);
  Close();
  const std::vector<uint8_t> bytes = winetest::ReadFileBytes(IniPath());
  ASSERT_FALSE(bytes.empty());
  EXPECT_EQ(bytes[0], '[');
}

TEST_F(MainWindow, RestoresThePositionOfTheLastRunButNotItsSize) {
  Start();
  SetWindowPos(form->Handle(), nullptr, 150, 120, 700, 600, SWP_NOZORDER);
  Close();
  Start();
  ExpectWindow(WindowRect(), 150, 120, 520, 399);
}

TEST_F(MainWindow, SmallPicturesGiveTheSameWindowAsTheMinimumArea) {
  for (const auto& [w, h] : {std::pair{400, 300}, std::pair{100, 100}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    winetest::WriteBmpFile(PathIn(L"small.bmp"), winetest::PatternDib(w, h));
    Start({PathIn(L"small.bmp")});
    ExpectWindow(WindowRect(), 80, 80, 500, 399);
    RECT image;
    GetWindowRect(form->Controls().Image1, &image);
    MapWindowPoints(nullptr, form->Controls().ScrollBox1, reinterpret_cast<POINT*>(&image), 2);
    EXPECT_EQ(Describe(image), Describe(RECT{0, 0, w, h}));
    Close();
  }
}

// What a timer saw of the picture while the scroll thumb was dragged; the scroll bar's own tracking
// loop dispatches the timer, which then ends the drag.
int topInMidDrag;
bool stillPressed;
HWND imageInDrag;

void CALLBACK LookInMidDrag(HWND, UINT, UINT_PTR id, DWORD) {
  KillTimer(nullptr, id);
  RECT r;
  GetWindowRect(imageInDrag, &r);
  MapWindowPoints(nullptr, GetParent(imageInDrag), reinterpret_cast<POINT*>(&r), 2);
  topInMidDrag = r.top;
  stillPressed = (GetAsyncKeyState(VK_LBUTTON) & 0x8000) != 0 || GetCapture() != nullptr;
  winetest::LeftButton(false);
}

TEST_F(MainWindow, PictureLargerThanTheScreenIsClippedAndScrolls) {
  winetest::WriteBmpFile(PathIn(L"big.bmp"), winetest::PatternDib(2000, 1500));
  Start({PathIn(L"big.bmp")});
  const int screenWidth = GetSystemMetrics(SM_CXSCREEN);
  const int screenHeight = GetSystemMetrics(SM_CYSCREEN);
  ExpectWindow(WindowRect(), 80, 80, screenWidth - 80, screenHeight - 80 - 24);
  SCROLLINFO info{sizeof info, SIF_ALL};
  ASSERT_TRUE(GetScrollInfo(form->Controls().ScrollBox1, SB_VERT, &info));
  EXPECT_EQ(info.nMax, 1499);
  EXPECT_LT(static_cast<int>(info.nPage), 1500);
  // Dragging the thumb with the mouse moves the picture while the button is still held: a timer,
  // which the scroll bar's own tracking loop dispatches, looks at the picture in mid-drag.
  SCROLLBARINFO bar{sizeof bar};
  ASSERT_TRUE(GetScrollBarInfo(form->Controls().ScrollBox1, OBJID_VSCROLL, &bar));
  const POINT thumb{(bar.rcScrollBar.left + bar.rcScrollBar.right) / 2,
                    bar.rcScrollBar.top + (bar.xyThumbTop + bar.xyThumbBottom) / 2};
  topInMidDrag = 1;
  stillPressed = false;
  imageInDrag = form->Controls().Image1;
  winetest::MoveMouseTo(thumb);
  winetest::PumpMessages(20);
  winetest::LeftButton(true);
  winetest::MoveMouseTo(POINT{thumb.x, thumb.y + 200});
  SetTimer(nullptr, 0, 300, LookInMidDrag);
  ASSERT_TRUE(winetest::WaitFor([&] { return topInMidDrag != 1; }, 3000));
  winetest::PumpMessages(50);
  EXPECT_TRUE(stillPressed) << "looked after the drag had ended";
  EXPECT_LT(topInMidDrag, -100) << "the picture did not follow the thumb";
}

// A click on the down arrow, then on the right arrow, each scrolls the picture one line.
TEST_F(MainWindow, AClickOnAScrollArrowMovesThePictureEightPixelsAndTheWheelThreeLines) {
  winetest::WriteBmpFile(PathIn(L"big.bmp"), winetest::PatternDib(2000, 1500));
  Start({PathIn(L"big.bmp")});
  const HWND area = form->Controls().ScrollBox1;
  for (const LONG bar : {OBJID_VSCROLL, OBJID_HSCROLL}) {
    SCROLLBARINFO info{sizeof info};
    ASSERT_TRUE(GetScrollBarInfo(area, bar, &info));
    const RECT& r = info.rcScrollBar;
    // The last arrow: at the bottom of the vertical bar, at the right end of the horizontal one.
    // (Wine reports the thumb's length as the arrow's, so the arrow's size is the system's.)
    const POINT arrow =
        bar == OBJID_VSCROLL
            ? POINT{(r.left + r.right) / 2, r.bottom - GetSystemMetrics(SM_CYVSCROLL) / 2}
            : POINT{r.right - GetSystemMetrics(SM_CXHSCROLL) / 2, (r.top + r.bottom) / 2};
    winetest::MoveMouseTo(arrow);
    winetest::PumpMessages(20);
    // Pressed and released before the bar looks: the bar steps once at the press and ends at the
    // release, before it would repeat.
    winetest::LeftButton(true);
    winetest::LeftButton(false);
    winetest::PumpMessages(50);
  }
  POINT image{0, 0};
  MapWindowPoints(form->Controls().Image1, area, &image, 1);
  EXPECT_EQ(image.x, -8);
  EXPECT_EQ(image.y, -8);
  EXPECT_EQ(form->ScrollOrigin().x, 8);
  EXPECT_EQ(form->ScrollOrigin().y, 8);
  // A notch of the wheel scrolls the system's three lines.
  SendMessageW(area, WM_MOUSEWHEEL, MAKEWPARAM(0, -WHEEL_DELTA), 0);
  EXPECT_EQ(form->ScrollOrigin().y, 8 + 3 * 8);
}

// The scroll bars come for a picture larger than the window and go for a smaller one. A picture
// as wide as the area the window fits it gets a vertical bar for its height, and then a
// horizontal one too, since the vertical bar takes room from its width.
TEST_F(MainWindow, ScrollBarsFollowEachNewPicture) {
  auto range = [&](int bar) {
    SCROLLINFO info{sizeof info, SIF_RANGE};
    GetScrollInfo(form->Controls().ScrollBox1, bar, &info);
    return info.nMax;
  };
  winetest::WriteBmpFile(PathIn(L"big.bmp"), winetest::PatternDib(2000, 1500));
  Start({PathIn(L"big.bmp")});
  EXPECT_EQ(range(SB_HORZ), 1999);
  EXPECT_EQ(range(SB_VERT), 1499);
  winetest::WriteBmpFile(PathIn(L"tmp$$$.bmp"), winetest::PatternDib(90, 30));
  Command(ids::mnuTmpRead);
  EXPECT_EQ(range(SB_HORZ), 0);
  EXPECT_EQ(range(SB_VERT), 0);
  winetest::WriteBmpFile(PathIn(L"tmp$$$.bmp"), winetest::PatternDib(600, 3000));
  Command(ids::mnuTmpRead);
  EXPECT_EQ(range(SB_VERT), 2999);
  EXPECT_EQ(range(SB_HORZ), 599);
}

TEST_F(MainWindow, CommandLineBmpIsLoadedAndLeftOnTheClipboard) {
  const core::Dib source = winetest::PatternDib(123, 45);
  winetest::WriteBmpFile(PathIn(L"写真.bmp"), source);
  Start({PathIn(L"写真.bmp")});
  EXPECT_EQ(form->PictureState(), host::PictureState::Present);
  EXPECT_EQ(form->State().CurrentFileName, PathIn(L"写真.bmp"));
  EXPECT_EQ(winetest::Utf8(form->StatusText()), winetest::Utf8(L"ファイル読込が完了しました。"));
  EXPECT_EQ(form->Picture().Pixels().BitCount(), 24);
  EXPECT_EQ(winetest::PixelAt(form->Picture().Pixels(), 17, 9), winetest::PixelAt(source, 17, 9));
  EXPECT_TRUE(prompts.errors.empty());
  EXPECT_TRUE(prompts.beeps.empty()) << "the program's own clipboard copy was taken as a capture";

  // Another process finds the same picture on the clipboard.
  const std::wstring dumped = PathIn(L"clip.dib");
  ASSERT_EQ(winetest::RunChild(L"dump-clipboard-dib", {dumped}), 0);
  const std::vector<uint8_t> packed = winetest::ReadFileBytes(dumped);
  const core::Dib fromClipboard = core::ReadPackedDib(packed);
  ASSERT_EQ(fromClipboard.Width(), 123);
  ASSERT_EQ(fromClipboard.Height(), 45);
  for (int y : {0, 22, 44}) {
    for (int x : {0, 61, 122}) {
      EXPECT_EQ(winetest::PixelAt(fromClipboard, x, y), winetest::PixelAt(source, x, y))
          << x << "," << y;
    }
  }
}

TEST_F(MainWindow, CommandLineJpegIsDecodedAtFullSize) {
  winetest::WriteFileBytes(PathIn(L"PHOTO.JPG"),
                           core::EncodeJpeg(winetest::PatternDib(200, 100), 95));
  Start({PathIn(L"PHOTO.JPG")});
  EXPECT_EQ(form->PictureState(), host::PictureState::Present);
  EXPECT_EQ(form->Picture().Width(), 200);
  EXPECT_EQ(form->Picture().Height(), 100);
  EXPECT_TRUE(prompts.errors.empty());
}

TEST_F(MainWindow, CommandLineFileWithAnotherExtensionIsIgnoredSilently) {
  winetest::WriteBmpFile(PathIn(L"shot.png"), winetest::PatternDib(10, 10));
  Start({PathIn(L"shot.png")});
  EXPECT_EQ(form->PictureState(), host::PictureState::Start);
  EXPECT_EQ(winetest::Utf8(form->StatusText()), winetest::Utf8(kStartMessage));
  EXPECT_TRUE(prompts.errors.empty());
  ExpectWindow(WindowRect(), 80, 80, 520, 399);
}

TEST_F(MainWindow, DamagedCommandLineBmpShowsTheErrorAndStartsAsUsual) {
  winetest::WriteFileBytes(PathIn(L"bad.bmp"), {'B', 'M', 1, 2, 3});
  Start({PathIn(L"bad.bmp")});
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(prompts.errorOwners[0], form->Handle());
  EXPECT_TRUE(prompts.errorOwnerVisible[0]) << "shown before the window was up";
  EXPECT_EQ(form->PictureState(), host::PictureState::Start);
  EXPECT_EQ(form->Picture().Width(), 420);
  EXPECT_EQ(winetest::Utf8(form->StatusText()), winetest::Utf8(kStartMessage));
  // The steps after the failed load still run: the window is fitted to the start picture.
  ExpectWindow(WindowRect(), 80, 80, 520, 399);
}

TEST_F(MainWindow, ClosingDeletesTheWorkFile) {
  winetest::WriteBmpFile(PathIn(L"tmp$$$.bmp"), winetest::PatternDib(8, 8));
  Start();
  Close();
  EXPECT_EQ(GetFileAttributesW(PathIn(L"tmp$$$.bmp").c_str()), INVALID_FILE_ATTRIBUTES);
  Start();
  Command(ids::mnuTmpRead);  // the next start finds no work file
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION});
}

TEST_F(MainWindow, HelpOpensTheContentsAndIsClosedWithTheWindow) {
  Start();
  Close();
  EXPECT_TRUE(prompts.helpCalls.empty()) << "help was never opened, so nothing is closed";
  Start();
  Command(ids::Help1);
  Command(ids::SpeedButton11);
  Close();
  ASSERT_EQ(prompts.helpCalls.size(), 3u);
  EXPECT_EQ(prompts.helpCalls[0].file, PathIn(L"Capslate.HLP"));
  EXPECT_EQ(prompts.helpCalls[0].command, static_cast<UINT>(HELP_CONTENTS));
  EXPECT_EQ(prompts.helpCalls[2].command, static_cast<UINT>(HELP_QUIT));
}

TEST_F(MainWindow, ExitClosesTheWindowAndSavesTheSettings) {
  Start();
  Command(ids::mnuExit);
  winetest::PumpMessages(20);
  EXPECT_EQ(form->Handle(), nullptr);
  EXPECT_NE(ReadIni().find(L"[Pos]"), std::wstring::npos);
}

TEST_F(MainWindow, CommandsThatNeedAPictureBeepOnTheStartPicture) {
  Start();
  for (int id : {ids::mnuWrite, ids::SpeedButton5, ids::mnuPrint, ids::mnuCut, ids::mnuExtEdit,
                 ids::mnuResize, ids::SpeedButton12}) {
    prompts.beeps.clear();
    Command(id);
    EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION}) << "command " << id;
  }
  EXPECT_TRUE(prompts.saveDialogs.empty());
  // The "表示" button of each tag page, pressed as the user does.
  const std::pair<HWND, int> showButtons[] = {{form->Controls().TabSheet1, ids::Button13},
                                              {form->Controls().TabSheet2, ids::Button9},
                                              {form->Controls().TabSheet3, ids::Button17},
                                              {form->Controls().TabSheet4, ids::Button6},
                                              {form->Controls().TabSheet5, ids::Button22}};
  for (const auto& [page, id] : showButtons) {
    prompts.beeps.clear();
    SendMessageW(GetDlgItem(page, id), BM_CLICK, 0, 0);
    EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION}) << "button " << id;
  }
}

TEST_F(MainWindow, SizeFitReturnsTheWindowToThePicture) {
  Start();
  SetWindowPos(form->Handle(), nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
  Command(ids::SpeedButton6);
  ExpectWindow(WindowRect(), 80, 80, 520, 399);
}

// What the main window went through, recorded by a hook on this thread's window procedures.
std::vector<std::string> mainWindowEvents;

LRESULT CALLBACK RecordMainWindowEvents(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPRETSTRUCT*>(lParam);
  wchar_t name[16] = {};
  GetClassNameW(call->hwnd, name, 16);
  if (code == HC_ACTION && std::wstring(name) == L"TForm1") {
    if (call->message == WM_ACTIVATE && LOWORD(call->wParam) != WA_INACTIVE) {
      mainWindowEvents.push_back("activated");
    }
    if (call->message == WM_WINDOWPOSCHANGED && IsWindowVisible(call->hwnd) &&
        !IsIconic(call->hwnd)) {
      mainWindowEvents.push_back("shown normal");
    }
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

TEST_F(MainWindow, ShowCommandDecidesTheWindowState) {
  Start({}, SW_SHOWMAXIMIZED);
  EXPECT_TRUE(IsZoomed(form->Handle()));
  Close();
  // The position written at close is the window's normal place, not the maximized one.
  EXPECT_NE(ReadIni().find(L"Top=80"), std::wstring::npos);
}

TEST_F(MainWindow, MinimizedStartShowsOnlyTheTaskbarButtonUntilItIsRestored) {
  for (int command : {SW_SHOWMINNOACTIVE, SW_SHOWMINIMIZED, SW_MINIMIZE}) {
    SCOPED_TRACE("show command " + std::to_string(command));
    mainWindowEvents.clear();
    HHOOK hook =
        SetWindowsHookExW(WH_CALLWNDPROCRET, RecordMainWindowEvents, nullptr, GetCurrentThreadId());
    Start({}, command);
    UnhookWindowsHookEx(hook);
    EXPECT_TRUE(mainWindowEvents.empty()) << "first event: " << mainWindowEvents.front();
    EXPECT_TRUE(IsIconic(form->Handle()));
    EXPECT_FALSE(IsWindowVisible(form->Handle()));
    EXPECT_TRUE(IsIconic(form->ApplicationHandle()));
    EXPECT_TRUE(IsWindowVisible(form->ApplicationHandle())) << "the taskbar button";

    // The taskbar button restores the window at its place, fitted to the picture.
    SendMessageW(form->ApplicationHandle(), WM_SYSCOMMAND, SC_RESTORE, 0);
    winetest::PumpMessages(20);
    EXPECT_TRUE(IsWindowVisible(form->Handle()));
    EXPECT_FALSE(IsIconic(form->Handle()));
    ExpectWindow(WindowRect(), 80, 80, 520, 399);
    Close();
  }
}

TEST_F(MainWindow, MinimizeBoxHidesTheWindowBehindItsTaskbarButton) {
  WriteIni(L"[Pos]\r\nTop=120\r\nLeft=150\r\n");
  Start();
  SendMessageW(form->Handle(), WM_SYSCOMMAND, SC_MINIMIZE, 0);
  winetest::PumpMessages(20);
  EXPECT_TRUE(IsIconic(form->Handle()));
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(IsIconic(form->ApplicationHandle()));
  Close();
  const std::wstring ini = ReadIni();
  EXPECT_NE(ini.find(L"Top=120"), std::wstring::npos) << winetest::Utf8(ini);
  EXPECT_NE(ini.find(L"Left=150"), std::wstring::npos) << winetest::Utf8(ini);
}

TEST_F(MainWindow, SavedPositionOnNoMonitorOpensAtTheDefaultPlace) {
  struct Case {
    const wchar_t* saved;
    int left;
    int top;
  };
  const Case cases[] = {
      {L"Left=-5000\r\nTop=-3000", 80, 80},  // a left monitor that is gone
      {L"Left=3000\r\nTop=2000", 80, 80},    // a monitor unplugged since
      {L"Left=1279\r\nTop=80", 80, 80},      // one column of the window on the screen
      {L"Left=1100\r\nTop=300", 1100, 300},  // the caption still within reach: kept
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(winetest::Utf8(c.saved));
    WriteIni(std::wstring(L"[Pos]\r\n") + c.saved + L"\r\n");
    Start();
    const RECT r = WindowRect();
    EXPECT_EQ(r.left, c.left);
    EXPECT_EQ(r.top, c.top);
    Close();
  }
}

// A child window that asks the main window for its caption while it is destroyed with it, as a
// control may do from its own WM_DESTROY.
int captionLengthSeenAtDestruction = -1;

LRESULT CALLBACK DestructionProbe(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_DESTROY) {
    captionLengthSeenAtDestruction =
        static_cast<int>(SendMessageW(GetParent(window), WM_GETTEXTLENGTH, 0, 0));
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

TEST_F(MainWindow, MessagesDuringItsDestructionReachTheWindowItself) {
  Start();
  WNDCLASSW probeClass{};
  probeClass.lpfnWndProc = DestructionProbe;
  probeClass.hInstance = GetModuleHandleW(nullptr);
  probeClass.lpszClassName = L"DestructionProbe";
  RegisterClassW(&probeClass);
  ASSERT_NE(CreateWindowExW(0, L"DestructionProbe", L"", WS_CHILD, 0, 0, 1, 1, form->Handle(),
                            nullptr, GetModuleHandleW(nullptr), nullptr),
            nullptr);
  form.reset();  // destroyed by its owner, not through the close box
  EXPECT_EQ(captionLengthSeenAtDestruction, 10) << "the length of \"Capslate!!\"";
}

}  // namespace
