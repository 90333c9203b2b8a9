#include "app/win/Unit2.h"

#include <commctrl.h>

#include <algorithm>
#include <cwchar>
#include <iterator>
#include <string>
#include <tuple>

#include "app/win/About.h"
#include "core/Error.h"
#include "core/PathRules.h"
#include "win/Hotkey.h"
#include "win/Text.h"
#include "win/ToolTips.h"

namespace app {
namespace {

// Control IDs of the dialog.
enum : int {
  kPageControl1 = 100,
  kGroupBox1,
  kCheckBox1,
  kGroupBox2,
  kPanel1,
  kButton1,
  kGroupBox4,
  kEdit5,
  kButton2,
  kGroupBox3,
  kComboBox1,
  kCheckBox2,
  kLabel6,
  kEdit1,
  kUpDown1,
  kLabel5,
  kEdit2,
  kUpDown2,
  kLabel7,
  kEdit3,
  kUpDown3,
  kLabel1,
  kLabelVersion,
  kLabel9,
  kLabel8,
  kLabel4,
  kLabel10,
  kEdit4,
  kUpDown4,
  kGroupBoxDelay,
  kComboBoxDelay,
  kGroupBoxHotkey,
  kHotKeyCapture,
};

constexpr int kAppPage = 0;
constexpr int kAboutPage = 1;
constexpr int kCapturePage = 2;
constexpr COLORREF kNavy = RGB(0, 0, 128);
constexpr COLORREF kPurple = RGB(128, 0, 128);

// A font of the dialog in pixels of this screen.
win::UniqueFont MakeFont(int height, int weight, bool italic, bool underline) {
  return win::UniqueFont(CreateFontW(
      -height, 0, 0, 0, weight, italic, underline, FALSE, SHIFTJIS_CHARSET, OUT_DEFAULT_PRECIS,
      CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック"));
}

std::wstring FileNamePart(const std::wstring& path) {
  const size_t at = path.find_last_of(L"\\:");
  return at == std::wstring::npos ? path : path.substr(at + 1);
}

std::wstring ControlText(HWND control) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(control)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(control, text.data(), static_cast<int>(text.size()))));
  return text;
}

}  // namespace

bool TForm2::Execute(HWND owner, win::Prompts& prompts, Settings& settings, POINT position,
                     HotkeyTaker takeHotkey) {
  TForm2 dialog(prompts, settings, std::move(takeHotkey));
  win::DialogFrame frame;
  frame.caption = L"設定";
  frame.size = SIZE{265, 330};
  frame.position = position;
  return dialog.ShowModal(owner, frame) == IDOK;
}

TForm2::TForm2(win::Prompts& prompts, Settings& settings, HotkeyTaker takeHotkey)
    : ModalDialog(prompts),
      settings_(settings),
      takeHotkey_(std::move(takeHotkey)),
      FolderDialog1(prompts),
      MailAndHP1(prompts) {
  MailAndHP1.HomePageAddress = kHomePage;
  MailAndHP1.MailAddress = kMailAddress;
}

HWND TForm2::Add(const wchar_t* className, const wchar_t* text, DWORD style, int id, int x, int y,
                 int width, int height, int page, const wchar_t* hint) {
  // The pages' controls are placed from the corner of the tab control's display area.
  HWND control = page >= 0
                     ? AddControlAt(pageOrigin_, className, text, style, id, x, y, width, height)
                     : AddControl(className, text, style, id, x, y, width, height);
  if (page >= 0) pageControls_.emplace_back(control, page);
  if (hint) win::AddToolTip(ToolTips, Handle(), control, hint);
  return control;
}

