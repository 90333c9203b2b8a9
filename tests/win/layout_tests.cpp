// Every visible part of the main window where the user expects it: menus with their captions and
// marked letters, the popup menus, the tool-bar buttons at their places with their hints, the
// pages of the left panel and the bare tool bar's own command; and the hints of the window and its
// dialogs shown as written.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <iterator>
#include <string>
#include <vector>

#include "ClipboardChildren.h"
#include "FormFixture.h"
#include "app/win/CommandIds.h"

namespace {

using winetest::FormFixture;
using winetest::Utf8;
namespace ids = app::ids;

// The captions of a menu, "-" for separators, submenus as "caption>".
std::vector<std::wstring> Captions(HMENU menu) {
  std::vector<std::wstring> out;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t text[128] = {};
    MENUITEMINFOW info{sizeof info};
    info.fMask = MIIM_FTYPE | MIIM_STRING | MIIM_SUBMENU;
    info.dwTypeData = text;
    info.cch = 128;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    if (info.fType & MFT_SEPARATOR) {
      out.push_back(L"-");
    } else {
      out.push_back(std::wstring(text) + (info.hSubMenu ? L">" : L""));
    }
  }
  return out;
}

std::string Join(const std::vector<std::wstring>& items) {
  std::wstring joined;
  for (const auto& item : items) joined += (joined.empty() ? L"" : L" | ") + item;
  return Utf8(joined);
}

RECT RectIn(HWND control, HWND parent) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, parent, reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::string Place(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

std::wstring ToolTipText(HWND tips, HWND owner, HWND control) {
  wchar_t text[256] = {};
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = owner;
  tool.uId = reinterpret_cast<UINT_PTR>(control);
  tool.lpszText = text;
  SendMessageW(tips, TTM_GETTEXTW, 256, reinterpret_cast<LPARAM>(&tool));
  return text;
}

// The tooltip window that shows the hints of an owner's controls, found by EnumThreadWindows.
struct ToolTipsSearch {
  HWND owner;
  HWND found = nullptr;
};

BOOL CALLBACK FindToolTips(HWND window, LPARAM data) {
  auto& search = *reinterpret_cast<ToolTipsSearch*>(data);
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  if (_wcsicmp(name, TOOLTIPS_CLASSW) != 0 || GetWindow(window, GW_OWNER) != search.owner) {
    return TRUE;
  }
  search.found = window;
  return FALSE;
}

HWND ToolTipsOf(HWND owner) {
  ToolTipsSearch search{owner};
  EnumThreadWindows(GetCurrentThreadId(), FindToolTips, reinterpret_cast<LPARAM>(&search));
  return search.found;
}

using Layout = FormFixture;

TEST_F(Layout, MainMenuHoldsEveryItemWithItsMarkedLetter) {
  Start();
  HMENU bar = form->Controls().MainMenu1;
  EXPECT_EQ(Join(Captions(bar)), Join({L"ﾌｧｲﾙ(&F)>", L"編集(&E)>", L"その他(&O)>"}));
  EXPECT_EQ(Join(Captions(GetSubMenu(bar, 0))),
            Join({L"ｷｬﾌﾟﾁｬｰ(&C)", L"画面全体を取込(&A)", L"ウィンドウを取込(&W)",
                  L"範囲を指定して取込(&R)", L"-", L"新規ﾌｧｲﾙ読込(&O)", L"作業ﾌｧｲﾙ読込(&T)",
                  L"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ読込(&C)", L"-", L"保存(&S)", L"印刷(&P)", L"-", L"終了(&X)"}));
  EXPECT_EQ(Join(Captions(GetSubMenu(bar, 1))),
            Join({L"元に戻す(&U)\tCtrl+Z", L"やり直し(&Y)\tCtrl+Y", L"-", L"指定切取(&C)",
                  L"リサイズ(&R)", L"-", L"外部ｴﾃﾞｨﾀ(&E)"}));
  EXPECT_EQ(Join(Captions(GetSubMenu(bar, 2))),
            Join({L"ｻｲｽﾞ調整(&F)", L"-", L"設定他(&S)", L"Help(&H)"}));
  // Each item carries the command of its handler.
  EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 0), 0), static_cast<UINT>(ids::mnuCaputure));
  EXPECT_EQ(GetMenuItemID(GetSubMenu(bar, 2), 3), static_cast<UINT>(ids::Help1));
}

