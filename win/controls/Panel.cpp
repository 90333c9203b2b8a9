#include "win/controls/Panel.h"

#include "win/Handles.h"
#include "win/controls/ControlSupport.h"

namespace win::controls {
namespace {

struct PanelState {
  UINT edge = 0;
  ClickTracker click;
};

LRESULT CALLBACK PanelProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  LRESULT forwarded = 0;
  if (ForwardToTop(window, message, wParam, lParam, forwarded)) return forwarded;
  PanelState* state = TrackState<PanelState>(window, message, lParam);
  if (!state) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: {
      PaintDc paint(window);
      RECT area;
      GetClientRect(window, &area);
      FillRect(paint.get(), &area, GetSysColorBrush(COLOR_BTNFACE));
      if (state->edge) DrawEdge(paint.get(), &area, state->edge, BF_RECT);
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_CTLCOLORSTATIC:
    case WM_CTLCOLORBTN:
      SetBkColor(reinterpret_cast<HDC>(wParam), GetSysColor(COLOR_BTNFACE));
      return reinterpret_cast<LRESULT>(GetSysColorBrush(COLOR_BTNFACE));
    case WM_LBUTTONDOWN:
      state->click.Down(window);
      return 0;
    case WM_LBUTTONUP:
      if (state->click.Up(window, lParam)) SendCommandToTop(window);
      return 0;
    case WM_CAPTURECHANGED:
      state->click.pressed = false;
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND CreatePanel(HWND parent, int id, int x, int y, int width, int height, UINT edge) {
  RegisterControlClass(GetModuleHandleW(nullptr), kPanelClass, PanelProc);
  const PanelState initial{edge, {}};
  return CreateControl(kPanelClass, 0, WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_CLIPSIBLINGS, x,
                       y, width, height, parent, id, &initial);
}

}  // namespace win::controls
