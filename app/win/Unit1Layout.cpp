// The main window's controls: menus, tool bar, left panel with its pages, picture area and status
// line, each built from a table, and the routing of their commands to the handlers. The tables
// hold the layout of a 96-DPI screen; every place is scaled to the window's resolution by
// TForm1::Scaled where the tables are turned into windows, and again when the resolution changes.
#include <windows.h>
#include <commctrl.h>

#include <initializer_list>
#include <iterator>
#include <span>

#include "app/WindowFit.h"
#include "app/win/CommandIds.h"
#include "app/win/Unit1.h"
#include "win/ToolTips.h"
#include "win/controls/Image.h"
#include "win/controls/Panel.h"
#include "win/controls/ScrollBox.h"
#include "win/controls/SpeedButton.h"

namespace app {
namespace {

// The progress bar that stands at the right of the status line while a plug-in decodes.
constexpr int kProgressBarWidth = 150;
// The shape list's height with its list dropped down.
constexpr int kComboListHeight = 120;

struct MenuEntry {
  int id;               // 0 for a separator
  const wchar_t* text;  // caption; the hint stays with the table, as it is shown nowhere
  const wchar_t* hint = nullptr;
};

HMENU BuildMenu(std::initializer_list<MenuEntry> entries) {
  HMENU menu = CreatePopupMenu();
  for (const MenuEntry& e : entries) {
    if (e.id == 0) {
      AppendMenuW(menu, MF_SEPARATOR, 0, nullptr);
    } else {
      AppendMenuW(menu, MF_STRING, static_cast<UINT_PTR>(e.id), e.text);
    }
  }
  return menu;
}

void AppendSubmenu(HMENU parent, HMENU child, const wchar_t* caption) {
  AppendMenuW(parent, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(child), caption);
}

struct ToolButton {
  int id;
  int left;
  int size;
  int glyph;  // index into the glyph strip
  const wchar_t* hint;
};

// Left to right, as the buttons stand on the tool bar.
constexpr ToolButton kToolButtons[] = {
    {ids::SpeedButton1, 0, 24, 0, L"ｷｬﾌﾟﾁｬｰ(PS,Alt+PS)"},
    {ids::SpeedButton4, 32, 24, 1, L"新規ﾌｧｲﾙ読込"},
    {ids::SpeedButton10, 56, 24, 2, L"作業ﾌｧｲﾙ読込"},
    {ids::SpeedButton9, 80, 24, 3, L"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ読込"},
    {ids::SpeedButton5, 112, 24, 4, L"保存"},
    {ids::SpeedButton8, 136, 24, 5, L"印刷"},
    {ids::SpeedButton2, 168, 24, 6, L"切取"},
    {ids::SpeedButton3, 192, 24, 7, L"外部ｴﾃﾞｨﾀ"},
    {ids::SpeedButton12, 224, 25, 8, L"リサイズ"},
    {ids::SpeedButton6, 256, 24, 9, L"ｻｲｽﾞ調整"},
    {ids::SpeedButton7, 280, 24, 10, L"設定"},
    {ids::SpeedButton11, 312, 24, 11, L"Help"},
};

enum class Kind {
  Button,
  CheckBox,
  GroupBox,
  Label,
  ComboBox,
  TextPanel,
  UpDown,
  Slot,
  Mark,
  Preview,
  ChoiceList,  // a list to choose from, without a field to type into
  Number,      // the panel showing a number, with the up-down that follows it in the table
  NumberArrows
};

struct PageControl {
  int page;  // 0..4: TabSheet1..TabSheet5
  Kind kind;
  int id;
  const wchar_t* caption;
  const wchar_t* hint;
  int x, y, width, height;
};

// Every control of the pages at its place on the page. The controls beyond the four pages' own
// (the shape page's pen, the mosaic page) lie where those leave room.
constexpr PageControl kPageControls[] = {
    // TabSheet1 "ｱｲｺﾝ": the icon palette.
    {0, Kind::TextPanel, ids::Panel4, L"1/12", L"ﾍﾟｰｼﾞ", 0, 0, 33, 17},
    {0, Kind::UpDown, ids::UpDown2, nullptr, L"ﾍﾟｰｼﾞ切替", 40, 0, 33, 17},
    {0, Kind::Mark, ids::Label9, nullptr, nullptr, 2, 24, 32, 32},
    {0, Kind::Slot, ids::Image11, nullptr, L"6/12ﾍﾟｰｼﾞはﾀﾞﾌﾞﾙｸﾘｯｸで登録", 2, 24, 32, 32},
    {0, Kind::Mark, ids::Label10, nullptr, nullptr, 40, 24, 32, 32},
    {0, Kind::Slot, ids::Image12, nullptr, L"6/12ﾍﾟｰｼﾞはﾀﾞﾌﾞﾙｸﾘｯｸで登録", 40, 24, 32, 32},
    {0, Kind::Mark, ids::Label11, nullptr, nullptr, 2, 62, 32, 32},
    {0, Kind::Slot, ids::Image13, nullptr, L"6/12ﾍﾟｰｼﾞはﾀﾞﾌﾞﾙｸﾘｯｸで登録", 2, 62, 32, 32},
    {0, Kind::Mark, ids::Label12, nullptr, nullptr, 40, 62, 32, 32},
    {0, Kind::Slot, ids::Image14, nullptr, L"6/12ﾍﾟｰｼﾞはﾀﾞﾌﾞﾙｸﾘｯｸで登録", 40, 62, 32, 32},
    {0, Kind::Button, ids::Button13, L"表示", nullptr, 2, 112, 73, 17},
    {0, Kind::Button, ids::Button14, L"隠す", nullptr, 2, 136, 73, 17},
    {0, Kind::Button, ids::Button15, L"埋込", nullptr, 2, 160, 73, 17},
    {0, Kind::Button, ids::Button16, L"原点移動", nullptr, 2, 184, 73, 17},
    // TabSheet2 "ﾃｷｽﾄ": the text tag; controls in the group are placed relative to the page.
    {1, Kind::GroupBox, ids::GroupBox1, L"設定", L"ﾃｷｽﾄ設定", 2, 0, 73, 89},
    {1, Kind::Button, ids::Button5, L"ﾌｫﾝﾄ", L"ﾌｫﾝﾄ設定", 2 + 4, 0 + 16, 64, 17},
    {1, Kind::Button, ids::Button8, L"背景", L"背景設定", 2 + 4, 0 + 40, 64, 17},
    {1, Kind::CheckBox, ids::CheckBox1, L"枠付", L"枠設定", 2 + 4, 0 + 64, 65, 17},
    {1, Kind::Button, ids::Button9, L"表示", nullptr, 2, 112, 73, 17},
    {1, Kind::Button, ids::Button10, L"隠す", nullptr, 2, 136, 73, 17},
    {1, Kind::Button, ids::Button11, L"埋込", nullptr, 2, 160, 73, 17},
    {1, Kind::Button, ids::Button4, L"原点移動", nullptr, 2, 184, 73, 17},
    // TabSheet3 "画像": the image tag.
    {2, Kind::GroupBox, ids::GroupBox3, L"ﾌﾟﾚﾋﾞｭｰ", nullptr, 2, 0, 73, 105},
    {2, Kind::Preview, ids::ImagePrev, nullptr, L"ﾌﾟﾚﾋﾞｭｰ", 2 + 2, 0 + 16, 68, 57},
    {2, Kind::Button, ids::Button21, L"ﾌｧｲﾙ", L"ﾌｧｲﾙ読込", 2 + 8, 0 + 80, 57, 17},
    {2, Kind::Button, ids::Button17, L"表示", nullptr, 2, 112, 73, 17},
    {2, Kind::Button, ids::Button18, L"隠す", nullptr, 2, 136, 73, 17},
    {2, Kind::Button, ids::Button19, L"埋込", nullptr, 2, 161, 73, 17},
    {2, Kind::Button, ids::Button20, L"原点移動", nullptr, 2, 184, 73, 17},
    // TabSheet4 "図形": the shape tag.
    {3, Kind::GroupBox, ids::GroupBox2, L"設定", L"図形設定", 2, 0, 73, 81},
    {3, Kind::Button, ids::Button3, L"色", L"色設定", 2 + 4, 0 + 16, 65, 17},
    {3, Kind::Label, ids::Label17, L"形状", nullptr, 2 + 4, 0 + 40, 40, 13},
    {3, Kind::ComboBox, ids::ComboBox1, nullptr, L"形状設定", 2 + 2, 0 + 56, 65, 20},
    {3, Kind::Button, ids::Button6, L"表示", nullptr, 2, 113, 73, 17},
    {3, Kind::Button, ids::Button7, L"隠す", nullptr, 2, 137, 73, 17},
    {3, Kind::Button, ids::Button2, L"埋込", nullptr, 2, 161, 73, 17},
    {3, Kind::Button, ids::Button12, L"原点移動", nullptr, 2, 184, 71, 17},
    {3, Kind::Label, ids::Label19, L"太さ", nullptr, 6, 89, 26, 13},
    {3, Kind::Number, ids::Edit2, nullptr, L"線の太さ", 32, 86, 43, 17},
    {3, Kind::NumberArrows, ids::UpDown4, nullptr, L"線の太さ", 0, 0, 0, 0},
    {3, Kind::Label, ids::Label20, L"向き", nullptr, 6, 208, 24, 13},
    {3, Kind::ChoiceList, ids::ComboBox3, nullptr, L"矢印の向き", 30, 205, 45, 20},
    // TabSheet5 "ﾓｻﾞｲｸ": the mosaic tag.
    {4, Kind::GroupBox, ids::GroupBox4, L"設定", L"ﾓｻﾞｲｸ設定", 2, 0, 73, 89},
    {4, Kind::ChoiceList, ids::ComboBox2, nullptr, L"方式設定", 2 + 4, 0 + 16, 65, 20},
    {4, Kind::Label, ids::Label18, L"ﾌﾞﾛｯｸ", nullptr, 2 + 4, 0 + 43, 30, 13},
    {4, Kind::Number, ids::Edit1, nullptr, L"ﾌﾞﾛｯｸｻｲｽﾞ", 2 + 34, 0 + 40, 39, 17},
    {4, Kind::NumberArrows, ids::UpDown3, nullptr, L"ﾌﾞﾛｯｸｻｲｽﾞ", 0, 0, 0, 0},
    {4, Kind::Button, ids::Button26, L"色", L"塗りつぶし色設定", 2 + 4, 0 + 64, 65, 17},
    {4, Kind::Button, ids::Button22, L"表示", nullptr, 2, 112, 73, 17},
    {4, Kind::Button, ids::Button23, L"隠す", nullptr, 2, 136, 73, 17},
    {4, Kind::Button, ids::Button24, L"埋込", nullptr, 2, 160, 73, 17},
    {4, Kind::Button, ids::Button25, L"原点移動", nullptr, 2, 184, 73, 17},
};

// The entries of the lists to choose from.
constexpr const wchar_t* kMosaicWays[] = {L"ﾓｻﾞｲｸ", L"塗りつぶし"};
constexpr const wchar_t* kDirections[] = {L"右下", L"左下", L"左上", L"右上"};  // as tags::Corner
std::span<const wchar_t* const> ChoicesOf(int id) {
  if (id == ids::ComboBox2) return kMosaicWays;
  return kDirections;  // ComboBox3
}

constexpr const wchar_t* kPageCaptions[] = {L"ｱｲｺﾝ", L"ﾃｷｽﾄ", L"画像", L"図形", L"ﾓｻﾞｲｸ"};
constexpr int kPageIds[] = {ids::TabSheet1, ids::TabSheet2, ids::TabSheet3, ids::TabSheet4,
                            ids::TabSheet5};
constexpr int kPages = static_cast<int>(std::size(kPageCaptions));
// The tabs' usual room beside and above their captions, and the rows they may take.
constexpr int kTabPadding = 6;
constexpr int kMaxTabRows = 2;
constexpr int kPageControlHeight = 280;
// The tab control inside the left panel, and the Embed-all button under it.
constexpr LayoutRect kPageControlPlace{1, 1, kLeftPanelWidth - 2, kPageControlHeight};
constexpr LayoutRect kButton1Place{8, 284, 73, 17};

// Where a page's control stands on the 96-DPI screen. A list is as high as its dropped-down list.
LayoutRect DesignPlace(const PageControl& c) {
  const bool list = c.kind == Kind::ComboBox || c.kind == Kind::ChoiceList;
  return LayoutRect{c.x, c.y, c.width, list ? kComboListHeight : c.height};
}

HWND CreateChild(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                 const LayoutRect& at) {
  return CreateWindowExW(0, className, text ? text : L"", WS_CHILD | WS_VISIBLE | style, at.x, at.y,
                         at.width, at.height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         GetModuleHandleW(nullptr), nullptr);
}

void MoveTo(HWND window, const LayoutRect& at) {
  MoveWindow(window, at.x, at.y, at.width, at.height, TRUE);
}

// Puts up-down arrows within the right end of their number box, which shows their position.
void AttachArrows(HWND arrows, HWND box) {
  SendMessageW(arrows, UDM_SETBUDDY, reinterpret_cast<WPARAM>(box), 0);
}

// Makes a page's control at `at`, its place on this screen. `previous` is the control made before
// this one: an up-down's number box.
HWND CreatePageControl(HWND page, const PageControl& c, const LayoutRect& at, HWND previous) {
  switch (c.kind) {
    case Kind::Button:
      return CreateChild(page, WC_BUTTONW, c.caption, BS_PUSHBUTTON | WS_TABSTOP, c.id, at);
    case Kind::CheckBox:
      return CreateChild(page, WC_BUTTONW, c.caption, BS_AUTOCHECKBOX | WS_TABSTOP, c.id, at);
    case Kind::GroupBox:
      return CreateChild(page, WC_BUTTONW, c.caption, BS_GROUPBOX, c.id, at);
    case Kind::Label:
      return CreateChild(page, WC_STATICW, c.caption, SS_LEFT, c.id, at);
    case Kind::ComboBox: {
      // A list with a field the user may also type into.
      HWND box = CreateChild(page, WC_COMBOBOXW, nullptr,
                             CBS_DROPDOWN | CBS_AUTOHSCROLL | WS_TABSTOP | WS_VSCROLL, c.id, at);
      for (const wchar_t* item :
           {L"四角", L"楕円", L"四角（角丸）", L"", L"矢印", L"直線", L"蛍光ﾍﾟﾝ"}) {
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
      }
      return box;
    }
    case Kind::ChoiceList: {
      HWND box = CreateChild(page, WC_COMBOBOXW, nullptr,
                             CBS_DROPDOWNLIST | WS_TABSTOP | WS_VSCROLL, c.id, at);
      for (const wchar_t* item : ChoicesOf(c.id)) {
        SendMessageW(box, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item));
      }
      return box;
    }
    case Kind::Number:
      // Shown as the icon page shows its page number; the arrows beside it change it.
      return CreateChild(page, WC_STATICW, nullptr, SS_CENTER | SS_SUNKEN | SS_NOTIFY, c.id, at);
    case Kind::NumberArrows: {
      HWND arrows = CreateChild(page, UPDOWN_CLASSW, nullptr,
                                UDS_SETBUDDYINT | UDS_ALIGNRIGHT | UDS_NOTHOUSANDS, c.id, at);
      AttachArrows(arrows, previous);
      return arrows;
    }
    case Kind::TextPanel:
      return CreateChild(page, WC_STATICW, c.caption, SS_CENTER | SS_SUNKEN | SS_NOTIFY, c.id, at);
    case Kind::UpDown:
      return CreateChild(page, UPDOWN_CLASSW, nullptr, UDS_HORZ | UDS_WRAP, c.id, at);
    case Kind::Mark:
      // Beneath its slot, which it never paints over; the tags colour it.
      return CreateChild(page, WC_STATICW, nullptr, WS_CLIPSIBLINGS, c.id, at);
    case Kind::Slot:
      // The icon at its own size, on the colour of the square beneath.
      return CreateChild(page, WC_STATICW, nullptr, SS_NOTIFY | SS_ICON | SS_CENTERIMAGE, c.id, at);
    case Kind::Preview:
      // Painted by the tags, which know its picture.
      return CreateChild(page, WC_STATICW, nullptr, SS_NOTIFY, c.id, at);
  }
  return nullptr;
}

// A group box lets the mouse through to its page (it is transparent to hit-testing), so its hint
// is a region of the page: the parts of the box not covered by its own controls.
RECT AreaInPage(HWND page, HWND area) {
  RECT rect{};
  GetWindowRect(area, &rect);
  MapWindowPoints(nullptr, page, reinterpret_cast<POINT*>(&rect), 2);
  return rect;
}

BOOL CALLBACK SetFontOfChild(HWND child, LPARAM font) {
  SendMessageW(child, WM_SETFONT, static_cast<WPARAM>(font), FALSE);
  return TRUE;
}

}  // namespace