HWND TForm2::AddUpDown(int id, HWND buddy, int minimum, int maximum, int step, int32_t value,
                       int page, const wchar_t* hint) {
  RECT box;
  GetWindowRect(buddy, &box);
  MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&box), 2);
  // Right beside the box, as high as it.
  HWND upDown = Add(UPDOWN_CLASSW, nullptr, UDS_SETBUDDYINT | UDS_NOTHOUSANDS | UDS_ARROWKEYS, id,
                    0, 0, 15, 0, page, hint);
  MoveWindow(upDown, box.right, box.top, Scaled(15), box.bottom - box.top, FALSE);
  SendMessageW(upDown, UDM_SETBUDDY, reinterpret_cast<WPARAM>(buddy), 0);
  SendMessageW(upDown, UDM_SETRANGE32, minimum, maximum);
  UDACCEL accel{0, static_cast<UINT>(step)};
  SendMessageW(upDown, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  SendMessageW(upDown, UDM_SETPOS32, 0, std::clamp(value, minimum, maximum));
  SetWindowTextW(buddy, std::to_wstring(value).c_str());
  return upDown;
}

void TForm2::OnCreate() {
  HWND dialog = Handle();
  FolderDialog1.Owner = dialog;
  ToolTips = win::CreateToolTips(dialog);
  bold_ = MakeFont(Scaled(12), FW_BOLD, false, false);
  large_ = MakeFont(Scaled(37), FW_BOLD, true, false);
  siteName_ = MakeFont(Scaled(16), FW_BOLD, false, false);
  link_ = MakeFont(Scaled(12), FW_BOLD, false, true);
  navy_.reset(CreateSolidBrush(kNavy));

  PageControl1 =
      Add(WC_TABCONTROLW, nullptr, WS_CLIPSIBLINGS | WS_TABSTOP, kPageControl1, 8, 8, 241, 289);
  for (const wchar_t* caption : {L"ｱﾌﾟﾘ設定", L"About", L"取込"}) {
    TCITEMW item{};
    item.mask = TCIF_TEXT;
    item.pszText = const_cast<wchar_t*>(caption);
    const int count = static_cast<int>(SendMessageW(PageControl1, TCM_GETITEMCOUNT, 0, 0));
    SendMessageW(PageControl1, TCM_INSERTITEMW, count, reinterpret_cast<LPARAM>(&item));
  }
  // The pages' controls stand on the dialog over the tab control's display area.
  RECT display{Scaled(8), Scaled(8), Scaled(8) + Scaled(241), Scaled(8) + Scaled(289)};
  SendMessageW(PageControl1, TCM_ADJUSTRECT, FALSE, reinterpret_cast<LPARAM>(&display));
  pageOrigin_ = POINT{display.left, display.top};

  // "ｱﾌﾟﾘ設定": four groups from top to bottom.
  Add(WC_BUTTONW, L"ﾒﾆｭｰ", BS_GROUPBOX, kGroupBox1, 4, 2, 217, 40, kAppPage);
  Add(WC_BUTTONW, L"次回よりﾒﾆｭｰを出さない", BS_AUTOCHECKBOX | WS_TABSTOP, kCheckBox1, 12, 18, 200,
      17, kAppPage, L"ﾒﾆｭｰOn/Off");
  Add(WC_BUTTONW, L"外部ｴﾃﾞｨﾀ", BS_GROUPBOX, kGroupBox2, 4, 46, 217, 44, kAppPage);
  Add(WC_STATICW, nullptr, SS_CENTER | SS_CENTERIMAGE, kPanel1, 12, 63, 164, 20, kAppPage);
  Add(WC_BUTTONW, L"...", BS_PUSHBUTTON | WS_TABSTOP, kButton1, 182, 63, 29, 20, kAppPage, L"参照");
  Add(WC_BUTTONW, L"Susieのパス", BS_GROUPBOX, kGroupBox4, 4, 94, 217, 44, kAppPage);
  Add(WC_EDITW, nullptr, WS_BORDER | ES_AUTOHSCROLL | WS_TABSTOP, kEdit5, 12, 111, 164, 20,
      kAppPage);
  Add(WC_BUTTONW, L"...", BS_PUSHBUTTON | WS_TABSTOP, kButton2, 182, 111, 29, 20, kAppPage);
  Add(WC_BUTTONW, L"ﾌﾟﾘﾝﾀ", BS_GROUPBOX, kGroupBox3, 4, 142, 217, 112, kAppPage);
  Add(WC_COMBOBOXW, nullptr, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP, kComboBox1, 12, 158, 199,
      160, kAppPage);
  Add(WC_BUTTONW, L"ｻｲｽﾞ手動設定", BS_AUTOCHECKBOX | WS_TABSTOP, kCheckBox2, 12, 184, 120, 17,
      kAppPage);
  Add(WC_STATICW, L"ﾌﾟﾘﾝﾀ倍率（％）", SS_LEFT, kLabel6, 12, 208, 100, 13, kAppPage);
  HWND edit1 = Add(WC_EDITW, nullptr, WS_BORDER | WS_TABSTOP, kEdit1, 116, 205, 44, 20, kAppPage);
  Add(WC_STATICW, L"左", SS_LEFT, kLabel5, 12, 232, 14, 13, kAppPage);
  HWND edit2 = Add(WC_EDITW, nullptr, WS_BORDER | WS_TABSTOP, kEdit2, 28, 229, 44, 20, kAppPage);
  Add(WC_STATICW, L"上", SS_LEFT, kLabel7, 104, 232, 14, 13, kAppPage);
  HWND edit3 = Add(WC_EDITW, nullptr, WS_BORDER | WS_TABSTOP, kEdit3, 120, 229, 44, 20, kAppPage);

  // "About": the product, who makes it and how to reach them, and the JPEG quality.
  HWND name = Add(WC_STATICW, L"Capslate!! ", SS_LEFT | SS_NOTIFY, kLabel1, 8, 8, 217, 44,
                  kAboutPage, L"Ver情報&作者");
  SendMessageW(name, WM_SETFONT, reinterpret_cast<WPARAM>(large_.get()), FALSE);
  Add(WC_STATICW, (std::wstring(L"Version ") + kProductVersion).c_str(), SS_LEFT, kLabelVersion, 12,
      56, 200, 13, kAboutPage);
  HWND site = Add(WC_STATICW, kCredit, SS_LEFT, kLabel9, 12, 80, 210, 20, kAboutPage);
  SendMessageW(site, WM_SETFONT, reinterpret_cast<WPARAM>(siteName_.get()), FALSE);
  for (const auto& [id, text, top] :
       {std::tuple{kLabel8, kHomePage, 108}, std::tuple{kLabel4, kMailAddress, 128}}) {
    HWND label = Add(WC_STATICW, text, SS_LEFT | SS_NOTIFY, id, 12, top, 210, 16, kAboutPage);
    SendMessageW(label, WM_SETFONT, reinterpret_cast<WPARAM>(link_.get()), FALSE);
  }
  Add(WC_STATICW, L"圧縮品質（低１－９９高）", SS_LEFT, kLabel10, 12, 168, 150, 13, kAboutPage);
  HWND edit4 = Add(WC_EDITW, nullptr, WS_BORDER | WS_TABSTOP, kEdit4, 12, 186, 44, 20, kAboutPage);

  // "取込": the delay before the screen is grabbed, and the region capture's hotkey.
  const INITCOMMONCONTROLSEX hotkeyClass{sizeof hotkeyClass, ICC_HOTKEY_CLASS};
  InitCommonControlsEx(&hotkeyClass);
  Add(WC_BUTTONW, L"待ち時間", BS_GROUPBOX, kGroupBoxDelay, 4, 2, 217, 48, kCapturePage);
  HWND delays = Add(WC_COMBOBOXW, nullptr, CBS_DROPDOWNLIST | WS_VSCROLL | WS_TABSTOP,
                    kComboBoxDelay, 12, 20, 100, 120, kCapturePage, L"取込むまでの秒数");
  for (const int32_t seconds : host::kCaptureDelays) {
    const std::wstring item = seconds == 0 ? L"なし" : std::to_wstring(seconds) + L" 秒";
    SendMessageW(delays, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(item.c_str()));
  }
  Add(WC_BUTTONW, L"範囲指定取込のﾎｯﾄｷｰ", BS_GROUPBOX, kGroupBoxHotkey, 4, 56, 217, 48,
      kCapturePage);
  HWND hotkey = Add(HOTKEY_CLASSW, nullptr, WS_BORDER | WS_TABSTOP, kHotKeyCapture, 12, 74, 160, 20,
                    kCapturePage, L"なし = 使わない");
  // A system-wide key needs Ctrl or Alt: a bare key or Shift alone becomes Ctrl+Alt with it.
  SendMessageW(hotkey, HKM_SETRULES, HKCOMB_NONE | HKCOMB_S,
               MAKELPARAM(HOTKEYF_CONTROL | HOTKEYF_ALT, 0));

  AddUpDown(kUpDown1, edit1, 50, 500, 10, settings_.printMulti, kAppPage, L"倍率");
  AddUpDown(kUpDown2, edit2, -100, 100, 1, settings_.printLeft, kAppPage);
  AddUpDown(kUpDown3, edit3, -100, 100, 1, settings_.printTop, kAppPage);
  AddUpDown(kUpDown4, edit4, 0, 100, 1, settings_.comp, kAboutPage);

  Add(WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 16, 304, 97, 25);
  Add(WC_BUTTONW, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 152, 304, 97, 25);
  SendMessageW(GetDlgItem(dialog, kPanel1), WM_SETFONT, reinterpret_cast<WPARAM>(bold_.get()),
               FALSE);
  FormCreate();
  ShowPage(kAppPage);
}

