#include "app/win/Controls.h"

#include <windowsx.h>

#include <algorithm>

#include "win/Handles.h"

namespace app::controls {
namespace {

constexpr int kGlyphSize = 16;
constexpr COLORREF kGlyphTransparent = RGB(255, 0, 255);

template <typename State>
State* StateOf(HWND window) {
  return reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Creates the window's state from the creation parameter at WM_NCCREATE and deletes it at
// WM_NCDESTROY; returns the current state for every other message.
template <typename State>
State* TrackState(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* state = new State(*static_cast<const State*>(create->lpCreateParams));
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return state;
  }
  State* state = StateOf<State>(window);
  if (message == WM_NCDESTROY) {
    delete state;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return nullptr;
  }
  return state;
}

void SendCommandToTop(HWND control) {
  SendMessageW(GetAncestor(control, GA_ROOT), WM_COMMAND,
               MAKEWPARAM(GetDlgCtrlID(control), BN_CLICKED), reinterpret_cast<LPARAM>(control));
}

// Messages that standard child controls send to their parent go on to the top-level window, so
// controls inside panels and pages reach the form like those placed on it directly.
bool ForwardToTop(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result) {
  const bool fromChildControl =
      message == WM_COMMAND || message == WM_NOTIFY || message == WM_DRAWITEM ||
      ((message == WM_HSCROLL || message == WM_VSCROLL) && lParam != 0);
  if (!fromChildControl) return false;
  result = SendMessageW(GetAncestor(window, GA_ROOT), message, wParam, lParam);
  return true;
}

// Press and release inside the control, as a button click: true when the release completes one.
struct ClickTracker {
  bool pressed = false;

