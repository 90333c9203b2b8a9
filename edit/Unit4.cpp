#include "edit/Unit4.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <utility>

#include "core/Convert24.h"
#include "win/Dpi.h"
#include "win/ToolTips.h"
#include "win/controls/Panel.h"
#include "win/controls/Preview.h"
#include "win/controls/SpeedButton.h"

namespace edit {
namespace {

// Control IDs of the dialog.
constexpr int kPanel1 = 10;
constexpr int kPanel2 = 11;
constexpr int kImage1 = 12;
constexpr int kGroupBox1 = 13;
constexpr int kRadioButton1 = 14;
constexpr int kRadioButton2 = 15;
constexpr int kLabel1 = 16;
constexpr int kEdit1 = 17;
constexpr int kUpDown1 = 18;
constexpr int kBitBtn3 = 19;

// The layout's lengths are those of a 96-DPI screen, which the dialog scales to its own; the
// preview's are the picture's pixels.
constexpr int kDesignWidth = 426;
constexpr int kDesignHeight = 297;
constexpr POINT kPosition{185 + 100, 138};  // screen coordinates, whatever the main window's place
constexpr int kBottomPanelHeight = 54;
constexpr int kNarrowestWidth =
    420;                         // the dialog's width after a specified resize to a narrow size
constexpr int kResizeGlyph = 8;  // the picture of the tool bar's resize button
// The OK and Cancel buttons keep their distance to the right edge of the design's client area.
constexpr int kDesignClientWidth = 418;
constexpr int kOkLeft = 224;
constexpr int kCancelLeft = 320;

SIZE WindowSize(HWND window) {
  RECT r;
  GetWindowRect(window, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

}  // namespace

std::optional<ResizeChoice> TForm4::Execute(HWND owner, win::Prompts& prompts,
                                            const core::Dib& picture, host::Settings& settings) {
  TForm4 dialog(prompts, picture, settings);
  win::DialogFrame frame;
  frame.caption = L"リサイズ";
  frame.size = SIZE{kDesignWidth, kDesignHeight};
  frame.outerSize = true;
  frame.sizeable = true;
  const int dpi = win::WindowDpi(owner);
  frame.position = POINT{core::ScaleToDpi(kPosition.x, dpi), core::ScaleToDpi(kPosition.y, dpi)};
  if (dialog.ShowModal(owner, frame) != IDOK) return std::nullopt;
  return dialog.choice_;
}

TForm4::TForm4(win::Prompts& prompts, const core::Dib& picture, host::Settings& settings)
    : ModalDialog(prompts),
      settings_(settings),
      preview_(win::Picture::FromDib(picture.BitCount() == 24 ? picture.Clone()
                                                              : core::ConvertTo24(picture))) {}

void TForm4::OnCreate() {
  HWND dialog = Handle();
  ToolTips = win::CreateToolTips(dialog);
  Panel2 = win::controls::CreatePanel(dialog, kPanel2, 0, 0, 0, 0, BDR_SUNKENOUTER);
  Image1 = win::controls::CreatePreview(Panel2, kImage1, &preview_);
  Panel1 =
      win::controls::CreatePanel(dialog, kPanel1, 0, 0, 0, Scaled(kBottomPanelHeight), EDGE_SUNKEN);
  // The radio buttons stand on the panel at the group's place, so their clicks reach the dialog.
  AddControlIn(Panel1, WC_BUTTONW, L"指定", BS_GROUPBOX, kGroupBox1, 8, 8, 97, 41);
  AddControlIn(Panel1, WC_BUTTONW, L"横", BS_AUTORADIOBUTTON | WS_GROUP | WS_TABSTOP, kRadioButton1,
               8 + 8, 8 + 16, 33, 17);
  AddControlIn(Panel1, WC_BUTTONW, L"縦", BS_AUTORADIOBUTTON, kRadioButton2, 8 + 48, 8 + 16, 41,
               17);
  AddControlIn(Panel1, WC_STATICW, L"指定ｄｏｔ", SS_LEFT, kLabel1, 112, 8, 60, 13);
  Edit1 = AddControlIn(Panel1, WC_EDITW, L"640", WS_BORDER | ES_NUMBER | WS_TABSTOP, kEdit1, 112,
                       24, 49, 20);
  UpDown1 = AddControlIn(Panel1, UPDOWN_CLASSW, nullptr, UDS_SETBUDDYINT | UDS_NOTHOUSANDS,
                         kUpDown1, 161, 24, 15, 20);
  SendMessageW(UpDown1, UDM_SETBUDDY, reinterpret_cast<WPARAM>(Edit1), 0);
  SendMessageW(UpDown1, UDM_SETRANGE32, kMinTypedPixels, kMaxTypedPixels);
  glyphs_.reset(win::controls::LoadGlyphStrip(L"TOOLGLYPHS", win::WindowDpi(dialog)));
  HWND specified =
      win::controls::CreateSpeedButton(Panel1, kBitBtn3, Scaled(184), Scaled(16), Scaled(25),
                                       Scaled(25), glyphs_.get(), kResizeGlyph);
  win::AddToolTip(ToolTips, dialog, specified, L"指定リサイズ");
  BitBtn1 = AddControlIn(Panel1, WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, kOkLeft,
                         16, 89, 25);
  BitBtn2 = AddControlIn(Panel1, WC_BUTTONW, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL,
                         kCancelLeft, 16, 89, 25);

  // As the dialog's creation reads them: the mode, and the number (its low 16 bits).
  CheckRadioButton(Panel1, kRadioButton1, kRadioButton2,
                   settings_.resizeMode != 0 ? kRadioButton2 : kRadioButton1);
  SendMessageW(UpDown1, UDM_SETPOS32, 0, static_cast<int16_t>(settings_.resizeDot & 0xFFFF));
  FormResize();
}

int TForm4::BoxPixels() {
  // The up-down control would take a number outside its range as no number at all and keep its
  // last position while the box goes on showing the typed one, so the dialog reads the box itself.
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(Edit1)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(Edit1, text.data(), static_cast<int>(text.size()))));
  const int last = static_cast<int>(SendMessageW(UpDown1, UDM_GETPOS32, 0, 0));
  const TypedPixels typed =
      ParseTypedPixels(text, std::clamp(last, kMinTypedPixels, kMaxTypedPixels));
  if (typed.refused) DialogPrompts().Beep(MB_ICONQUESTION);
  // Shown in the box as well, and the arrows step on from it.
  SendMessageW(UpDown1, UDM_SETPOS32, 0, typed.value);
  return typed.value;
}

PixelSize TForm4::PreviewAreaSize() const {
  RECT area;
  GetWindowRect(Panel2, &area);
  return PixelSize{area.right - area.left, area.bottom - area.top};
}

void TForm4::FormResize() {
  RECT client;
  GetClientRect(Handle(), &client);
  const int panelHeight = Scaled(kBottomPanelHeight);
  const int areaHeight = std::max(0, static_cast<int>(client.bottom) - panelHeight);
  MoveWindow(Panel2, 0, 0, client.right, areaHeight, TRUE);
  MoveWindow(Panel1, 0, areaHeight, client.right, panelHeight, TRUE);
  const int rightShift = client.right - Scaled(kDesignClientWidth);
  for (const auto& [button, left] :
       {std::pair{BitBtn1, kOkLeft}, std::pair{BitBtn2, kCancelLeft}}) {
    MoveWindow(button, Scaled(left) + rightShift, Scaled(16), Scaled(89), Scaled(25), TRUE);
  }
  const std::optional<PixelSize> fitted =
      FitPreview(PixelSize{preview_.Width(), preview_.Height()}, PreviewAreaSize());
  if (fitted) MoveWindow(Image1, 0, 0, fitted->width, fitted->height, TRUE);
}

void TForm4::RadioButton1Click() {
  settings_.resizeMode = IsDlgButtonChecked(Panel1, kRadioButton1) == BST_CHECKED ? 0 : 1;
}

void TForm4::UpDown1Click() { settings_.resizeDot = BoxPixels(); }

void TForm4::BitBtn3Click() {
  const int pixels = BoxPixels();
  settings_.resizeDot = pixels;
  const std::optional<PixelSize> size = SpecifiedSize(
      PixelSize{preview_.Width(), preview_.Height()}, settings_.resizeMode != 0, pixels);
  if (!size) return;
  const SIZE dialog = WindowSize(Handle());
  const PixelSize area = PreviewAreaSize();
  const int extraWidth = dialog.cx - area.width;
  const int extraHeight = dialog.cy - area.height;
  MoveWindow(Panel2, 0, 0, size->width, size->height, FALSE);
  MoveWindow(Image1, 0, 0, size->width, size->height, FALSE);
  const int narrowest = Scaled(kNarrowestWidth);
  const int width = size->width > narrowest ? extraWidth + size->width : narrowest;
  SetWindowPos(Handle(), nullptr, 0, 0, width, extraHeight + size->height,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The dialog lays itself out again, which refits the preview into its area, also when its size
  // stayed as it was (a second press) and no size change would make it.
  FormResize();
}

void TForm4::BitBtn1Click() {
  RadioButton1Click();
  settings_.resizeDot = BoxPixels();
  RECT preview;
  GetWindowRect(Image1, &preview);
  choice_.size = PixelSize{preview.right - preview.left, preview.bottom - preview.top};
  choice_.scale = SamplingScale(PixelSize{preview_.Width(), preview_.Height()}, choice_.size,
                                PreviewAreaSize().width);
  End(IDOK);
}

bool TForm4::OnCommand(int id, int notification, HWND control) {
  switch (id) {
    case kRadioButton1:
    case kRadioButton2:
      if (notification == BN_CLICKED) RadioButton1Click();
      return true;
    case kBitBtn3:
      BitBtn3Click();
      return true;
    case IDOK:
      BitBtn1Click();
      return true;
    default:
      return ModalDialog::OnCommand(id, notification, control);
  }
}

bool TForm4::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR&) {
  switch (message) {
    case WM_SIZE:
      if (Panel2) FormResize();
      return false;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (reinterpret_cast<HWND>(lParam) == UpDown1 && LOWORD(wParam) == SB_THUMBPOSITION) {
        UpDown1Click();
        return true;
      }
      return false;
    default:
      return false;
  }
}

}  // namespace edit