void TForm2::FormCreate() {
  HWND dialog = Handle();
  CheckDlgButton(dialog, kCheckBox1, settings_.windowMode != 0 ? BST_CHECKED : BST_UNCHECKED);
  ShowEditorName();
  // An unreadable printer list leaves the list empty; OK then stores that no printer is usable.
  HWND printers = GetDlgItem(dialog, kComboBox1);
  try {
    for (const std::wstring& printer : DialogPrompts().PrinterNames()) {
      SendMessageW(printers, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(printer.c_str()));
    }
  } catch (const core::Error&) {
    SendMessageW(printers, CB_RESETCONTENT, 0, 0);
  }
  SendMessageW(printers, CB_SETCURSEL, static_cast<WPARAM>(settings_.printNum), 0);
  CheckDlgButton(dialog, kCheckBox2, settings_.printManual != 0 ? BST_CHECKED : BST_UNCHECKED);
  SetDlgItemTextW(dialog, kEdit5, settings_.susiePath.c_str());
  const auto& delays = host::kCaptureDelays;
  const auto chosen = std::find(std::begin(delays), std::end(delays), settings_.captureDelay);
  SendDlgItemMessageW(dialog, kComboBoxDelay, CB_SETCURSEL,
                      chosen == std::end(delays) ? 0 : chosen - std::begin(delays), 0);
  SendDlgItemMessageW(dialog, kHotKeyCapture, HKM_SETHOTKEY,
                      static_cast<WPARAM>(settings_.captureHotkey), 0);
}