void TForm1::CreateControls() {
  HWND window = window_.get();
  CreateMenus();
  CreateToolBar();
  CreateLeftPanel();
  controls_.ScrollBox1 = win::controls::CreateScrollBox(window, ids::ScrollBox1);
  controls_.Image1 = win::controls::CreateImage(controls_.ScrollBox1, ids::Image1, &picture_);
  controls_.StatusBar1 =
      CreateWindowExW(0, STATUSCLASSNAMEW, L"",
                      WS_CHILD | WS_VISIBLE | SBARS_SIZEGRIP | CCS_NORESIZE | CCS_NOPARENTALIGN, 0,
                      0, 0, Scaled(kStatusLineHeight), window,
                      reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::StatusBar1)),
                      GetModuleHandleW(nullptr), nullptr);
  SendMessageW(controls_.StatusBar1, SB_SIMPLE, TRUE, 0);
  controls_.ProgressBar1 = CreateWindowExW(
      0, PROGRESS_CLASSW, nullptr, WS_CHILD | PBS_SMOOTH, 0, 0, 0, 0, controls_.StatusBar1,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(ids::ProgressBar1)), GetModuleHandleW(nullptr),
      nullptr);
  // One font for the whole window, as the form gives it to every control.
  EnumChildWindows(window, SetFontOfChild, reinterpret_cast<LPARAM>(font_.get()));
  LayoutChildren();
}