TEST_F(Layout, PopupMenusRepeatTheCommandsWithoutResizeAndHelp) {
  Start();
  EXPECT_EQ(Join(Captions(form->Controls().PopupMenu1)),
            Join({L"元に戻す", L"やり直し", L"-", L"ﾌｧｲﾙ>", L"編集>", L"その他>"}));
  EXPECT_EQ(Join(Captions(GetSubMenu(form->Controls().PopupMenu1, 3))),
            Join({L"ｷｬﾌﾟﾁｬｰ", L"画面全体を取込", L"ウィンドウを取込", L"範囲を指定して取込", L"-",
                  L"新規ﾌｧｲﾙ読込", L"作業ﾌｧｲﾙ読込", L"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ読込", L"-", L"保存", L"印刷", L"-",
                  L"終了"}));
  EXPECT_EQ(Join(Captions(GetSubMenu(form->Controls().PopupMenu1, 4))),
            Join({L"指定切取", L"-", L"外部ｴﾃﾞｨﾀ"}));
  EXPECT_EQ(Join(Captions(GetSubMenu(form->Controls().PopupMenu1, 5))),
            Join({L"ｻｲｽﾞ調整", L"-", L"設定他"}));
  EXPECT_EQ(Join(Captions(form->Controls().PopupMenu2)), Join({L"隠す", L"埋込", L"原点移動"}));
}

// What the user can see of the commands a tool-bar click may run.
struct Seen {
  size_t openDialogs, saveDialogs, helpCalls, startedPrograms;
  int printDialogs;
  std::vector<std::wstring> dialogs;  // captions of the modal dialogs that opened
  host::PictureState picture;
  host::CropState crop;
  std::wstring status;
  int windowWidth;
};

