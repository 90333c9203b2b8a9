#pragma once
// The base of the program's own dialogs. Each dialog is one class, created for each use and shown
// by a typed entry point of its own (input in, optional result out) that calls ShowModal. The frame
// comes from an in-memory template; the controls are made in OnCreate at pixel positions of a
// 96-DPI screen, which the dialog scales to its own resolution, as it does its size and font. The
// dialog procedure never throws: each handler runs inside the error boundary, which shows the
// error in the application's error box and leaves the dialog open.

#include <windows.h>

#include <optional>

#include "core/DpiScale.h"
#include "win/Handles.h"
#include "win/Prompts.h"

namespace win {

// The dialog window: its caption, its size and where it opens.
struct DialogFrame {
  const wchar_t* caption = L"";
  SIZE size{};  // the client area, or the whole window with `outerSize`, at 96 DPI
  bool outerSize = false;
  bool sizeable = false;          // a sizing border (the title bar still has only the close button)
  std::optional<POINT> position;  // the window's top-left on the screen; else centred on its owner
};

class ModalDialog {
 public:
  ModalDialog(const ModalDialog&) = delete;
  ModalDialog& operator=(const ModalDialog&) = delete;

 protected:
  explicit ModalDialog(Prompts& prompts) : prompts_(prompts) {}
  virtual ~ModalDialog() = default;

  // Shows the dialog and returns when it ends: the code given to End, or IDCANCEL for the close
  // box, Escape and Cancel. Throws core::Error when the dialog cannot be made.
  INT_PTR ShowModal(HWND owner, const DialogFrame& frame);
  // The same with a client area of the given size, centred on the owner.
  INT_PTR ShowModal(HWND owner, const wchar_t* caption, int clientWidth, int clientHeight);

  HWND Handle() const { return window_; }
  Prompts& DialogPrompts() const { return prompts_; }
  // A length of the 96-DPI layout at the dialog's resolution (core::ScaleToDpi).
  int Scaled(int designPixels) const;
  // Ends the dialog with `result` once the current message has been handled.
  void End(INT_PTR result);

  // Makes the controls; called once, when the dialog window exists.
  virtual void OnCreate() = 0;
  // A command from a control, the Enter key (IDOK) or Escape and the close box (IDCANCEL).
  // Returns true when handled; unhandled IDOK and IDCANCEL end the dialog with their code.
  virtual bool OnCommand(int id, int notification, HWND control);
  // Any other message; returns true with `result` when handled.
  virtual bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result);

  // A child control in the dialog's font at a place of the client area, given in pixels of the
  // 96-DPI layout.
  HWND AddControl(const wchar_t* className, const wchar_t* text, DWORD style, int id, int x, int y,
                  int width, int height);
  // The same inside another control of the dialog (a panel or a group).
  HWND AddControlIn(HWND parent, const wchar_t* className, const wchar_t* text, DWORD style, int id,
                    int x, int y, int width, int height);
  // The same with (x, y) counted from `origin`, a point of the client area in the dialog's own
  // pixels (a corner that another control reports).
  HWND AddControlAt(POINT origin, const wchar_t* className, const wchar_t* text, DWORD style,
                    int id, int x, int y, int width, int height);

 private:
  static INT_PTR CALLBACK DialogProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  INT_PTR Dispatch(UINT message, WPARAM wParam, LPARAM lParam);

  void PlaceFrame();
  // A control in `parent` at `origin` (the dialog's pixels) plus the scaled place.
  HWND MakeControl(HWND parent, POINT origin, const wchar_t* className, const wchar_t* text,
                   DWORD style, int id, int x, int y, int width, int height);
  // Gives the dialog the template's font at its resolution, where the system made it for another.
  void FitFont();

  Prompts& prompts_;
  HWND window_ = nullptr;
  DialogFrame frame_;
  int dpi_ = core::kDesignDpi;
  UniqueFont font_;  // the dialog's font when the template's does not fit its resolution
};

// The answer to WM_CTLCOLORSTATIC for a static control drawn in `text` on `background`: sets both
// colours in `dc` and returns `brush`, which paints that background, as the message's result.
INT_PTR StaticColors(HDC dc, COLORREF text, COLORREF background, HBRUSH brush);
// The same on the dialog's own face colour.
INT_PTR StaticColorsOnFace(HDC dc, COLORREF text);

}  // namespace win
