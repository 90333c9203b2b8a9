#pragma once
// Capturing the screen without the PrintScreen key: the whole screen, a window or a dragged region.
// The window hides with its taskbar button as Capture does, waits the delay of the settings, grabs
// the screen itself and comes back with the picture, installed as every new picture is.

#include <memory>

#include "acquire/CaptureGeometry.h"
#include "acquire/CaptureTimer.h"
#include "acquire/RegionOverlay.h"
#include "host/Roles.h"

namespace acquire {

enum class CaptureKind {
  Screen,  // every monitor
  Window,  // the window in front when the delay ends, or the one under the pointer with Ctrl held
  Region,  // a rectangle the user drags over the screen frozen when the delay ends
};

class ScreenCapture {
 public:
  ScreenCapture(host::PictureHost& picture, host::WindowServices& window);

  // Hides the window and starts the delay; nothing happens while a capture is under way.
  void Start(CaptureKind kind);
  // True from Start until the picture is in place or the capture is cancelled.
  bool Busy() const { return timer_.Running() || overlay_ != nullptr; }
  // The region overlay while the user chooses a rectangle; null otherwise.
  HWND OverlayWindow() const { return overlay_ ? overlay_->Handle() : nullptr; }

 private:
  void DelayElapsed();
  // The window a window capture takes, or null when there is none to take.
  HWND TargetWindow() const;
  void RegionChosen(const PixelRect& chosen);
  // Brings the window back with `picture` as the new picture and says so.
  void Install(win::Picture picture);
  // Brings the window back with the picture as it was and `status` on the status line.
  void End(const wchar_t* status);
  // Runs a step that the system calls: an error brings the window back and shows the error box.
  template <typename F>
  void Guarded(F&& step) noexcept;

  host::PictureHost& picture_;
  host::WindowServices& window_;
  CaptureKind kind_ = CaptureKind::Screen;
  CaptureTimer timer_;
  std::unique_ptr<RegionOverlay> overlay_;
};

}  // namespace acquire