void TForm2::ShowEditorName() {
  SetDlgItemTextW(Handle(), kPanel1, FileNamePart(settings_.editPath).c_str());
}

void TForm2::ShowPage(int index) {
  SendMessageW(PageControl1, TCM_SETCURSEL, static_cast<WPARAM>(index), 0);
  for (const auto& [control, page] : pageControls_) {
    ShowWindow(control, page == index ? SW_SHOW : SW_HIDE);
  }
}

int32_t TForm2::BoxInteger(int id) {
  HWND box = GetDlgItem(Handle(), id);
  const std::wstring text = ControlText(box);
  const std::optional<int32_t> value = ParseInteger(text);
  if (value) return *value;
  for (const auto& [control, page] : pageControls_) {
    if (control == box) ShowPage(page);
  }
  SetFocus(box);
  SendMessageW(box, EM_SETSEL, 0, -1);
  throw core::Error("'" + win::Narrow(text) + "' は整数ではありません");
}

void TForm2::BitBtn1Click() {
  // Every box is read before any setting changes: a box that holds no integer leaves the settings
  // as they were and the dialog open, with that box focused.
  const int32_t multi = BoxInteger(kEdit1);
  const int32_t left = BoxInteger(kEdit2);
  const int32_t top = BoxInteger(kEdit3);
  const int32_t comp = BoxInteger(kEdit4);
  HWND dialog = Handle();
  // A hotkey another program holds is refused here, before any setting changes.
  const auto hotkey = static_cast<int32_t>(
      LOWORD(SendDlgItemMessageW(dialog, kHotKeyCapture, HKM_GETHOTKEY, 0, 0)));
  if (hotkey != settings_.captureHotkey && takeHotkey_ && !takeHotkey_(hotkey)) {
    ShowPage(kCapturePage);
    SetFocus(GetDlgItem(dialog, kHotKeyCapture));
    throw core::Error(win::Narrow(L"ホットキー " + win::HotkeyName(static_cast<WORD>(hotkey)) +
                                  L" は他のプログラムが使っています。別のキーを選んでください。"));
  }
  const LRESULT delay = SendDlgItemMessageW(dialog, kComboBoxDelay, CB_GETCURSEL, 0, 0);
  settings_.windowMode = IsDlgButtonChecked(dialog, kCheckBox1) == BST_CHECKED ? 1 : 0;
  HWND printers = GetDlgItem(dialog, kComboBox1);
  settings_.printNum = SendMessageW(printers, CB_GETCOUNT, 0, 0) > 0
                           ? static_cast<int32_t>(SendMessageW(printers, CB_GETCURSEL, 0, 0))
                           : -1;
  settings_.printManual = IsDlgButtonChecked(dialog, kCheckBox2) == BST_CHECKED ? 1 : 0;
  settings_.printMulti = multi;
  settings_.printLeft = left;
  settings_.printTop = top;
  settings_.comp = comp;
  settings_.susiePath = ControlText(GetDlgItem(dialog, kEdit5));
  if (delay >= 0 && delay < static_cast<LRESULT>(std::size(host::kCaptureDelays))) {
    settings_.captureDelay = host::kCaptureDelays[delay];
  }
  settings_.captureHotkey = hotkey;
  End(IDOK);
}