void TForm1::CreateMenus() {
  HMENU file = BuildMenu({{ids::mnuCaputure, L"ｷｬﾌﾟﾁｬｰ(&C)", L"ｷｬﾌﾟﾁｬｰ(PS,Alt+PS)"},
                          {ids::mnuCaptureScreen, L"画面全体を取込(&A)"},
                          {ids::mnuCaptureWindow, L"ウィンドウを取込(&W)"},
                          {ids::mnuCaptureRegion, L"範囲を指定して取込(&R)"},
                          {0, nullptr},
                          {ids::mnuRead, L"新規ﾌｧｲﾙ読込(&O)", L"jpg,bmpﾌｧｲﾙ読込"},
                          {ids::mnuTmpRead, L"作業ﾌｧｲﾙ読込(&T)", L"作業ﾌｧｲﾙ読込"},
                          {ids::mnuClipRead, L"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ読込(&C)", L"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ読込"},
                          {0, nullptr},
                          {ids::mnuWrite, L"保存(&S)", L"bmpﾌｧｲﾙ保存"},
                          {ids::mnuPrint, L"印刷(&P)", L"印刷"},
                          {0, nullptr},
                          {ids::mnuExit, L"終了(&X)", L"終了"}});
  HMENU edit = BuildMenu({{ids::mnuUndo, L"元に戻す(&U)\tCtrl+Z"},
                          {ids::mnuRedo, L"やり直し(&Y)\tCtrl+Y"},
                          {0, nullptr},
                          {ids::mnuCut, L"指定切取(&C)", L"内部画像切取"},
                          {ids::mnuResize, L"リサイズ(&R)"},
                          {0, nullptr},
                          {ids::mnuExtEdit, L"外部ｴﾃﾞｨﾀ(&E)", L"外部ｴﾃﾞｨﾀの起動"}});
  HMENU other = BuildMenu({{ids::mnuAdjSz, L"ｻｲｽﾞ調整(&F)", L"ｻｲｽﾞ調整"},
                           {0, nullptr},
                           {ids::mnuSetting, L"設定他(&S)", L"設定ﾀﾞｲｱﾛｸﾞ表示"},
                           {ids::Help1, L"Help(&H)"}});
  mainMenu_.reset(CreateMenu());
  AppendSubmenu(mainMenu_.get(), file, L"ﾌｧｲﾙ(&F)");
  AppendSubmenu(mainMenu_.get(), edit, L"編集(&E)");
  AppendSubmenu(mainMenu_.get(), other, L"その他(&O)");
  controls_.MainMenu1 = mainMenu_.get();

  popupMenu1_.reset(CreatePopupMenu());
  AppendMenuW(popupMenu1_.get(), MF_STRING, ids::smnuUndo, L"元に戻す");
  AppendMenuW(popupMenu1_.get(), MF_STRING, ids::smnuRedo, L"やり直し");
  AppendMenuW(popupMenu1_.get(), MF_SEPARATOR, 0, nullptr);
  AppendSubmenu(popupMenu1_.get(),
                BuildMenu({{ids::smnuCaputure, L"ｷｬﾌﾟﾁｬｰ"},
                           {ids::smnuCaptureScreen, L"画面全体を取込"},
                           {ids::smnuCaptureWindow, L"ウィンドウを取込"},
                           {ids::smnuCaptureRegion, L"範囲を指定して取込"},
                           {0, nullptr},
                           {ids::smnuRead, L"新規ﾌｧｲﾙ読込"},
                           {ids::smnuTmpRead, L"作業ﾌｧｲﾙ読込"},
                           {ids::smnuClipRead, L"ｸﾘｯﾌﾟﾎﾞｰﾄﾞ読込"},
                           {0, nullptr},
                           {ids::smnuWrite, L"保存"},
                           {ids::smnuPrint, L"印刷"},
                           {0, nullptr},
                           {ids::smnuExit, L"終了"}}),
                L"ﾌｧｲﾙ");
  AppendSubmenu(
      popupMenu1_.get(),
      BuildMenu({{ids::smnuCut, L"指定切取"}, {0, nullptr}, {ids::smnuExtEdit, L"外部ｴﾃﾞｨﾀ"}}),
      L"編集");
  AppendSubmenu(
      popupMenu1_.get(),
      BuildMenu({{ids::smnuAdjSz, L"ｻｲｽﾞ調整"}, {0, nullptr}, {ids::smnuSetting, L"設定他"}}),
      L"その他");
  controls_.PopupMenu1 = popupMenu1_.get();

  popupMenu2_.reset(BuildMenu(
      {{ids::smnuHide, L"隠す"}, {ids::smnuDraw, L"埋込"}, {ids::smnuMove, L"原点移動"}}));
  controls_.PopupMenu2 = popupMenu2_.get();
}

