#pragma once
// TImage: shows a picture at its own size, the control following the picture's size. It reports
// the mouse in the picture's pixels and holds the mouse while a button is down.

#include <windows.h>

#include <functional>
#include <span>

#include "win/Picture.h"
#include "win/controls/ControlSupport.h"

namespace win::controls {

inline constexpr const wchar_t* kImageClass = L"TImage";

// The picture control's mouse events; points are picture pixels (negative or beyond the picture
// while the control holds the mouse). The control holds the mouse from a press until the first
// release of a button. They are called from the control's window procedure, so each runs its
// command inside the error boundary (win::Guarded) and throws nothing.
struct ImageMouseEvents {
  std::function<void(MouseButton button, POINT at)> OnMouseDown;
  std::function<void(POINT at)> OnMouseMove;
  // Raised after the control has let go of the mouse.
  std::function<void(MouseButton button, POINT at)> OnMouseUp;
  // Raised when the system or another window takes the mouse from the control before that
  // release (a menu, Alt+Tab, a dialog): no release will follow.
  std::function<void()> OnCaptureLost;
};

// What lies over the picture without being a window (the tags and their track boxes). The picture
// control paints it over the picture, offers it the mouse and the cursor first, and tells it when
// the control is destroyed. Called from the control's window procedure: nothing may throw.
class ImageOverlay {
 public:
  // Returns true when the overlay took the mouse message (WM_CAPTURECHANGED is only shown to it).
  virtual bool OverlayMouse(HWND image, UINT message, WPARAM wParam, LPARAM lParam) = 0;
  // Returns true when the overlay set the cursor.
  virtual bool OverlayCursor(HWND image) = 0;
  // Before the picture is painted: excludes from `dc`'s clipping the areas the overlay will paint
  // over entirely, where painting the picture first would be wasted.
  virtual void OverlayExcludeCovered(HWND image, HDC dc) = 0;
  // Paints over the picture, within the area being painted.
  virtual void OverlayPaint(HWND image, HDC dc) = 0;
  virtual void OverlayDetached(HWND image) = 0;

 protected:
  ~ImageOverlay() = default;
};

// The picture is owned by the caller and must outlive the control. Inside a scroll box the control
// becomes the box's content, whose size sets the scroll ranges.
HWND CreateImage(HWND parent, int id, const win::Picture* picture);
// Resizes the control to its picture and repaints it at once.
void UpdateImage(HWND image);
// Marks areas of the picture (pixels, right and bottom exclusive) for painting with the control's
// next paint. Only the first area after a paint asks the window system for that paint; the others
// join it in the control, so a drag that marks a few strips at every pointer move costs no more
// than its drawing.
void InvalidateImage(HWND image, std::span<const RECT> areas);
void SetImageMouseEvents(HWND image, ImageMouseEvents events);
// The system cursor (IDC_ARROW, IDC_CROSS, ...) shown over the picture.
void SetImageCursor(HWND image, const wchar_t* systemCursor);
// The overlay must stay until it is replaced or told that the control is gone; null for none.
void SetImageOverlay(HWND image, ImageOverlay* overlay);

}  // namespace win::controls
