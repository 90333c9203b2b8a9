#include "win/controls/ControlSupport.h"

#include <windowsx.h>

#include "win/WindowObject.h"

namespace win::controls {

void RegisterControlClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, UINT style) {
  WNDCLASSEXW wc{sizeof wc};
  wc.style = style;
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
  wc.lpszClassName = name;
  RegisterClassOnce(wc);
}

HWND CreateControl(const wchar_t* className, DWORD exStyle, DWORD style, int x, int y, int width,
                   int height, HWND parent, int id, const void* initial) {
  return CreateWindowExW(exStyle, className, L"", style, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                         const_cast<void*>(initial));
}

MouseButton ButtonOfMessage(UINT message) {
  if (message == WM_RBUTTONDOWN || message == WM_RBUTTONUP) return MouseButton::Right;
  if (message == WM_MBUTTONDOWN || message == WM_MBUTTONUP) return MouseButton::Middle;
  return MouseButton::Left;
}

void SendCommandToTop(HWND control) {
  SendMessageW(GetAncestor(control, GA_ROOT), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

bool ForwardToTop(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const bool fromChildControl = message == WM_COMMAND || message == WM_NOTIFY ||
                                message == WM_DRAWITEM ||
                                ((message == WM_HSCROLL || message == WM_VSCROLL) && lParam != 0);
  if (!fromChildControl) return false;
  result = SendMessageW(GetAncestor(window, GA_ROOT), message, wParam, lParam);
  return true;
}

void ClickTracker::Down(HWND window) {
  pressed = true;
  SetCapture(window);
}

bool ClickTracker::Up(HWND window, LPARAM lParam) {
  const bool was = pressed;
  pressed = false;
  if (GetCapture() == window) ReleaseCapture();
  RECT area;
  GetClientRect(window, &area);
  const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  return was && PtInRect(&area, at);
}

}  // namespace win::controls
