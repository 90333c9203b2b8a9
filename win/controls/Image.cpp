#include "win/controls/Image.h"

#include <windowsx.h>

#include "win/Handles.h"
#include "win/controls/ControlSupport.h"
#include "win/controls/ScrollBox.h"

namespace win::controls {
namespace {

// The areas marked by InvalidateImage since the last paint.
struct PendingArea {
  UniqueRegion region;
  PendingArea() = default;
  PendingArea(const PendingArea&) {}  // a new control starts with nothing pending
  PendingArea& operator=(const PendingArea&) = delete;
};

struct ImageState {
  const win::Picture* picture = nullptr;
  ImageMouseEvents events;
  const wchar_t* cursor = IDC_ARROW;
  ImageOverlay* overlay = nullptr;
  PendingArea pending;
  bool pressed = false;  // holds the mouse for a press that has not been released yet
};

// The mouse messages an overlay is offered first, and the loss of the mouse capture.
bool IsMouseMessage(UINT message) {
  return message == WM_MOUSEMOVE || message == WM_LBUTTONDOWN || message == WM_LBUTTONUP ||
         message == WM_RBUTTONDOWN || message == WM_RBUTTONUP || message == WM_MBUTTONDOWN ||
         message == WM_MBUTTONUP || message == WM_CAPTURECHANGED;
}

LRESULT CALLBACK ImageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  if (message == WM_NCDESTROY) {
    if (auto* state = StateOf<ImageState>(window); state && state->overlay) {
      state->overlay->OverlayDetached(window);
    }
  }
  ImageState* state = TrackState<ImageState>(window, message, lParam);
  if (!state) return DefWindowProcW(window, message, wParam, lParam);
  if (state->overlay && IsMouseMessage(message) &&
      state->overlay->OverlayMouse(window, message, wParam, lParam)) {
    return 0;
  }
  switch (message) {
    case WM_PAINT: {
      if (state->pending.region) {
        InvalidateRgn(window, state->pending.region.get(), FALSE);
        state->pending.region.reset();
      }
      PaintDc paint(window);
      if (state->picture && !state->picture->Empty()) {
        const int saved = SaveDC(paint.get());
        if (state->overlay) state->overlay->OverlayExcludeCovered(window, paint.get());
        PaletteSelection palette(paint.get(), state->picture->Palette(), FALSE);
        if (state->picture->Palette()) RealizePalette(paint.get());
        state->picture->Draw(paint.get(), 0, 0);
        RestoreDC(paint.get(), saved);
      }
      if (state->overlay) state->overlay->OverlayPaint(window, paint.get());
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SETCURSOR:
      if (LOWORD(lParam) != HTCLIENT) break;
      if (state->overlay && state->overlay->OverlayCursor(window)) return TRUE;
      SetCursor(LoadCursorW(nullptr, state->cursor));
      return TRUE;
    case WM_LBUTTONDOWN:
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN: {
      state->pressed = true;
      SetCapture(window);
      // A copy: the handler may replace the events.
      const auto handler = state->events.OnMouseDown;
      if (handler)
        handler(ButtonOfMessage(message), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    }
    case WM_MOUSEMOVE: {
      const auto handler = state->events.OnMouseMove;
      if (handler) handler(POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      return 0;
    }
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP: {
      // Let go of the mouse first: the handler may open a modal dialog, which needs it. The first
      // release ends the press, whichever buttons are still held.
      if (state->pressed) {
        state->pressed = false;
        if (GetCapture() == window) ReleaseCapture();
      }
      const auto handler = state->events.OnMouseUp;
      if (handler)
        handler(ButtonOfMessage(message), POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)});
      // The default handling turns a right-button release into the context menu.
      return DefWindowProcW(window, message, wParam, lParam);
    }
    case WM_CAPTURECHANGED:
      if (state->pressed && reinterpret_cast<HWND>(lParam) != window) {
        state->pressed = false;
        const auto handler = state->events.OnCaptureLost;
        if (handler) handler();
      }
      return 0;
    case WM_CONTEXTMENU:
      // The top-level window shows the picture's menu. Handed on through the parents by the
      // default handling, it could arrive there as the scroll box's own menu request.
      SendMessageW(GetAncestor(window, GA_ROOT), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(window),
                   lParam);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool IsScrollBox(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return wcscmp(name, kScrollBoxClass) == 0;
}

}  // namespace

HWND CreateImage(HWND parent, int id, const win::Picture* picture) {
  RegisterControlClass(GetModuleHandleW(nullptr), kImageClass, ImageProc);
  const ImageState initial{picture, {}, IDC_ARROW, nullptr, {}, false};
  HWND image = CreateControl(kImageClass, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                             parent, id, &initial);
  if (image && IsScrollBox(parent)) SetScrollContent(parent, image);
  return image;
}

void UpdateImage(HWND image) {
  auto* state = StateOf<ImageState>(image);
  if (!state || !state->picture) return;
  SetWindowPos(image, nullptr, 0, 0, state->picture->Width(), state->picture->Height(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (IsScrollBox(GetParent(image))) UpdateScrollBox(GetParent(image));
  InvalidateRect(image, nullptr, FALSE);
  UpdateWindow(image);
}

void InvalidateImage(HWND image, std::span<const RECT> areas) {
  auto* state = StateOf<ImageState>(image);
  if (!state || areas.empty()) return;
  if (!state->pending.region) {
    InvalidateRect(image, &areas.front(), FALSE);
    state->pending.region.reset(CreateRectRgn(0, 0, 0, 0));
  }
  UniqueRegion area(CreateRectRgn(0, 0, 0, 0));
  for (const RECT& r : areas) {
    SetRectRgn(area.get(), r.left, r.top, r.right, r.bottom);
    CombineRgn(state->pending.region.get(), state->pending.region.get(), area.get(), RGN_OR);
  }
}

void SetImageMouseEvents(HWND image, ImageMouseEvents events) {
  if (auto* state = StateOf<ImageState>(image)) state->events = std::move(events);
}

void SetImageOverlay(HWND image, ImageOverlay* overlay) {
  if (auto* state = StateOf<ImageState>(image)) state->overlay = overlay;
}

void SetImageCursor(HWND image, const wchar_t* systemCursor) {
  auto* state = StateOf<ImageState>(image);
  if (!state || state->cursor == systemCursor) return;
  state->cursor = systemCursor;
  // Shown at once when the pointer is over the picture, not only at its next move.
  POINT at{};
  GetCursorPos(&at);
  if (WindowFromPoint(at) == image || GetCapture() == image) {
    SetCursor(LoadCursorW(nullptr, systemCursor));
  }
}

}  // namespace win::controls
