#include "win/controls/ScrollBox.h"

#include <algorithm>

#include "win/controls/ControlSupport.h"

namespace win::controls {
namespace {

struct ScrollBoxState {
  POINT position{0, 0};
  HWND content = nullptr;
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
      pos = std::clamp<LONG>(pos, 0, std::max(0, total - page));
      SCROLLINFO info{sizeof info,
                      SIF_RANGE | SIF_PAGE | SIF_POS,
                      0,
                      std::max(0, total - 1),
                      static_cast<UINT>(std::max(0, page)),
                      pos,
                      0};
      if (total <= page)
        info = SCROLLINFO{sizeof info, SIF_RANGE | SIF_PAGE | SIF_POS, 0, 0, 0, 0, 0};
      changed |= SetScrollBar(scrollBox, bar, info);
    }
    if (!changed) break;
  }
  ScrollTo(scrollBox, state, position);
}

// The largest position of a scroll bar: the range less the page; 0 when the content fits.
int MaxPosition(HWND scrollBox, int bar) {
  SCROLLINFO info{sizeof info, SIF_RANGE | SIF_PAGE};
  GetScrollInfo(scrollBox, bar, &info);
  if (info.nMax <= info.nMin) return 0;
  return std::max(0, info.nMax - static_cast<int>(info.nPage) + 1);
}

void Scroll(HWND scrollBox, ScrollBoxState& state, int bar, WORD request) {
  SCROLLINFO info{sizeof info, SIF_ALL};
  GetScrollInfo(scrollBox, bar, &info);
  int pos = info.nPos;
  switch (request) {
    case SB_LINEUP:
      pos -= kScrollBoxLine;
      break;
    case SB_LINEDOWN:
      pos += kScrollBoxLine;
      break;
    case SB_PAGEUP:
      pos -= static_cast<int>(info.nPage);
      break;
    case SB_PAGEDOWN:
      pos += static_cast<int>(info.nPage);
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      pos = info.nTrackPos;
      break;
    case SB_TOP:
      pos = info.nMin;
      break;
    case SB_BOTTOM:
      pos = info.nMax;
      break;
    default:
      return;
  }
  pos = std::clamp(pos, 0, MaxPosition(scrollBox, bar));
  POINT position = state.position;
  (bar == SB_HORZ ? position.x : position.y) = pos;
  SetScrollPos(scrollBox, bar, pos, TRUE);
  ScrollTo(scrollBox, state, position);
}

// A notch of the wheel scrolls as many lines as the system's setting asks, or a page.
void Wheel(HWND scrollBox, ScrollBoxState& state, bool up) {
  UINT lines = 3;
  SystemParametersInfoW(SPI_GETWHEELSCROLLLINES, 0, &lines, 0);
  if (lines == WHEEL_PAGESCROLL) {
    Scroll(scrollBox, state, SB_VERT, up ? SB_PAGEUP : SB_PAGEDOWN);
    return;
  }
  for (UINT i = 0; i < lines; ++i) Scroll(scrollBox, state, SB_VERT, up ? SB_LINEUP : SB_LINEDOWN);
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
      Wheel(window, *state, GET_WHEEL_DELTA_WPARAM(wParam) > 0);
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

}  // namespace

HWND CreateScrollBox(HWND parent, int id) {
  RegisterControlClass(GetModuleHandleW(nullptr), kScrollBoxClass, ScrollBoxProc);
  const ScrollBoxState initial;
  return CreateControl(kScrollBoxClass, WS_EX_CLIENTEDGE,
                       WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN | WS_HSCROLL | WS_VSCROLL, 0, 0, 0,
                       0, parent, id, &initial);
}

void SetScrollContent(HWND scrollBox, HWND content) {
  if (auto* state = StateOf<ScrollBoxState>(scrollBox)) {
    state->content = content;
    ApplyScrollRanges(scrollBox, *state);
  }
}

void UpdateScrollBox(HWND scrollBox) {
  if (auto* state = StateOf<ScrollBoxState>(scrollBox)) ApplyScrollRanges(scrollBox, *state);
}

POINT ScrollBoxPosition(HWND scrollBox) {
  auto* state = StateOf<ScrollBoxState>(scrollBox);
  return state ? state->position : POINT{0, 0};
}

void ScrollBoxScrollBy(HWND scrollBox, int dx, int dy) {
  auto* state = StateOf<ScrollBoxState>(scrollBox);
  if (!state) return;
  const POINT position{
      std::clamp<LONG>(state->position.x + dx, 0, MaxPosition(scrollBox, SB_HORZ)),
      std::clamp<LONG>(state->position.y + dy, 0, MaxPosition(scrollBox, SB_VERT))};
  SetScrollPos(scrollBox, SB_HORZ, position.x, TRUE);
  SetScrollPos(scrollBox, SB_VERT, position.y, TRUE);
  ScrollTo(scrollBox, *state, position);
}

}  // namespace win::controls