void TForm1::WithToolTips(std::function<void(HWND)> work) {
  if (controls_.ToolTips) {
    work(controls_.ToolTips);
  } else {
    pendingToolTipWork_.push_back(std::move(work));
  }
}

void TForm1::CreateToolTips() {
  if (controls_.ToolTips) return;
  controls_.ToolTips = win::CreateToolTips(window_.get());
  for (const auto& work : std::exchange(pendingToolTipWork_, {})) work(controls_.ToolTips);
}

void TForm1::AddHint(HWND control, const wchar_t* hint) {
  if (!control || !hint) return;
  WithToolTips(
      [this, control, hint](HWND tips) { win::AddToolTip(tips, window_.get(), control, hint); });
}

void TForm1::AddAreaHint(HWND page, HWND area, const wchar_t* hint) {
  if (!area || !hint) return;
  const auto id = static_cast<UINT_PTR>(GetDlgCtrlID(area));
  const RECT place = AreaInPage(page, area);
  WithToolTips(
      [page, id, place, hint](HWND tips) { win::AddAreaToolTip(tips, page, id, place, hint); });
}

LayoutRect TForm1::Scaled(const LayoutRect& design) const {
  return LayoutRect{Scaled(design.x), Scaled(design.y), Scaled(design.width),
                    Scaled(design.height)};
}

