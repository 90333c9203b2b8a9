#include "win/controls/GraphicControl.h"

#include <windows.h>
#include <commctrl.h>
#include <windowsx.h>

#include <algorithm>
#include <utility>

#include "win/ErrorBoundary.h"
#include "win/Handles.h"
#include "win/controls/ScrollBox.h"

namespace win::controls {
namespace {

constexpr UINT_PTR kSubclassId = 0x47524150;  // the container's subclass
constexpr WPARAM kAnyButton = MK_LBUTTON | MK_RBUTTON | MK_MBUTTON;

bool IsScrollBox(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return wcscmp(name, kScrollBoxClass) == 0;
}

bool IsButtonDown(UINT message) {
  return message == WM_LBUTTONDOWN || message == WM_RBUTTONDOWN || message == WM_MBUTTONDOWN;
}

bool IsButtonUp(UINT message) {
  return message == WM_LBUTTONUP || message == WM_RBUTTONUP || message == WM_MBUTTONUP;
}

RECT ClientRectOf(const GraphicControl& c) {
  return RECT{c.Left(), c.Top(), c.Left() + c.Width(), c.Top() + c.Height()};
}

}  // namespace

// --- GraphicControl ---

GraphicControl::GraphicControl(GraphicSurface& surface) : surface_(surface) { surface_.Add(this); }

GraphicControl::~GraphicControl() {
  if (visible_) Invalidate();
  surface_.Remove(this);
}

int GraphicControl::Left() const { return contentLeft_ - surface_.Origin().x; }

int GraphicControl::Top() const { return contentTop_ - surface_.Origin().y; }

void GraphicControl::SetBounds(int left, int top, int width, int height) {
  const POINT origin = surface_.Origin();
  if (left + origin.x == contentLeft_ && top + origin.y == contentTop_ && width == width_ &&
      height == height_) {
    return;
  }
  const RECT before = ClientRectOf(*this);
  contentLeft_ = left + origin.x;
  contentTop_ = top + origin.y;
  width_ = width;
  height_ = height;
  if (!visible_) return;
  // A step of a drag: one area for where the control was and where it is now.
  const RECT after = ClientRectOf(*this);
  RECT both{};
  if (IntersectRect(&both, &before, &after)) {
    UnionRect(&both, &before, &after);
    surface_.InvalidateArea(both);
  } else {
    surface_.InvalidateArea(before);
    surface_.InvalidateArea(after);
  }
}

void GraphicControl::SetVisible(bool visible) {
  if (visible_ == visible) return;
  visible_ = visible;
  surface_.InvalidateArea(ClientRectOf(*this));
}

void GraphicControl::BringToFront() {
  if (surface_.IsFrontMost(this)) return;
  surface_.Raise(this);
  Invalidate();
}

void GraphicControl::Invalidate() const {
  if (visible_) surface_.InvalidateArea(ClientRectOf(*this));
}

void GraphicControl::Repaint() const {
  Invalidate();
  surface_.UpdateWindows();
}

void GraphicControl::SetCursor(const wchar_t* systemCursor) {
  if (cursor_ == systemCursor) return;
  cursor_ = systemCursor;
  // While the control holds the mouse no WM_SETCURSOR arrives, so the new cursor is shown here.
  if (surface_.IsPointerOn(this)) ::SetCursor(LoadCursorW(nullptr, cursor_));
}

void GraphicControl::Paint(HDC) {}

void GraphicControl::MouseDown(MouseButton button, int x, int y) {
  if (OnMouseDown) OnMouseDown(*this, button, POINT{x, y});
}

void GraphicControl::MouseMove(int, int) {}

void GraphicControl::MouseUp(MouseButton, int, int) {}

void GraphicControl::PressEnded() {}

// --- GraphicSurface ---

GraphicSurface::GraphicSurface(HWND container, Prompts& prompts)
    : container_(container), prompts_(prompts) {
  windows_.push_back(container);
  SetWindowSubclass(container, SubclassProc, kSubclassId, reinterpret_cast<DWORD_PTR>(this));
}

GraphicSurface::~GraphicSurface() {
  for (HWND window : windows_) {
    if (window == container_) {
      RemoveWindowSubclass(window, SubclassProc, kSubclassId);
    } else {
      SetImageOverlay(window, nullptr);
    }
  }
}

void GraphicSurface::AddUnderlay(HWND image) {
  windows_.push_back(image);
  // Not a subclass: a subclassed window costs a look-up in the window system at every message,
  // and the picture control receives every pointer move of a drag.
  SetImageOverlay(image, this);
}

bool GraphicSurface::OverlayMouse(HWND image, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_CAPTURECHANGED) {
    // The system or another window took the mouse (a menu, a dialog): the press is over.
    if (reinterpret_cast<HWND>(lParam) != image) EndPress(image);
    return false;
  }
  return HandleMouse(image, message, wParam, lParam);
}