// The tool-bar buttons, found by their hints, stand at their places in one row and each runs the
// command its hint names when clicked: each is clicked in a window of its own, since some leave it
// in a state (a capture pending, a crop armed) the others would refuse.
TEST_F(Layout, EachToolBarButtonStandsAtItsPlaceAndRunsTheCommandItsHintNames) {
  winetest::WriteBmpFile(PathIn(L"shot.bmp"), winetest::PatternDib(40, 30));
  WriteIni(L"[Edit]\r\nEditPath=" + PathIn(L"paint.exe") + L"\r\n");
  prompts.startProgramsForReal = false;
  std::vector<std::wstring> dialogs;
  auto seen = [&] {
    const RECT window = WindowRect();
    return Seen{prompts.openDialogs.size(), prompts.saveDialogs.size(),
                prompts.helpCalls.size(),   prompts.startedPrograms.size(),
                prompts.printDialogs,       dialogs,
                form->PictureState(),       form->CropState(),
                form->StatusText(),         window.right - window.left};
  };
  using Ran = bool (*)(const Seen& before, const Seen& after);
  struct Button {
    const wchar_t* hint;
    int left;
    int size;
    Ran ran;
    bool opensDialog = false;
  };
  const Button buttons[] = {
      {L"ｷｬﾌﾟﾁｬｰ(PS,Alt+PS)", 0, 24,
       [](const Seen&, const Seen& a) { return a.picture == host::PictureState::CapturePending; }},
      {L"新規ﾌｧｲﾙ読込", 32, 24,
       [](const Seen& b, const Seen& a) { return a.openDialogs == b.openDialogs + 1; }},
      {L"作業ﾌｧｲﾙ読込", 56, 24,
       [](const Seen&, const Seen& a) { return a.status == L"作業ファイル読込が完了しました。"; }},
      {L"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ読込", 80, 24,
       [](const Seen&, const Seen& a) {
         return a.status == L"クリップボード読込が完了しました。";
       }},
      {L"保存", 112, 24,
       [](const Seen& b, const Seen& a) { return a.saveDialogs == b.saveDialogs + 1; }},
      {L"印刷", 136, 24,
       [](const Seen& b, const Seen& a) { return a.printDialogs == b.printDialogs + 1; }},
      {L"切取", 168, 24,
       [](const Seen&, const Seen& a) { return a.crop == host::CropState::Armed; }},
      {L"外部ｴﾃﾞｨﾀ", 192, 24,
       [](const Seen& b, const Seen& a) { return a.startedPrograms == b.startedPrograms + 1; }},
      {L"リサイズ", 224, 25,
       [](const Seen&, const Seen& a) {
         return a.dialogs == std::vector<std::wstring>{L"リサイズ"};
       },
       true},
      {L"ｻｲｽﾞ調整", 256, 24,
       [](const Seen& b, const Seen& a) { return a.windowWidth < b.windowWidth; }},
      {L"設定", 280, 24,
       [](const Seen&, const Seen& a) { return a.dialogs == std::vector<std::wstring>{L"設定"}; },
       true},
      {L"Help", 312, 24,
       [](const Seen& b, const Seen& a) { return a.helpCalls == b.helpCalls + 1; }},
  };
  for (const Button& b : buttons) {
    SCOPED_TRACE(Utf8(b.hint));
    winetest::WriteBmpFile(PathIn(L"tmp$$$.bmp"), winetest::PatternDib(20, 10));  // a work file
    dialogs.clear();
    Start({PathIn(L"shot.bmp")});
    HWND panel = form->Controls().Panel1;
    HWND button = nullptr;
    for (HWND child = GetWindow(panel, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
      if (ToolTipText(form->Controls().ToolTips, form->Handle(), child) == b.hint) button = child;
    }
    ASSERT_NE(button, nullptr) << "no button shows this hint";
    EXPECT_EQ(Place(RectIn(button, panel)), Place(RECT{b.left, 0, b.left + b.size, b.size}));
    // A window wider than its picture needs, for the size fitting to show.
    SetWindowPos(form->Handle(), nullptr, 0, 0, 900, 700, SWP_NOMOVE | SWP_NOZORDER);
    if (b.opensDialog) {
      winetest::WhenDialogAppears([&](HWND dialog) {
        wchar_t caption[64] = {};
        GetWindowTextW(dialog, caption, 64);
        dialogs.push_back(caption);
        PostMessageW(dialog, WM_CLOSE, 0, 0);
      });
    }
    const Seen before = seen();
    winetest::ClickAt(button, POINT{b.size / 2, b.size / 2});
    PumpAsTheProgram(30);
    EXPECT_TRUE(b.ran(before, seen()));
    Close();
  }
  Start();
  EXPECT_EQ(Utf8(ToolTipText(form->Controls().ToolTips, form->Handle(), form->Controls().Panel1)),
            Utf8(L"作業読込"));
}

TEST_F(Layout, ButtonsShowTheirGlyphsAndTakeNoFocus) {
  Start();
  HWND capture = GetDlgItem(form->Controls().Panel1, ids::SpeedButton1);
  HWND help = GetDlgItem(form->Controls().Panel1, ids::SpeedButton11);
  // Another window of ours is active; a real click on the Help button then activates the main
  // window, as any click on it does, runs the command, and leaves the focus off the button.
  HWND other = CreateWindowExW(0, L"STATIC", L"other", WS_POPUP | WS_VISIBLE | WS_CAPTION, 700, 600,
                               200, 100, nullptr, nullptr, GetModuleHandleW(nullptr), nullptr);
  SetForegroundWindow(other);
  SetActiveWindow(other);
  winetest::PumpMessages(50);
  ASSERT_NE(GetActiveWindow(), form->Handle());
  winetest::ClickAt(help, POINT{12, 12});
  EXPECT_EQ(prompts.helpCalls.size(), 1u) << "the click runs the button's command";
  EXPECT_EQ(GetActiveWindow(), form->Handle());
  EXPECT_NE(GetFocus(), help);
  EXPECT_NE(GetFocus(), capture);
  DestroyWindow(other);
  // Two different glyphs: the buttons do not all paint the same picture.
  auto snapshot = [](HWND button) {
    RECT r;
    GetClientRect(button, &r);
    HDC screen = GetDC(button);
    HDC memory = CreateCompatibleDC(screen);
    HBITMAP bitmap = CreateCompatibleBitmap(screen, r.right, r.bottom);
    HGDIOBJ old = SelectObject(memory, bitmap);
    RedrawWindow(button, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);  // paint it now
    BitBlt(memory, 0, 0, r.right, r.bottom, screen, 0, 0, SRCCOPY);
    std::vector<COLORREF> pixels;
    for (int y = 4; y < 20; ++y) {
      for (int x = 4; x < 20; ++x) pixels.push_back(GetPixel(memory, x, y));
    }
    SelectObject(memory, old);
    DeleteObject(bitmap);
    DeleteDC(memory);
    ReleaseDC(button, screen);
    return pixels;
  };
  winetest::PumpMessages(50);
  const auto a = snapshot(capture);
  const auto b = snapshot(help);
  EXPECT_NE(a, b);
  // Disabled, the button paints its second image.
  EnableWindow(capture, FALSE);
  winetest::PumpMessages(20);
  EXPECT_NE(snapshot(capture), a);
}

TEST_F(Layout, LeftPanelHoldsItsPagesWithTheirControls) {
  Start();
  EXPECT_EQ(Place(RectIn(form->Controls().Panel2, form->Handle())).substr(0, 6), "0,25 8");
  EXPECT_EQ(RectIn(form->Controls().Panel2, form->Handle()).right, 88);
  const RECT pages = RectIn(form->Controls().PageControl1, form->Controls().Panel2);
  EXPECT_EQ(pages.right - pages.left, 86);
  EXPECT_EQ(pages.bottom - pages.top, 280);
  // The four pages, then the mosaic's.
  EXPECT_EQ(SendMessageW(form->Controls().PageControl1, TCM_GETITEMCOUNT, 0, 0), 5);
  const wchar_t* captions[] = {L"ｱｲｺﾝ", L"ﾃｷｽﾄ", L"画像", L"図形", L"ﾓｻﾞｲｸ"};
  for (int i = 0; i < 5; ++i) {
    wchar_t text[32] = {};
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = 32;
    SendMessageW(form->Controls().PageControl1, TCM_GETITEMW, i, reinterpret_cast<LPARAM>(&item));
    EXPECT_EQ(Utf8(text), Utf8(captions[i]));
  }
  EXPECT_EQ(SendMessageW(form->Controls().PageControl1, TCM_GETCURSEL, 0, 0), 0);
  EXPECT_TRUE(IsWindowVisible(form->Controls().TabSheet1));
  EXPECT_FALSE(IsWindowVisible(form->Controls().TabSheet2));
  EXPECT_EQ(Place(RectIn(form->Controls().Button1, form->Controls().Panel2)), "8,284 73x17");
  EXPECT_EQ(Utf8(ToolTipText(form->Controls().ToolTips, form->Handle(), form->Controls().Button1)),
            Utf8(L"ｵﾌﾞｼﾞｪｸﾄを埋め込みます"));

  struct Expected {
    HWND page;
    int id;
    const wchar_t* caption;
    const char* place;
  };
  const Expected controls[] = {
      {form->Controls().TabSheet1, ids::Button13, L"表示", "2,112 73x17"},
      {form->Controls().TabSheet1, ids::Button16, L"原点移動", "2,184 73x17"},
      {form->Controls().TabSheet1, ids::Image14, L"", "40,62 32x32"},
      {form->Controls().TabSheet2, ids::Button5, L"ﾌｫﾝﾄ", "6,16 64x17"},
      {form->Controls().TabSheet2, ids::CheckBox1, L"枠付", "6,64 65x17"},
      {form->Controls().TabSheet3, ids::Button21, L"ﾌｧｲﾙ", "10,80 57x17"},
      {form->Controls().TabSheet3, ids::Button19, L"埋込", "2,161 73x17"},
      {form->Controls().TabSheet4, ids::Button3, L"色", "6,16 65x17"},
      {form->Controls().TabSheet4, ids::Button12, L"原点移動", "2,184 71x17"},
      // Beyond the four pages: the shape page's pen where they leave room, the mosaic page.
      {form->Controls().TabSheet4, ids::Label19, L"太さ", "6,89 26x13"},
      {form->Controls().TabSheet4, ids::Edit2, L"3", "32,86 43x17"},
      {form->Controls().TabSheet4, ids::Label20, L"向き", "6,208 24x13"},
      {form->Controls().TabSheet4, ids::ComboBox3, L"右下", nullptr},  // its height is the list's
      {form->Controls().TabSheet5, ids::ComboBox2, L"ﾓｻﾞｲｸ", nullptr},
      {form->Controls().TabSheet5, ids::Edit1, L"16", "36,40 39x17"},
      {form->Controls().TabSheet5, ids::Button26, L"色", "6,64 65x17"},
      {form->Controls().TabSheet5, ids::Button22, L"表示", "2,112 73x17"},
      {form->Controls().TabSheet5, ids::Button23, L"隠す", "2,136 73x17"},
      {form->Controls().TabSheet5, ids::Button24, L"埋込", "2,160 73x17"},
      {form->Controls().TabSheet5, ids::Button25, L"原点移動", "2,184 73x17"},
  };
  for (const Expected& c : controls) {
    HWND control = GetDlgItem(c.page, c.id);
    ASSERT_NE(control, nullptr) << c.id;
    wchar_t text[64] = {};
    GetWindowTextW(control, text, 64);
    EXPECT_EQ(Utf8(text), Utf8(c.caption)) << c.id;
    const RECT place = RectIn(control, c.page);
    if (c.id == ids::Edit1 || c.id == ids::Edit2) {
      // The up-down stands within the right end of its number's place.
      HWND arrows = GetDlgItem(c.page, c.id == ids::Edit1 ? ids::UpDown3 : ids::UpDown4);
      RECT both;
      const RECT a = RectIn(arrows, c.page);
      UnionRect(&both, &place, &a);
      EXPECT_EQ(Place(both), c.place) << c.id;
    } else if (c.place) {
      EXPECT_EQ(Place(place), c.place) << c.id;
    }
    // Every control lies wholly on its page, below the tabs.
    RECT page;
    GetClientRect(c.page, &page);
    RECT inside;
    IntersectRect(&inside, &place, &page);
    EXPECT_TRUE(EqualRect(&inside, &place))
        << c.id << " at " << Place(place) << " on a page of " << Place(page);
    // The pages behind the first tab are made after the window is shown, in the same font.
    if (*c.caption) {
      EXPECT_EQ(SendMessageW(control, WM_GETFONT, 0, 0),
                SendMessageW(form->Controls().Button1, WM_GETFONT, 0, 0))
          << c.id;
    }
  }
  HWND shapes = GetDlgItem(form->Controls().TabSheet4, ids::ComboBox1);
  std::wstring entries;
  for (int i = 0; i < SendMessageW(shapes, CB_GETCOUNT, 0, 0); ++i) {
    wchar_t text[32] = {};
    SendMessageW(shapes, CB_GETLBTEXT, static_cast<WPARAM>(i), reinterpret_cast<LPARAM>(text));
    entries += std::wstring(text) + L"|";
  }
  EXPECT_EQ(Utf8(entries), Utf8(L"四角|楕円|四角（角丸）||矢印|直線|蛍光ﾍﾟﾝ|"));
  EXPECT_EQ(SendMessageW(shapes, CB_GETCURSEL, 0, 0), 0) << "the first shape is chosen at start";

  // Choosing another tab shows its page.
  TabCtrl_SetCurSel(form->Controls().PageControl1, 3);
  NMHDR notice{form->Controls().PageControl1, static_cast<UINT_PTR>(ids::PageControl1),
               static_cast<UINT>(TCN_SELCHANGE)};
  SendMessageW(form->Handle(), WM_NOTIFY, ids::PageControl1, reinterpret_cast<LPARAM>(&notice));
  EXPECT_TRUE(IsWindowVisible(form->Controls().TabSheet4));
  EXPECT_FALSE(IsWindowVisible(form->Controls().TabSheet1));
}

TEST_F(Layout, GroupBoxHintsShowWhereThePointerRestsOnTheBox) {
  Start();
  struct Expected {
    int page;
    HWND sheet;
    int group;
    POINT inside;  // a point of the page inside the group box and beside its controls
    const wchar_t* hint;
  };
  const Expected groups[] = {
      {1, form->Controls().TabSheet2, ids::GroupBox1, {72, 85}, L"ﾃｷｽﾄ設定"},
      {3, form->Controls().TabSheet4, ids::GroupBox2, {72, 77}, L"図形設定"},
      {4, form->Controls().TabSheet5, ids::GroupBox4, {72, 85}, L"ﾓｻﾞｲｸ設定"},
  };
  for (const Expected& g : groups) {
    SCOPED_TRACE(Utf8(g.hint));
    TabCtrl_SetCurSel(form->Controls().PageControl1, g.page);
    NMHDR notice{form->Controls().PageControl1, static_cast<UINT_PTR>(ids::PageControl1),
                 static_cast<UINT>(TCN_SELCHANGE)};
    SendMessageW(form->Handle(), WM_NOTIFY, ids::PageControl1, reinterpret_cast<LPARAM>(&notice));
    winetest::PumpMessages(20);
    POINT at = g.inside;
    ClientToScreen(g.sheet, &at);
    ASSERT_EQ(ChildWindowFromPoint(g.sheet, g.inside), GetDlgItem(g.sheet, g.group));
    // The pointer comes to rest on the box, as a user's mouse does.
    winetest::MoveMouseTo(POINT{at.x - 3, at.y - 3});
    winetest::PumpMessages(30);
    winetest::MoveMouseTo(at);
    HWND tips = form->Controls().ToolTips;
    const bool shown = winetest::WaitFor([&] { return IsWindowVisible(tips) != FALSE; }, 3000);
    ASSERT_TRUE(shown) << "no hint appeared";
    wchar_t text[64] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.lpszText = text;
    ASSERT_TRUE(SendMessageW(tips, TTM_GETCURRENTTOOLW, 0, reinterpret_cast<LPARAM>(&tool)));
    EXPECT_EQ(Utf8(text), Utf8(g.hint));
    winetest::MoveMouseTo(POINT{1200, 1000});  // away, so the hint hides again
    winetest::WaitFor([&] { return !IsWindowVisible(tips); }, 2000);
  }
}

TEST_F(Layout, PictureAreaAndStatusLineFillTheRest) {
  Start();
  RECT client;
  GetClientRect(form->Handle(), &client);
  const RECT status = RectIn(form->Controls().StatusBar1, form->Handle());
  EXPECT_EQ(status.bottom, client.bottom);
  EXPECT_EQ(status.bottom - status.top, 24);
  const RECT area = RectIn(form->Controls().ScrollBox1, form->Handle());
  EXPECT_EQ(area.left, 88);
  EXPECT_EQ(area.top, 25);
  EXPECT_EQ(area.right, client.right);
  EXPECT_EQ(area.bottom, status.top);
  // The picture sits at the top-left corner of the area.
  EXPECT_EQ(Place(RectIn(form->Controls().Image1, form->Controls().ScrollBox1)), "0,0 420x300");
}

TEST_F(Layout, ClickOnTheBareToolBarLoadsTheWorkFile) {
  Start();
  SendMessageW(form->Controls().Panel1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(400, 10));
  SendMessageW(form->Controls().Panel1, WM_LBUTTONUP, 0, MAKELPARAM(400, 10));
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION}) << "no work file yet";
  winetest::WriteBmpFile(PathIn(L"tmp$$$.bmp"), winetest::PatternDib(64, 48));
  SendMessageW(form->Controls().Panel1, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(400, 10));
  SendMessageW(form->Controls().Panel1, WM_LBUTTONUP, 0, MAKELPARAM(400, 10));
  EXPECT_EQ(form->PictureState(), host::PictureState::Present);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"作業ファイル読込が完了しました。"));
}