  void Down(HWND window) {
    pressed = true;
    SetCapture(window);
  }
  bool Up(HWND window, LPARAM lParam) {
    const bool was = pressed;
    pressed = false;
    if (GetCapture() == window) ReleaseCapture();
    RECT area;
    GetClientRect(window, &area);
    const POINT at{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
    return was && PtInRect(&area, at);
  }
};

// --- TPanel: a flat panel with an optional bevel; a click on its bare surface is a command. ---

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
      win::PaintDc paint(window);
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

// --- TSpeedButton: a picture-only push button that never takes the focus. ---

struct SpeedButtonState {
  HBITMAP glyphs = nullptr;
  int glyphIndex = 0;
  ClickTracker click;
  bool showPressed = false;
};

void PaintSpeedButton(HWND window, const SpeedButtonState& state) {
  win::PaintDc paint(window);
  RECT area;
  GetClientRect(window, &area);
  DrawFrameControl(paint.get(), &area, DFC_BUTTON,
                   DFCS_BUTTONPUSH | (state.showPressed ? DFCS_PUSHED : 0));
  if (!state.glyphs) return;
  const bool enabled = IsWindowEnabled(window);
  const int source = state.glyphIndex * 2 * kGlyphSize + (enabled ? 0 : kGlyphSize);
  const int shift = state.showPressed ? 1 : 0;
  const int x = (area.right - kGlyphSize) / 2 + shift;
  const int y = (area.bottom - kGlyphSize) / 2 + shift;
  win::UniqueMemoryDc memory(CreateCompatibleDC(paint.get()));
  win::Selection select(memory.get(), state.glyphs);
  TransparentBlt(paint.get(), x, y, kGlyphSize, kGlyphSize, memory.get(), source, 0, kGlyphSize,
                 kGlyphSize, kGlyphTransparent);
}

LRESULT CALLBACK SpeedButtonProc(HWND window, UINT message, WPARAM wParam,
                                 LPARAM lParam) noexcept {
  SpeedButtonState* state = TrackState<SpeedButtonState>(window, message, lParam);
  if (!state) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
      PaintSpeedButton(window, *state);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_ENABLE:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      state->click.Down(window);
      state->showPressed = true;
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_MOUSEMOVE:
      if (state->click.pressed) {
        RECT area;
        GetClientRect(window, &area);
        const bool inside = PtInRect(&area, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
        if (inside != state->showPressed) {
          state->showPressed = inside;
          InvalidateRect(window, nullptr, FALSE);
        }
      }
      return 0;
    case WM_LBUTTONUP: {
      const bool clicked = state->click.Up(window, lParam);
      state->showPressed = false;
      InvalidateRect(window, nullptr, FALSE);
      if (clicked) SendCommandToTop(window);
      return 0;
    }
    case WM_CAPTURECHANGED:
      state->click.pressed = false;
      state->showPressed = false;
      InvalidateRect(window, nullptr, FALSE);
      break;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// --- TScrollBox: scrolls its single child (the picture control) with its scroll bars. ---

struct ScrollBoxState {
  POINT position{0, 0};
  HWND content = nullptr;  // the picture control, whose size sets the scroll ranges
};

SIZE ContentSize(const ScrollBoxState& state) {
  if (!state.content) return SIZE{0, 0};
  RECT r;
  GetWindowRect(state.content, &r);
  return SIZE{r.right - r.left, r.bottom - r.top};
}

// Moves every child (the picture and whatever lies on it) to the new scroll position.
void ScrollTo(HWND scrollBox, ScrollBoxState& state, POINT position) {
  const int dx = state.position.x - position.x;
  const int dy = state.position.y - position.y;
  state.position = position;
  if (dx || dy) {
    ScrollWindowEx(scrollBox, dx, dy, nullptr, nullptr, nullptr, nullptr,
                   SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  }
}

bool IsScrollBox(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return wcscmp(name, kScrollBoxClass) == 0;
}

// Sets a scroll bar unless it shows these values already: setting one redraws it even when nothing
// changes, and the redraw, not the change, is what costs. Returns whether it was set.
bool SetScrollBar(HWND scrollBox, int bar, const SCROLLINFO& wanted) {
  SCROLLINFO current{sizeof current, SIF_RANGE | SIF_PAGE | SIF_POS};
  if (GetScrollInfo(scrollBox, bar, &current) && current.nMin == wanted.nMin &&
      current.nMax == wanted.nMax && current.nPage == wanted.nPage && current.nPos == wanted.nPos) {
    return false;
  }
  SetScrollInfo(scrollBox, bar, &wanted, TRUE);
  return true;
}

void ApplyScrollRanges(HWND scrollBox, ScrollBoxState& state) {
  const SIZE content = ContentSize(state);
  POINT position = state.position;
  // The scroll bars take room from the client area, which can make the other one necessary; a
  // second look is needed only when the first changed a bar.
  for (int pass = 0; pass < 2; ++pass) {
    RECT client;
    GetClientRect(scrollBox, &client);
    bool changed = false;
    for (int bar : {SB_HORZ, SB_VERT}) {
      const int total = bar == SB_HORZ ? content.cx : content.cy;
      const int page = bar == SB_HORZ ? client.right : client.bottom;
      LONG& pos = bar == SB_HORZ ? position.x : position.y;
      pos = std::max(0L, std::min<LONG>(pos, std::max(0, total - page)));
      SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, std::max(0, total - 1),
                      static_cast<UINT>(std::max(0, page)), pos, 0};
      if (total <= page) info = SCROLLINFO{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
      changed |= SetScrollBar(scrollBox, bar, info);
    }
    if (!changed) break;
  }
  ScrollTo(scrollBox, state, position);
}

void Scroll(HWND scrollBox, ScrollBoxState& state, int bar, WORD request) {
  SCROLLINFO info{sizeof info, SIF_ALL};
  GetScrollInfo(scrollBox, bar, &info);
  int pos = info.nPos;
  const int line = 16;
  switch (request) {
    case SB_LINEUP: pos -= line; break;
    case SB_LINEDOWN: pos += line; break;
    case SB_PAGEUP: pos -= static_cast<int>(info.nPage); break;
    case SB_PAGEDOWN: pos += static_cast<int>(info.nPage); break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: pos = info.nTrackPos; break;
    case SB_TOP: pos = info.nMin; break;
    case SB_BOTTOM: pos = info.nMax; break;
    default: return;
  }
  const int maxPos = std::max(0, info.nMax - static_cast<int>(info.nPage) + 1);
  pos = std::clamp(pos, 0, maxPos);
  POINT position = state.position;
  (bar == SB_HORZ ? position.x : position.y) = pos;
  SetScrollPos(scrollBox, bar, pos, TRUE);
  ScrollTo(scrollBox, state, position);
}

LRESULT CALLBACK ScrollBoxProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  LRESULT forwarded = 0;
  if (ForwardToTop(window, message, wParam, lParam, forwarded)) return forwarded;
  ScrollBoxState* state = TrackState<ScrollBoxState>(window, message, lParam);
  if (!state) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_SIZE:
      ApplyScrollRanges(window, *state);
      return 0;
    case WM_HSCROLL:
      Scroll(window, *state, SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_VSCROLL:
      Scroll(window, *state, SB_VERT, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      Scroll(window, *state, SB_VERT,
             GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? SB_LINEUP : SB_LINEDOWN);
      return 0;
    case WM_ERASEBKGND: {
      RECT area;
      GetClientRect(window, &area);
      FillRect(reinterpret_cast<HDC>(wParam), &area, GetSysColorBrush(COLOR_BTNFACE));
      return 1;
    }
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

// --- TImage: shows a picture at its own size. ---

struct ImageState {
  const win::Picture* picture = nullptr;
};

LRESULT CALLBACK ImageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  ImageState* state = TrackState<ImageState>(window, message, lParam);
  if (!state) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: {
      win::PaintDc paint(window);
      if (state->picture && !state->picture->Empty()) {
        win::PaletteSelection palette(paint.get(), state->picture->Palette(), FALSE);
        if (state->picture->Palette()) RealizePalette(paint.get());
        state->picture->Draw(paint.get(), 0, 0);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

void RegisterClasses(HINSTANCE instance) {
  struct ClassDef {
    const wchar_t* name;
    WNDPROC proc;
    UINT style;
  };
  const ClassDef classes[] = {
      {kPanelClass, PanelProc, 0},
      {kSpeedButtonClass, SpeedButtonProc, CS_DBLCLKS},
      {kScrollBoxClass, ScrollBoxProc, 0},
      {kImageClass, ImageProc, 0},
  };
  for (const ClassDef& def : classes) {
    WNDCLASSEXW existing{sizeof existing};
    if (GetClassInfoExW(instance, def.name, &existing)) continue;
    WNDCLASSEXW wc{sizeof wc};
    wc.style = def.style;
    wc.lpfnWndProc = def.proc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = def.name;
    RegisterClassExW(&wc);
  }
}

HWND CreatePanel(HWND parent, int id, int x, int y, int width, int height, UINT edge) {
  PanelState initial{edge, {}};
  return CreateWindowExW(0, kPanelClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN |
                         WS_CLIPSIBLINGS, x, y, width, height, parent,
                         reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                         &initial);
}

HWND CreateSpeedButton(HWND parent, int id, int x, int y, int width, int height, HBITMAP glyphs,
                       int glyphIndex) {
  SpeedButtonState initial{glyphs, glyphIndex, {}, false};
  return CreateWindowExW(0, kSpeedButtonClass, L"", WS_CHILD | WS_VISIBLE, x, y, width, height,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                         &initial);
}

HWND CreateScrollBox(HWND parent, int id) {
  ScrollBoxState initial;
  return CreateWindowExW(WS_EX_CLIENTEDGE, kScrollBoxClass, L"",
                         WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL, 0, 0, 0,
                         0, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                         &initial);
}

void UpdateScrollBox(HWND scrollBox) {
  if (auto* state = StateOf<ScrollBoxState>(scrollBox)) ApplyScrollRanges(scrollBox, *state);
}

POINT ScrollBoxPosition(HWND scrollBox) {
  auto* state = StateOf<ScrollBoxState>(scrollBox);
  return state ? state->position : POINT{0, 0};
}

HWND CreateImage(HWND parent, int id, const win::Picture* picture) {
  ImageState initial{picture};
  HWND image = CreateWindowExW(0, kImageClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                         parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)),
                         reinterpret_cast<HINSTANCE>(GetWindowLongPtrW(parent, GWLP_HINSTANCE)),
                         &initial);
  if (auto* box = StateOf<ScrollBoxState>(parent); box && IsScrollBox(parent)) box->content = image;
  return image;
}

void UpdateImage(HWND image) {
  auto* state = StateOf<ImageState>(image);
  if (!state || !state->picture) return;
  SetWindowPos(image, nullptr, 0, 0, state->picture->Width(), state->picture->Height(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  UpdateScrollBox(GetParent(image));
  InvalidateRect(image, nullptr, FALSE);
  UpdateWindow(image);
}

}  // namespace app::controls