bool GraphicSurface::OverlayCursor(HWND) { return HandleSetCursor(); }

void GraphicSurface::OverlayExcludeCovered(HWND image, HDC dc) {
  const POINT offset = OffsetOf(image);
  for (const GraphicControl* control : stack_) {
    if (!control->Visible() || !control->CoversPicture()) continue;
    RECT area = ClientRectOf(*control);
    OffsetRect(&area, -offset.x, -offset.y);
    ExcludeClipRect(dc, area.left, area.top, area.right, area.bottom);
  }
}

void GraphicSurface::OverlayPaint(HWND image, HDC dc) { PaintControls(image, dc); }

void GraphicSurface::OverlayDetached(HWND image) { std::erase(windows_, image); }

POINT GraphicSurface::Origin() const {
  return IsScrollBox(container_) ? ScrollBoxPosition(container_) : POINT{0, 0};
}

void GraphicSurface::Add(GraphicControl* control) { stack_.push_back(control); }

void GraphicSurface::Remove(GraphicControl* control) {
  std::erase(stack_, control);
  if (pressed_ == control) pressed_ = nullptr;
  if (hot_ == control) hot_ = nullptr;
}

void GraphicSurface::Raise(GraphicControl* control) {
  std::erase(stack_, control);
  stack_.push_back(control);
}

bool GraphicSurface::IsFrontMost(const GraphicControl* control) const {
  return !stack_.empty() && stack_.back() == control;
}

POINT GraphicSurface::OffsetOf(HWND window) const {
  if (window == container_) return POINT{0, 0};
  POINT at{0, 0};
  MapWindowPoints(window, container_, &at, 1);
  return at;
}

void GraphicSurface::InvalidateArea(const RECT& area) const {
  if (IsRectEmpty(&area)) return;
  bool covered = false;  // by a picture control, which clips the container's painting
  for (HWND window : windows_) {
    if (window == container_) continue;
    const POINT offset = OffsetOf(window);
    RECT local = area;
    OffsetRect(&local, -offset.x, -offset.y);
    RECT client{};
    GetClientRect(window, &client);
    RECT inside{};
    covered |= IntersectRect(&inside, &local, &client) && EqualRect(&inside, &local);
    InvalidateRect(window, &local, FALSE);
  }
  // The container shows its background where the controls let it through.
  if (!covered) InvalidateRect(container_, &area, TRUE);
}

void GraphicSurface::UpdateWindows() const {
  for (HWND window : windows_) UpdateWindow(window);
}

bool GraphicSurface::IsPointerOn(const GraphicControl* control) const {
  return control != nullptr && (pressed_ == control || (pressed_ == nullptr && hot_ == control));
}

GraphicControl* GraphicSurface::ControlAt(POINT client) const {
  for (auto it = stack_.rbegin(); it != stack_.rend(); ++it) {
    GraphicControl* control = *it;
    const RECT r = ClientRectOf(*control);
    if (control->Visible() && PtInRect(&r, client)) return control;
  }
  return nullptr;
}

void GraphicSurface::PaintControls(HWND window, HDC dc) const noexcept {
  const POINT offset = OffsetOf(window);
  RECT clip{};
  if (GetClipBox(dc, &clip) == NULLREGION) return;
  try {
    // A control may bring itself to the front while it paints, so the order is taken first.
    const std::vector<GraphicControl*> order = stack_;
    for (GraphicControl* control : order) {
      if (!control->Visible()) continue;
      RECT area = ClientRectOf(*control);
      OffsetRect(&area, -offset.x, -offset.y);
      RECT overlap{};
      if (!IntersectRect(&overlap, &area, &clip)) continue;
      const int saved = SaveDC(dc);
      OffsetViewportOrgEx(dc, area.left, area.top, nullptr);
      IntersectClipRect(dc, 0, 0, control->Width(), control->Height());
      try {
        control->Paint(dc);
      } catch (...) {
        // No error box while painting (it would ask for the next paint): the control stays
        // unpainted this time.
      }
      RestoreDC(dc, saved);
    }
  } catch (...) {
    // No memory for the order: the controls show with the next paint.
  }
}