void TForm2::Button1Click() {
  std::wstring buffer(32768, L'\0');
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = Handle();
  request.lpstrFilter = L"実行ﾌｧｲﾙ(*.exe)\0*.exe\0";
  request.nFilterIndex = 1;
  request.lpstrFile = buffer.data();
  request.nMaxFile = static_cast<DWORD>(buffer.size());
  request.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
  if (!DialogPrompts().GetOpenFileName(request)) return;
  settings_.editPath = buffer.c_str();  // at once: Cancel of this dialog keeps the choice
  ShowEditorName();
}

void TForm2::Button2Click() {
  if (!FolderDialog1.Execute()) return;
  SetDlgItemTextW(Handle(), kEdit5, core::WithFolderBackslash(FolderDialog1.Folder).c_str());
}

bool TForm2::OnCommand(int id, int notification, HWND control) {
  switch (id) {
    case IDOK:
      BitBtn1Click();
      return true;
    case kButton1:
      Button1Click();
      return true;
    case kButton2:
      Button2Click();
      return true;
    case kLabel8:
      if (notification == STN_CLICKED) Label8Click();
      return true;
    case kLabel4:
      if (notification == STN_CLICKED) Label4Click();
      return true;
    default:
      return ModalDialog::OnCommand(id, notification, control);
  }
}

bool TForm2::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_NOTIFY: {
      const auto* header = reinterpret_cast<const NMHDR*>(lParam);
      if (header->hwndFrom != PageControl1 || header->code != TCN_SELCHANGE) return false;
      ShowPage(static_cast<int>(SendMessageW(PageControl1, TCM_GETCURSEL, 0, 0)));
      return true;
    }
    case WM_CTLCOLORSTATIC: {
      const HDC dc = reinterpret_cast<HDC>(wParam);
      switch (GetDlgCtrlID(reinterpret_cast<HWND>(lParam))) {
        case kPanel1:  // the editor's name: white on navy
          result = win::StaticColors(dc, RGB(255, 255, 255), kNavy, navy_.get());
          return true;
        case kLabel1:
        case kLabel8:
        case kLabel4:
          result = win::StaticColorsOnFace(
              dc, GetDlgCtrlID(reinterpret_cast<HWND>(lParam)) == kLabel4 ? kPurple : kNavy);
          return true;
        default:
          return false;
      }
    }
    default:
      return false;
  }
}

}  // namespace app
