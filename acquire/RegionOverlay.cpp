#include "acquire/RegionOverlay.h"

#include <windowsx.h>

#include <string>

#include "core/DpiScale.h"
#include "core/Error.h"
#include "win/BitmapDc.h"
#include "win/Dpi.h"
#include "win/WindowObject.h"

namespace acquire {
namespace {

constexpr const wchar_t* kClass = L"CapslateRegionOverlay";
// The magnifier at 96 DPI: the pixels around the pointer, each shown this many times larger.
constexpr int kMagnifiedPixels = 15;
constexpr int kZoom = 8;
constexpr int kGap = 20;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

// Half of every channel: the frozen screen as it shows outside the selection.
win::Picture Dimmed(const win::Picture& picture) {
  win::Picture dimmed = win::Picture::Create(
      core::DibFormat{picture.Width(), picture.Height(), picture.Pixels().BitCount()});
  const core::Dib& from = picture.Pixels();
  core::Dib& to = dimmed.Pixels();
  const size_t rowBytes = static_cast<size_t>(from.Width()) * (from.BitCount() / 8);
  for (int y = 0; y < from.Height(); ++y) {
    const uint8_t* source = from.Row(y);
    uint8_t* target = to.Row(y);
    for (size_t i = 0; i < rowBytes; ++i) target[i] = static_cast<uint8_t>(source[i] >> 1);
  }
  return dimmed;
}

RECT ToRect(const PixelRect& r) { return RECT{r.left, r.top, r.right, r.bottom}; }

}  // namespace

RegionOverlay::RegionOverlay(win::Picture frozen, const PixelRect& screen, Events events)
    : frozen_(std::move(frozen)), dimmed_(Dimmed(frozen_)), events_(std::move(events)) {
  WNDCLASSEXW wc{sizeof wc};
  wc.lpfnWndProc = WindowProc;
  wc.hInstance = Instance();
  wc.hCursor = LoadCursorW(nullptr, IDC_CROSS);
  wc.lpszClassName = kClass;
  win::RegisterClassOnce(wc);
  {
    win::WindowDc screenDc(nullptr);
    backBuffer_.reset(CreateCompatibleBitmap(screenDc.get(), frozen_.Width(), frozen_.Height()));
  }
  if (!backBuffer_) throw core::Error("範囲指定の画面を作れません。");
  POINT cursor{};
  GetCursorPos(&cursor);
  pointer_ = PixelPoint{cursor.x - screen.left, cursor.y - screen.top};
  CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW, kClass, L"", WS_POPUP, screen.left, screen.top,
                  screen.Width(), screen.Height(), nullptr, nullptr, Instance(), this);
  if (!window_) throw core::Error("範囲指定の画面を作れません。");
  font_.reset(CreateFontW(-core::ScaleToDpi(14, win::WindowDpi(window_.get())), 0, 0, 0, FW_BOLD,
                          FALSE, FALSE, FALSE, DEFAULT_CHARSET, OUT_DEFAULT_PRECIS,
                          CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                          L"ＭＳ Ｐゴシック"));
  ShowWindow(window_.get(), SW_SHOW);
  SetForegroundWindow(window_.get());
  SetFocus(window_.get());
  UpdateWindow(window_.get());
}

PixelRect RegionOverlay::Selection() const {
  return dragging_ ? DragRect(anchor_, pointer_, Bounds()) : PixelRect{};
}

void RegionOverlay::Paint() {
  win::PaintDc paint(window_.get());
  win::BitmapDc back(backBuffer_.get());
  const RECT& dirty = paint.Dirty();
  {
    win::BitmapDc dim(dimmed_.Bitmap());
    BitBlt(back.get(), dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top,
           dim.get(), dirty.left, dirty.top, SRCCOPY);
  }
  DrawDecorations(back.get());
  BitBlt(paint.get(), dirty.left, dirty.top, dirty.right - dirty.left, dirty.bottom - dirty.top,
         back.get(), dirty.left, dirty.top, SRCCOPY);
}