void TForm1::CreateWindowFont() {
  font_.reset(CreateFontW(-Scaled(12), 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック"));
}

void TForm1::CreateToolBar() {
  controls_.Panel1 = win::controls::CreatePanel(window_.get(), ids::Panel1, 0, 0, 0,
                                                Scaled(kToolBarHeight), BDR_SUNKENINNER);
  AddHint(controls_.Panel1, L"作業読込");
  toolGlyphs_.reset(win::controls::LoadGlyphStrip(L"TOOLGLYPHS", dpi_));
  for (const ToolButton& b : kToolButtons) {
    const LayoutRect at = Scaled(LayoutRect{b.left, 0, b.size, b.size});
    HWND button = win::controls::CreateSpeedButton(controls_.Panel1, b.id, at.x, at.y, at.width,
                                                   at.height, toolGlyphs_.get(), b.glyph);
    AddHint(button, b.hint);
  }
}

void TForm1::CreateLeftPanel() {
  controls_.Panel2 =
      win::controls::CreatePanel(window_.get(), ids::Panel2, 0, Scaled(kToolBarHeight),
                                 Scaled(kLeftPanelWidth), 0, BDR_SUNKENOUTER);
  controls_.PageControl1 = CreateChild(controls_.Panel2, WC_TABCONTROLW, nullptr,
                                       TCS_MULTILINE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS,
                                       ids::PageControl1, Scaled(kPageControlPlace));
  SendMessageW(controls_.PageControl1, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
  InsertPageTabs();
  // The first page now; the pages behind the other tabs once the window is up.
  pages_.assign(kPages, nullptr);
  pages_[0] = CreatePagePanel(0);
  controls_.TabSheet1 = pages_[0];
  CreatePageControls(0);
  SendMessageW(GetDlgItem(controls_.TabSheet1, ids::UpDown2), UDM_SETRANGE32, 0, 11);
  controls_.Button1 = CreateChild(controls_.Panel2, WC_BUTTONW, L"全埋込",
                                  BS_PUSHBUTTON | WS_TABSTOP, ids::Button1, Scaled(kButton1Place));
  AddHint(controls_.Button1, L"ｵﾌﾞｼﾞｪｸﾄを埋め込みます");
  ShowPage(0);
}

void TForm1::InsertPageTabs() {
  HWND tabs = controls_.PageControl1;
  // Each tab as wide as its caption rather than the control's least tab width, with less room
  // beside the caption while the tabs take more than two rows: the pages' controls reach 226
  // pixels down the page, which leaves the tabs two rows of the page control's 280.
  SendMessageW(tabs, TCM_SETMINTABWIDTH, 0, 0);
  for (int i = static_cast<int>(SendMessageW(tabs, TCM_GETITEMCOUNT, 0, 0)); i < kPages; ++i) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(kPageCaptions[i]);
    SendMessageW(tabs, TCM_INSERTITEMW, i, reinterpret_cast<LPARAM>(&item));
  }
  for (int padding = kTabPadding; padding >= 1; --padding) {
    SendMessageW(tabs, TCM_SETPADDING, 0, MAKELPARAM(Scaled(padding), Scaled(kTabPadding / 2)));
    // The control places its tabs again when an item is set, not when the padding changes.
    TCITEMW first{};
    first.mask = TCIF_TEXT;
    first.pszText = const_cast<wchar_t*>(kPageCaptions[0]);
    SendMessageW(tabs, TCM_SETITEMW, 0, reinterpret_cast<LPARAM>(&first));
    if (SendMessageW(tabs, TCM_GETROWCOUNT, 0, 0) <= kMaxTabRows) break;
  }
}

LayoutRect TForm1::PageDisplayArea() const {
  // The pages fill the tab control's display area, below however many rows of tabs there are.
  const LayoutRect tabs = Scaled(kPageControlPlace);
  RECT display{0, 0, tabs.width, tabs.height};
  SendMessageW(controls_.PageControl1, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  return LayoutRect{display.left, display.top, display.right - display.left,
                    display.bottom - display.top};
}

void TForm1::CreatePageControls(int page) {
  HWND previous = nullptr;
  for (const PageControl& c : kPageControls) {
    if (c.page != page) continue;
    HWND control =
        CreatePageControl(pages_[static_cast<size_t>(page)], c, Scaled(DesignPlace(c)), previous);
    previous = control;
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
    if (c.kind == Kind::GroupBox) {
      AddAreaHint(pages_[static_cast<size_t>(page)], control, c.hint);
    } else {
      AddHint(control, c.hint);
    }
  }
}

void TForm1::ApplyDpi(int dpi) {
  if (dpi == dpi_) return;
  dpi_ = dpi;
  CreateWindowFont();
  EnumChildWindows(window_.get(), SetFontOfChild, reinterpret_cast<LPARAM>(font_.get()));
  toolGlyphs_.reset(win::controls::LoadGlyphStrip(L"TOOLGLYPHS", dpi_));
  for (const ToolButton& b : kToolButtons) {
    HWND button = GetDlgItem(controls_.Panel1, b.id);
    MoveTo(button, Scaled(LayoutRect{b.left, 0, b.size, b.size}));
    win::controls::SetSpeedButtonGlyphs(button, toolGlyphs_.get());
  }
  MoveTo(controls_.PageControl1, Scaled(kPageControlPlace));
  // The captions' new font may take another number of rows.
  const LRESULT shown = SendMessageW(controls_.PageControl1, TCM_GETCURSEL, 0, 0);
  InsertPageTabs();
  SendMessageW(controls_.PageControl1, TCM_SETCURSEL, static_cast<WPARAM>(shown), 0);
  const LayoutRect display = PageDisplayArea();
  for (HWND page : pages_) {
    if (page) MoveTo(page, display);
  }
  HWND previous = nullptr;
  for (const PageControl& c : kPageControls) {
    HWND page = pages_[static_cast<size_t>(c.page)];
    HWND control = GetDlgItem(page, c.id);
    if (!control) continue;  // its page is made later, at this resolution
    if (c.kind == Kind::NumberArrows) {
      AttachArrows(control, previous);  // at the right end of its box, now at its new size
    } else {
      MoveTo(control, Scaled(DesignPlace(c)));
    }
    previous = control;
    if (c.kind == Kind::GroupBox && c.hint) {
      const RECT place = AreaInPage(page, control);
      WithToolTips([page, id = static_cast<UINT_PTR>(c.id), place](HWND tips) {
        win::MoveAreaToolTip(tips, page, id, place);
      });
    }
  }
  MoveTo(controls_.Button1, Scaled(kButton1Place));
  LayoutChildren();
  tags_.DpiChanged();
}

HWND TForm1::CreatePagePanel(int page) {
  const LayoutRect display = PageDisplayArea();
  HWND panel = win::controls::CreatePanel(controls_.PageControl1, kPageIds[page], display.x,
                                          display.y, display.width, display.height, 0);
  const LRESULT shown = SendMessageW(controls_.PageControl1, TCM_GETCURSEL, 0, 0);
  if (page != shown) ShowWindow(panel, SW_HIDE);
  return panel;
}

void TForm1::CreateHiddenPages() {
  if (pages_[1]) return;
  for (int page = 1; page < kPages; ++page) {
    pages_[static_cast<size_t>(page)] = CreatePagePanel(page);
    CreatePageControls(page);
  }
  controls_.TabSheet2 = pages_[1];
  controls_.TabSheet3 = pages_[2];
  controls_.TabSheet4 = pages_[3];
  controls_.TabSheet5 = pages_[4];
  tags::LaterPageControls later;
  later.ImagePrev = GetDlgItem(controls_.TabSheet3, ids::ImagePrev);
  later.ComboBox1 = GetDlgItem(controls_.TabSheet4, ids::ComboBox1);
  later.UpDown4 = GetDlgItem(controls_.TabSheet4, ids::UpDown4);
  later.ComboBox3 = GetDlgItem(controls_.TabSheet4, ids::ComboBox3);
  later.ComboBox2 = GetDlgItem(controls_.TabSheet5, ids::ComboBox2);
  later.UpDown3 = GetDlgItem(controls_.TabSheet5, ids::UpDown3);
  later.Button26 = GetDlgItem(controls_.TabSheet5, ids::Button26);
  tags_.AttachLaterPages(later);
  // The first shape is the one chosen at start.
  SendMessageW(later.ComboBox1, CB_SETCURSEL, 0, 0);
}

void TForm1::ShowPage(int index) {
  SendMessageW(controls_.PageControl1, TCM_SETCURSEL, index, 0);
  for (size_t i = 0; i < pages_.size(); ++i) {
    if (pages_[i]) ShowWindow(pages_[i], static_cast<int>(i) == index ? SW_SHOW : SW_HIDE);
  }
}

void TForm1::LayoutChildren() {
  RECT client;
  GetClientRect(window_.get(), &client);
  const int width = client.right;
  const int height = client.bottom;
  const int toolBar = Scaled(kToolBarHeight);
  const int leftPanel = Scaled(kLeftPanelWidth);
  const int statusLine = Scaled(kStatusLineHeight);
  const int middle = std::max(0, height - toolBar - statusLine);
  MoveWindow(controls_.Panel1, 0, 0, width, toolBar, TRUE);
  MoveWindow(controls_.Panel2, 0, toolBar, leftPanel, middle, TRUE);
  MoveWindow(controls_.ScrollBox1, leftPanel, toolBar, std::max(0, width - leftPanel), middle,
             TRUE);
  MoveWindow(controls_.StatusBar1, 0, height - statusLine, width, statusLine, TRUE);
  const LayoutRect progress = Scaled(LayoutRect{0, 4, kProgressBarWidth, kStatusLineHeight - 8});
  MoveWindow(controls_.ProgressBar1, std::max(0, width - progress.width - Scaled(24)), progress.y,
             progress.width, progress.height, TRUE);
}

void TForm1::DispatchCommand(int id, int code, HWND sender) {
  struct Route {
    int id;
    void (TForm1::*handler)();
    int code = 0;  // the notification that runs the handler; 0 for menus, buttons and clicks
  };
  static constexpr Route kRoutes[] = {
      {ids::mnuCaputure, &TForm1::mnuCaputureClick},
      {ids::smnuCaputure, &TForm1::mnuCaputureClick},
      {ids::SpeedButton1, &TForm1::mnuCaputureClick},
      {ids::mnuCaptureScreen, &TForm1::mnuCaptureScreenClick},
      {ids::smnuCaptureScreen, &TForm1::mnuCaptureScreenClick},
      {ids::mnuCaptureWindow, &TForm1::mnuCaptureWindowClick},
      {ids::smnuCaptureWindow, &TForm1::mnuCaptureWindowClick},
      {ids::mnuCaptureRegion, &TForm1::mnuCaptureRegionClick},
      {ids::smnuCaptureRegion, &TForm1::mnuCaptureRegionClick},
      {ids::mnuRead, &TForm1::mnuReadClick},
      {ids::smnuRead, &TForm1::mnuReadClick},
      {ids::SpeedButton4, &TForm1::mnuReadClick},
      {ids::mnuTmpRead, &TForm1::mnuTmpReadClick},
      {ids::smnuTmpRead, &TForm1::mnuTmpReadClick},
      {ids::SpeedButton10, &TForm1::mnuTmpReadClick},
      {ids::Panel1, &TForm1::mnuTmpReadClick},
      {ids::mnuClipRead, &TForm1::mnuClipReadClick},
      {ids::smnuClipRead, &TForm1::mnuClipReadClick},
      {ids::SpeedButton9, &TForm1::mnuClipReadClick},
      {ids::mnuWrite, &TForm1::mnuWriteClick},
      {ids::smnuWrite, &TForm1::mnuWriteClick},
      {ids::SpeedButton5, &TForm1::mnuWriteClick},
      {ids::mnuPrint, &TForm1::mnuPrintClick},
      {ids::smnuPrint, &TForm1::mnuPrintClick},
      {ids::SpeedButton8, &TForm1::mnuPrintClick},
      {ids::mnuExit, &TForm1::mnuExitClick},
      {ids::smnuExit, &TForm1::mnuExitClick},
      {ids::mnuCut, &TForm1::mnuCutClick},
      {ids::smnuCut, &TForm1::mnuCutClick},
      {ids::SpeedButton2, &TForm1::mnuCutClick},
      {ids::mnuResize, &TForm1::SpeedButton12Click},
      {ids::SpeedButton12, &TForm1::SpeedButton12Click},
      {ids::mnuExtEdit, &TForm1::mnuExtEditClick},
      {ids::smnuExtEdit, &TForm1::mnuExtEditClick},
      {ids::SpeedButton3, &TForm1::mnuExtEditClick},
      {ids::mnuAdjSz, &TForm1::mnuAdjSzClick},
      {ids::smnuAdjSz, &TForm1::mnuAdjSzClick},
      {ids::SpeedButton6, &TForm1::mnuAdjSzClick},
      {ids::mnuSetting, &TForm1::mnuSettingClick},
      {ids::mnuUndo, &TForm1::mnuUndoClick},
      {ids::smnuUndo, &TForm1::mnuUndoClick},
      {ids::mnuRedo, &TForm1::mnuRedoClick},
      {ids::smnuRedo, &TForm1::mnuRedoClick},
      {ids::smnuSetting, &TForm1::mnuSettingClick},
      {ids::SpeedButton7, &TForm1::mnuSettingClick},
      {ids::Help1, &TForm1::SpeedButton11Click},
      {ids::SpeedButton11, &TForm1::SpeedButton11Click},
      {ids::Button13, &TForm1::Button13Click},
      {ids::Button9, &TForm1::Button9Click},
      {ids::Button17, &TForm1::Button17Click},
      {ids::Button6, &TForm1::Button6Click},
      {ids::Button14, &TForm1::Button14Click},
      {ids::Button10, &TForm1::Button10Click},
      {ids::Button18, &TForm1::Button18Click},
      {ids::Button7, &TForm1::Button7Click},
      {ids::Button15, &TForm1::Button15Click},
      {ids::Button11, &TForm1::Button11Click},
      {ids::Button19, &TForm1::Button19Click},
      {ids::Button2, &TForm1::Button2Click},
      {ids::Button16, &TForm1::Button16Click},
      {ids::Button4, &TForm1::Button4Click},
      {ids::Button20, &TForm1::Button20Click},
      {ids::Button12, &TForm1::Button12Click},
      {ids::Button1, &TForm1::Button1Click},
      {ids::Button5, &TForm1::Button5Click},
      {ids::Button8, &TForm1::Button8Click},
      {ids::Button3, &TForm1::Button3Click},
      {ids::ComboBox1, &TForm1::ComboBox1Change, CBN_SELCHANGE},
      {ids::ComboBox1, &TForm1::ComboBox1Change, CBN_EDITCHANGE},
      {ids::Image11, &TForm1::Image11Click, STN_CLICKED},
      {ids::Image12, &TForm1::Image12Click, STN_CLICKED},
      {ids::Image13, &TForm1::Image13Click, STN_CLICKED},
      {ids::Image14, &TForm1::Image14Click, STN_CLICKED},
      {ids::Button21, &TForm1::Button21Click},
      {ids::Button22, &TForm1::Button22Click},
      {ids::Button23, &TForm1::Button23Click},
      {ids::Button24, &TForm1::Button24Click},
      {ids::Button25, &TForm1::Button25Click},
      {ids::Button26, &TForm1::Button26Click},
      {ids::ComboBox2, &TForm1::ComboBox2Change, CBN_SELCHANGE},
      {ids::ComboBox3, &TForm1::ComboBox3Change, CBN_SELCHANGE},
      {ids::smnuHide, &TForm1::smnuHideClick},
      {ids::smnuDraw, &TForm1::smnuDrawClick},
      {ids::smnuMove, &TForm1::smnuMoveClick},
  };
  // The four icon slots share one double-click handler, which tells them apart by the sender.
  if (code == STN_DBLCLK && id >= ids::Image11 && id <= ids::Image14) {
    Run([&] { Image11DblClick(sender); });
    return;
  }
  for (const Route& route : kRoutes) {
    if (route.id == id && route.code == code) {
      Run([&] { (this->*route.handler)(); });
      return;
    }
  }
}

}  // namespace app