TEST_F(Layout, TheWindowUsesTheJapaneseUiFont) {
  Start();
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(form->Controls().Button1, WM_GETFONT, 0, 0));
  ASSERT_NE(font, nullptr);
  LOGFONTW log{};
  GetObjectW(font, sizeof log, &log);
  EXPECT_EQ(log.lfHeight, -12);
  EXPECT_EQ(log.lfCharSet, SHIFTJIS_CHARSET);
  EXPECT_EQ(Utf8(log.lfFaceName), Utf8(L"ＭＳ Ｐゴシック"));
}

// What the tooltip window of `owner` shows over `control`, and the tooltip window's style.
struct SeenHint {
  const char* where;
  LONG_PTR style;
  std::wstring text;
};

SeenHint ReadHint(const char* where, HWND owner, HWND control) {
  HWND tips = ToolTipsOf(owner);
  return {where, tips ? GetWindowLongPtrW(tips, GWL_STYLE) : 0, ToolTipText(tips, owner, control)};
}

TEST_F(Layout, HintsShowAsWrittenWithTheirAmpersandInTheWindowAndItsDialogs) {
  winetest::WriteBmpFile(PathIn(L"shot.bmp"), winetest::PatternDib(40, 30));
  Start({PathIn(L"shot.bmp")});
  std::vector<SeenHint> seen{ReadHint("main window", form->Handle(), form->Controls().Button1)};
  constexpr int kSettingsLabel1 = 121;
  constexpr int kResizePanel1 = 10;
  constexpr int kResizeBitBtn3 = 19;
  winetest::WhenDialogAppears([&](HWND dialog) {
    seen.push_back(ReadHint("settings", dialog, GetDlgItem(dialog, kSettingsLabel1)));
    PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  Command(ids::SpeedButton7);
  winetest::WhenDialogAppears([&](HWND dialog) {
    seen.push_back(
        ReadHint("resize", dialog, GetDlgItem(GetDlgItem(dialog, kResizePanel1), kResizeBitBtn3)));
    PostMessageW(dialog, WM_CLOSE, 0, 0);
  });
  Command(ids::SpeedButton12);
  const wchar_t* expected[] = {L"ｵﾌﾞｼﾞｪｸﾄを埋め込みます", L"Ver情報&作者", L"指定リサイズ"};
  ASSERT_EQ(seen.size(), std::size(expected));
  for (size_t i = 0; i < seen.size(); ++i) {
    EXPECT_TRUE(seen[i].style & TTS_NOPREFIX) << seen[i].where;
    EXPECT_EQ(Utf8(seen[i].text), Utf8(expected[i])) << seen[i].where;
  }
}

}  // namespace