void RegionOverlay::DrawDecorations(HDC dc) const {
  const int dpi = win::WindowDpi(window_.get());
  win::BitmapDc bright(frozen_.Bitmap());
  const PixelRect selection = Selection();
  if (!selection.Empty()) {
    BitBlt(dc, selection.left, selection.top, selection.Width(), selection.Height(), bright.get(),
           selection.left, selection.top, SRCCOPY);
    RECT frame = ToRect(selection);
    InflateRect(&frame, 1, 1);
    FrameRect(dc, &frame, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  }
  // The crosshair, inverted so it shows on any colour.
  const PixelRect bounds = Bounds();
  PatBlt(dc, bounds.left, pointer_.y, bounds.Width(), 1, DSTINVERT);
  PatBlt(dc, pointer_.x, bounds.top, 1, bounds.Height(), DSTINVERT);

  // The magnifier: the pixels around the pointer, the one under it framed.
  const int zoom = core::ScaleToDpi(kZoom, dpi);
  const int size = kMagnifiedPixels * zoom;
  const PixelRect box = BesidePointer(pointer_, size, core::ScaleToDpi(kGap, dpi), bounds);
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, box.left, box.top, size, size, bright.get(), pointer_.x - kMagnifiedPixels / 2,
             pointer_.y - kMagnifiedPixels / 2, kMagnifiedPixels, kMagnifiedPixels, SRCCOPY);
  RECT outline = ToRect(box);
  FrameRect(dc, &outline, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  RECT centre{box.left + kMagnifiedPixels / 2 * zoom, box.top + kMagnifiedPixels / 2 * zoom, 0, 0};
  centre.right = centre.left + zoom;
  centre.bottom = centre.top + zoom;
  FrameRect(dc, &centre, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));

  // The size under the magnifier: the selection's, or the pointer's place before a drag.
  const std::wstring text =
      dragging_ ? std::to_wstring(selection.Width()) + L" x " + std::to_wstring(selection.Height())
                : std::to_wstring(pointer_.x) + L", " + std::to_wstring(pointer_.y);
  win::Selection font(dc, font_.get());
  RECT label{box.left, box.bottom + 2, box.right, box.bottom + 2 + core::ScaleToDpi(20, dpi)};
  if (label.bottom > bounds.bottom) OffsetRect(&label, 0, box.top - 2 - label.bottom);
  FillRect(dc, &label, static_cast<HBRUSH>(GetStockObject(BLACK_BRUSH)));
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &label,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT RegionOverlay::HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_PAINT:
      Paint();
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_MOUSEMOVE:
      pointer_ = PixelPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
      pointer_ = anchor_ = PixelPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      dragging_ = true;
      SetCapture(window);
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_LBUTTONUP: {
      if (!dragging_) return 0;
      pointer_ = PixelPoint{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)};
      const PixelRect chosen = Selection();
      dragging_ = false;
      ReleaseCapture();
      InvalidateRect(window, nullptr, FALSE);
      if (chosen.Empty()) return 0;  // a click without a drag: the user may still drag
      // The event may destroy this overlay: it runs from a copy, and nothing follows it.
      const auto event = events_.chosen;
      event(chosen);
      return 0;
    }
    case WM_CAPTURECHANGED:
      if (dragging_ && reinterpret_cast<HWND>(lParam) != window) {
        dragging_ = false;
        InvalidateRect(window, nullptr, FALSE);
      }
      return 0;
    case WM_KEYDOWN:
      if (wParam != VK_ESCAPE) return 0;
      [[fallthrough]];
    case WM_RBUTTONDOWN: {
      const auto event = events_.cancelled;
      event();
      return 0;
    }
    case WM_DPICHANGED:
      // The overlay spans every monitor at their own pixels; it keeps its place and size.
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

LRESULT CALLBACK RegionOverlay::WindowProc(HWND window, UINT message, WPARAM wParam,
                                           LPARAM lParam) noexcept {
  auto* self = win::WindowObject<RegionOverlay>(window, message, lParam);
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCCREATE) self->window_.reset(window);
  if (message == WM_NCDESTROY) {
    self->window_.release();
    return DefWindowProcW(window, message, wParam, lParam);
  }
  try {
    return self->HandleMessage(window, message, wParam, lParam);
  } catch (...) {
    // The events report their own errors; painting's would only come back with the next paint.
    return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace acquire
