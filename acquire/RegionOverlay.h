#pragma once
// The screen frozen at the moment of a region capture, shown dimmed over every monitor: the user
// drags a rectangle, which shows undimmed, while a crosshair, the size in pixels beside the pointer
// and a magnifier of the pixels around it help to place it. Escape or the right button cancels.

#include <windows.h>

#include <functional>

#include "acquire/CaptureGeometry.h"
#include "win/Handles.h"
#include "win/Picture.h"

namespace acquire {

class RegionOverlay {
 public:
  struct Events {
    // A rectangle of the frozen picture's pixels, never empty.
    std::function<void(const PixelRect& chosen)> chosen;
    std::function<void()> cancelled;
  };

  // Shows `frozen`, the screen's pixels of `screen` (the virtual screen), over that screen and
  // takes the keyboard. The events may destroy the overlay.
  RegionOverlay(win::Picture frozen, const PixelRect& screen, Events events);
  ~RegionOverlay() = default;
  RegionOverlay(const RegionOverlay&) = delete;
  RegionOverlay& operator=(const RegionOverlay&) = delete;

  HWND Handle() const { return window_.get(); }
  const win::Picture& Frozen() const { return frozen_; }

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  // `window` is the overlay's, which the handle member no longer holds while it is destroyed.
  LRESULT HandleMessage(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  void Paint();
  void DrawDecorations(HDC dc) const;
  PixelRect Bounds() const { return PixelRect{0, 0, frozen_.Width(), frozen_.Height()}; }
  PixelRect Selection() const;

  win::Picture frozen_;
  win::Picture dimmed_;
  win::UniqueBitmap backBuffer_;
  win::UniqueFont font_;
  Events events_;
  win::UniqueWindow window_;
  PixelPoint pointer_{};
  PixelPoint anchor_{};
  bool dragging_ = false;
};

}  // namespace acquire
