#include "edit/Unit3.h"

#include <windows.h>
#include <commctrl.h>

#include <string>

#include "edit/Band.h"
#include "win/controls/ScrollBox.h"

namespace edit {
namespace {

constexpr int kClientWidth = 184;
constexpr int kClientHeight = 158;
// Where the arrows' panel (Panel4) lies in the dialog; its controls are placed relative to it.
constexpr int kArrowsLeft = 8;
constexpr int kArrowsTop = 0;
// The scroll arrows step as the picture area's own arrows do.
constexpr int kScrollLine = win::controls::kScrollBoxLine;
constexpr COLORREF kNavy = RGB(0, 0, 128);

struct ArrowControl {
  int id;
  bool horizontal;
  int x, y, width, height;  // within Panel4
};

constexpr ArrowControl kArrows[] = {
    {TForm3::UpDown1, false, 41, 0, 16, 33},  {TForm3::UpDown2, true, 64, 32, 33, 25},
    {TForm3::UpDown3, false, 40, 56, 17, 33}, {TForm3::UpDown4, true, 0, 32, 33, 25},
    {TForm3::UpDown5, false, 96, 0, 17, 89},  {TForm3::UpDown6, true, 0, 88, 97, 17},
};

}  // namespace

bool TForm3::Execute() {
  return ShowModal(window_.Owner(), L"微調整", kClientWidth, kClientHeight) == IDOK;
}

void TForm3::OnCreate() {
  RECT owner{};
  GetWindowRect(window_.Owner(), &owner);
  SetWindowPos(Handle(), HWND_TOP, owner.left + Scaled(100), owner.top, 0, 0, SWP_NOSIZE);

  LOGFONTW bold{};
  GetObjectW(reinterpret_cast<HFONT>(SendMessageW(Handle(), WM_GETFONT, 0, 0)), sizeof bold, &bold);
  bold.lfWeight = FW_BOLD;
  boldFont_.reset(CreateFontIndirectW(&bold));
  navy_.reset(CreateSolidBrush(kNavy));

  const auto boldControl = [&](HWND control) {
    SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(boldFont_.get()), FALSE);
  };
  boldControl(AddControl(WC_STATICW, L"X", SS_LEFT, Label1, 128, 8, 12, 12));
  boldControl(AddControl(WC_STATICW, nullptr, SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN, Panel2, 128,
                         32, 49, 17));
  boldControl(AddControl(WC_STATICW, L"Y", SS_LEFT, Label2, 128, 56, 12, 12));
  boldControl(AddControl(WC_STATICW, nullptr, SS_CENTER | SS_CENTERIMAGE | SS_SUNKEN, Panel3, 128,
                         72, 49, 17));
  AddControl(WC_BUTTONW, L"OK", BS_DEFPUSHBUTTON | WS_TABSTOP, IDOK, 8, 120, 81, 25);
  AddControl(WC_BUTTONW, L"キャンセル", BS_PUSHBUTTON | WS_TABSTOP, IDCANCEL, 96, 120, 81, 25);
  // The pictogram of the crop rectangle among the arrows.
  AddControl(WC_STATICW, nullptr, SS_SUNKEN, Panel1, kArrowsLeft + 16, kArrowsTop + 16, 65, 57);
  for (const ArrowControl& a : kArrows) {
    HWND upDown = AddControl(UPDOWN_CLASSW, nullptr, a.horizontal ? UDS_HORZ : 0, a.id,
                             kArrowsLeft + a.x, kArrowsTop + a.y, a.width, a.height);
    SendMessageW(upDown, UDM_SETRANGE32, static_cast<WPARAM>(-10), 10);
    SendMessageW(upDown, UDM_SETPOS32, 0, 0);
  }
  ShowSize();
}

bool TForm3::OnCommand(int id, int notification, HWND control) {
  if (id == IDOK) {
    const host::CropFrame& f = crop_.Crop();
    if (f.CropRight - f.CropLeft == 0 || f.CropBottom - f.CropTop == 0) {
      // Nothing would be left of the picture: the user widens the rectangle or cancels.
      window_.Refuse();
      return true;
    }
  }
  return ModalDialog::OnCommand(id, notification, control);
}

bool TForm3::OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) {
  switch (message) {
    case WM_VSCROLL:
    case WM_HSCROLL:
      if (LOWORD(wParam) == SB_THUMBPOSITION && lParam != 0) {
        UpDownClicked(reinterpret_cast<HWND>(lParam));
        result = 0;
        return true;
      }
      return false;
    case WM_CTLCOLORSTATIC: {
      const auto dc = reinterpret_cast<HDC>(wParam);
      switch (GetDlgCtrlID(reinterpret_cast<HWND>(lParam))) {
        case Panel2:
        case Panel3:
          result = win::StaticColors(dc, RGB(255, 255, 255), kNavy, navy_.get());
          return true;
        case Panel1:
          result = reinterpret_cast<INT_PTR>(GetSysColorBrush(COLOR_HIGHLIGHT));
          return true;
        case Label1:
        case Label2:
          result = win::StaticColorsOnFace(dc, RGB(0, 0, 0));
          return true;
        default:
          return false;
      }
    }
    default:
      return false;
  }
}

void TForm3::UpDownClicked(HWND upDown) {
  const auto position = static_cast<int>(SendMessageW(upDown, UDM_GETPOS32, 0, 0));
  SendMessageW(upDown, UDM_SETPOS32, 0, 0);
  if (position == 0) return;
  const Arrow arrow = position > 0 ? Arrow::Toward : Arrow::Away;
  switch (GetDlgCtrlID(upDown)) {
    case UpDown1:
      UpDown1Click(arrow);
      break;
    case UpDown2:
      UpDown2Click(arrow);
      break;
    case UpDown3:
      UpDown3Click(arrow);
      break;
    case UpDown4:
      UpDown4Click(arrow);
      break;
    case UpDown5:
      UpDown5Click(arrow);
      break;
    case UpDown6:
      UpDown6Click(arrow);
      break;
    default:
      break;
  }
}

void TForm3::UpDown5Click(Arrow arrow) {
  crop_.ScrollPictureBy(0, arrow == Arrow::Toward ? -kScrollLine : kScrollLine);
}

void TForm3::UpDown6Click(Arrow arrow) {
  crop_.ScrollPictureBy(arrow == Arrow::Toward ? kScrollLine : -kScrollLine, 0);
}

void TForm3::StepEdgeAndRedraw(CropEdge edge, Arrow arrow) {
  StepEdge(crop_.Crop(), edge, arrow, picture_.Picture().Width(), picture_.Picture().Height());
  RedrawBand();
}

void TForm3::RedrawBand() {
  host::CropFrame& f = crop_.Crop();
  const BandPath erase = ShownBandOutline(f);
  f.BandLeft = f.CropLeft;
  f.BandTop = f.CropTop;
  f.BandRight = f.CropRight;
  f.BandBottom = f.CropBottom;
  DrawBands(picture_, {erase, ShownBandOutline(f)});
  ShowSize();
}

void TForm3::ShowSize() {
  const host::CropFrame& f = crop_.Crop();
  SetDlgItemTextW(Handle(), Panel2, std::to_wstring(f.CropRight - f.CropLeft).c_str());
  SetDlgItemTextW(Handle(), Panel3, std::to_wstring(f.CropBottom - f.CropTop).c_str());
}

}  // namespace edit
