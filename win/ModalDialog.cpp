#include "win/ModalDialog.h"

#include <cstring>
#include <string_view>
#include <vector>

#include "core/Error.h"
#include "win/Dpi.h"
#include "win/ErrorBoundary.h"

namespace win {
namespace {

constexpr std::wstring_view kDialogFont = L"ＭＳ Ｐゴシック";
constexpr WORD kDialogFontPoints = 9;  // 12 pixels at 96 dots per inch
constexpr int kDialogFontPixels = 12;

void AppendWords(std::vector<WORD>& out, std::wstring_view text) {
  for (wchar_t c : text) out.push_back(static_cast<WORD>(c));
  out.push_back(0);
}

// A template without controls: the frame, the caption and the font.
std::vector<WORD> MakeTemplate(const DialogFrame& frame) {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD), 0);
  DLGTEMPLATE header{};
  header.style = DS_MODALFRAME | DS_SETFONT | WS_POPUP | WS_CAPTION | WS_SYSMENU;
  if (frame.sizeable) header.style |= WS_THICKFRAME;
  if (!frame.position) header.style |= DS_CENTER;
  std::memcpy(words.data(), &header, sizeof header);
  words.push_back(0);  // no menu
  words.push_back(0);  // the predefined dialog class
  AppendWords(words, frame.caption);
  words.push_back(kDialogFontPoints);
  AppendWords(words, kDialogFont);
  return words;
}

// Messages whose answer a dialog procedure returns itself instead of through DWLP_MSGRESULT.
bool ReturnsDirectly(UINT message) {
  return (message >= WM_CTLCOLORMSGBOX && message <= WM_CTLCOLORSTATIC) ||
         message == WM_COMPAREITEM || message == WM_VKEYTOITEM || message == WM_CHARTOITEM ||
         message == WM_QUERYDRAGICON;
}

}  // namespace

INT_PTR ModalDialog::ShowModal(HWND owner, const DialogFrame& frame) {
  frame_ = frame;
  const std::vector<WORD> dialogTemplate = MakeTemplate(frame_);
  const INT_PTR result = DialogBoxIndirectParamW(
      GetModuleHandleW(nullptr), reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), owner,
      DialogProc, reinterpret_cast<LPARAM>(this));
  if (result == -1) throw core::Error("ダイアログを表示できません。");
  return result;
}

INT_PTR ModalDialog::ShowModal(HWND owner, const wchar_t* caption, int clientWidth,
                               int clientHeight) {
  DialogFrame frame;
  frame.caption = caption;
  frame.size = SIZE{clientWidth, clientHeight};
  return ShowModal(owner, frame);
}

int ModalDialog::Scaled(int designPixels) const { return core::ScaleToDpi(designPixels, dpi_); }

// Sizes the window and puts it at its place, or keeps the template's centring for the new size.
void ModalDialog::PlaceFrame() {
  const SIZE size{Scaled(frame_.size.cx), Scaled(frame_.size.cy)};
  SIZE outer = size;
  if (!frame_.outerSize) {
    RECT r{0, 0, size.cx, size.cy};
    AdjustWindowRectEx(&r, static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_STYLE)), FALSE,
                       static_cast<DWORD>(GetWindowLongPtrW(window_, GWL_EXSTYLE)));
    outer = SIZE{r.right - r.left, r.bottom - r.top};
  }
  RECT placed;
  GetWindowRect(window_, &placed);
  POINT at{placed.left + (placed.right - placed.left - outer.cx) / 2,
           placed.top + (placed.bottom - placed.top - outer.cy) / 2};
  if (frame_.position) at = *frame_.position;
  SetWindowPos(window_, nullptr, at.x, at.y, outer.cx, outer.cy, SWP_NOZORDER | SWP_NOACTIVATE);
}

void ModalDialog::FitFont() {
  // The system makes the template's font for its own resolution, which a dialog on a screen of
  // another does not have.
  LOGFONTW font{};
  const auto current = reinterpret_cast<HFONT>(SendMessageW(window_, WM_GETFONT, 0, 0));
  if (!current || !GetObjectW(current, sizeof font, &font)) return;
  const LONG wanted = -Scaled(kDialogFontPixels);
  if (font.lfHeight == wanted) return;
  font.lfHeight = wanted;
  font.lfWidth = 0;
  font_.reset(CreateFontIndirectW(&font));
  if (font_) SendMessageW(window_, WM_SETFONT, reinterpret_cast<WPARAM>(font_.get()), FALSE);
}