bool GraphicSurface::HandleMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  GraphicControl* target = pressed_;
  if (!target) {
    // Nothing to pass the mouse to: asking the system anything would only slow the window down.
    if (std::none_of(stack_.begin(), stack_.end(), [](auto* c) { return c->Visible(); })) {
      hot_ = nullptr;
      return false;
    }
    // Another part of the program holds the mouse (a drag on the picture): leave it the mouse.
    if (GetCapture() == window) return false;
  }
  POINT client{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
  MapWindowPoints(window, container_, &client, 1);
  if (!target) {
    target = ControlAt(client);
    hot_ = target;
    if (!target) return false;
  }
  if (IsButtonDown(message) && !pressed_) {
    pressed_ = target;
    SetCapture(window);
  } else if (IsButtonUp(message) && pressed_ && (wParam & kAnyButton) == 0) {
    pressed_ = nullptr;
    if (GetCapture() == window) ReleaseCapture();
  }
  const bool handled =
      PassMouse(window, *target, message, client.x - target->Left(), client.y - target->Top());
  if (handled && message == WM_RBUTTONUP && target->PopupMenu) {
    POINT screen{};
    GetCursorPos(&screen);
    TrackPopupMenu(target->PopupMenu, TPM_LEFTALIGN | TPM_RIGHTBUTTON, screen.x, screen.y, 0,
                   GetAncestor(container_, GA_ROOT), nullptr);
  }
  return true;
}

bool GraphicSurface::PassMouse(HWND window, GraphicControl& target, UINT message, int x, int y) {
  return Guarded(GetAncestor(container_, GA_ROOT), prompts_, [&] {
    try {
      if (IsButtonDown(message)) {
        target.MouseDown(ButtonOfMessage(message), x, y);
      } else if (IsButtonUp(message)) {
        target.MouseUp(ButtonOfMessage(message), x, y);
      } else {
        target.MouseMove(x, y);
      }
    } catch (...) {
      // The press ends before the error box shows, so the moves under the box drag nothing.
      EndPress(window);
      throw;
    }
  });
}

void GraphicSurface::EndPress(HWND window) {
  GraphicControl* pressed = std::exchange(pressed_, nullptr);
  if (GetCapture() == window) ReleaseCapture();
  if (pressed) pressed->PressEnded();
}

bool GraphicSurface::HandleSetCursor() const {
  POINT client{};
  GetCursorPos(&client);
  ScreenToClient(container_, &client);
  const GraphicControl* control = pressed_ ? pressed_ : ControlAt(client);
  if (!control) return false;
  ::SetCursor(LoadCursorW(nullptr, control->Cursor()));
  return true;
}

// The container's messages.
LRESULT CALLBACK GraphicSurface::SubclassProc(HWND window, UINT message, WPARAM wParam,
                                              LPARAM lParam, UINT_PTR, DWORD_PTR self) noexcept {
  auto* surface = reinterpret_cast<GraphicSurface*>(self);
  switch (message) {
    case WM_MOUSEMOVE:
    case WM_LBUTTONDOWN:
    case WM_LBUTTONUP:
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      if (surface->HandleMouse(window, message, wParam, lParam)) return 0;
      break;
    case WM_CAPTURECHANGED:
      // The system or another window took the mouse (a menu, a dialog): the press is over.
      if (surface->pressed_ && reinterpret_cast<HWND>(lParam) != window) surface->EndPress(window);
      break;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && surface->HandleSetCursor()) return TRUE;
      break;
    case WM_PAINT: {
      // The container paints nothing of its own but its background (WM_ERASEBKGND).
      PaintDc paint(window);
      surface->PaintControls(window, paint.get());
      return 0;
    }
    case WM_NCDESTROY:
      RemoveWindowSubclass(window, SubclassProc, kSubclassId);
      std::erase(surface->windows_, window);
      break;
    default:
      break;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace win::controls