void ModalDialog::End(INT_PTR result) { EndDialog(window_, result); }

bool ModalDialog::OnCommand(int id, int, HWND) {
  if (id == IDOK || id == IDCANCEL) {
    End(id);
    return true;
  }
  return false;
}

bool ModalDialog::OnMessage(UINT, WPARAM, LPARAM, INT_PTR&) { return false; }

HWND ModalDialog::AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int id,
                             int x, int y, int width, int height) {
  return AddControlIn(window_, className, text, style, id, x, y, width, height);
}

HWND ModalDialog::AddControlIn(HWND parent, const wchar_t* className, const wchar_t* text,
                               DWORD style, int id, int x, int y, int width, int height) {
  return MakeControl(parent, POINT{0, 0}, className, text, style, id, x, y, width, height);
}

HWND ModalDialog::AddControlAt(POINT origin, const wchar_t* className, const wchar_t* text,
                               DWORD style, int id, int x, int y, int width, int height) {
  return MakeControl(window_, origin, className, text, style, id, x, y, width, height);
}

HWND ModalDialog::MakeControl(HWND parent, POINT origin, const wchar_t* className,
                              const wchar_t* text, DWORD style, int id, int x, int y, int width,
                              int height) {
  HWND control = CreateWindowExW(
      0, className, text ? text : L"", WS_CHILD | WS_VISIBLE | style, origin.x + Scaled(x),
      origin.y + Scaled(y), Scaled(width), Scaled(height), parent,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), GetModuleHandleW(nullptr), nullptr);
  if (!control) throw core::Error("ダイアログの部品を作成できません。");
  SendMessageW(control, WM_SETFONT, SendMessageW(window_, WM_GETFONT, 0, 0), FALSE);
  return control;
}

INT_PTR ModalDialog::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  INT_PTR result = 0;
  switch (message) {
    case WM_INITDIALOG: {
      dpi_ = WindowDpi(window_);
      FitFont();
      PlaceFrame();
      if (!Guarded(window_, prompts_, [this] { OnCreate(); })) End(IDCANCEL);
      return TRUE;
    }
    case WM_COMMAND: {
      bool handled = false;
      Guarded(window_, prompts_, [&] {
        handled = OnCommand(LOWORD(wParam), HIWORD(wParam), reinterpret_cast<HWND>(lParam));
      });
      return handled;
    }
    case WM_NOTIFY: {
      bool handled = false;
      Guarded(window_, prompts_, [&] { handled = OnMessage(message, wParam, lParam, result); });
      if (handled) SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
      return handled;
    }
    default: {
      // Painting, sizing and the like: no error box here, since a box shown while painting
      // would ask for another paint. Such handlers are written not to throw.
      bool handled = false;
      try {
        handled = OnMessage(message, wParam, lParam, result);
      } catch (...) {
        handled = false;
      }
      if (!handled) return FALSE;
      if (ReturnsDirectly(message)) return result;
      SetWindowLongPtrW(window_, DWLP_MSGRESULT, result);
      return TRUE;
    }
  }
}

INT_PTR CALLBACK ModalDialog::DialogProc(HWND window, UINT message, WPARAM wParam,
                                         LPARAM lParam) noexcept {
  if (message == WM_INITDIALOG) {
    SetWindowLongPtrW(window, DWLP_USER, lParam);
    reinterpret_cast<ModalDialog*>(lParam)->window_ = window;
  }
  auto* self = reinterpret_cast<ModalDialog*>(GetWindowLongPtrW(window, DWLP_USER));
  if (!self) return FALSE;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, DWLP_USER, 0);
    self->window_ = nullptr;
    return FALSE;
  }
  return self->Dispatch(message, wParam, lParam);
}

INT_PTR StaticColors(HDC dc, COLORREF text, COLORREF background, HBRUSH brush) {
  SetTextColor(dc, text);
  SetBkColor(dc, background);
  return reinterpret_cast<INT_PTR>(brush);
}

INT_PTR StaticColorsOnFace(HDC dc, COLORREF text) {
  return StaticColors(dc, text, GetSysColor(COLOR_BTNFACE), GetSysColorBrush(COLOR_BTNFACE));
}

}  // namespace win
