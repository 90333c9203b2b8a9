#pragma once
// Controls without a window of their own, drawn on the windows they lie over (the class library's
// graphic controls): the track boxes and the shape, icon and image tags over the picture. They lie
// on a GraphicSurface: a container window and the picture controls in it beneath them. Those
// windows paint the controls over their own content, bottom to top, and
// pass them the mouse: a press on a control captures the mouse for it until every button is
// released, and releasing the right button over it opens its context menu. Positions are in the
// container's client coordinates and follow its scrolling, as child windows' positions do. The
// controls' mouse handlers and events run inside the error boundary: an error is shown in the
// error box over the top-level window, ends the press, and the window goes on.

#include <windows.h>

#include <functional>
#include <vector>

#include "win/Prompts.h"
#include "win/controls/ControlSupport.h"
#include "win/controls/Image.h"

namespace win::controls {

class GraphicSurface;

class GraphicControl {
 public:
  // The new control lies above the surface's other controls, hidden, at (0, 0) with no size.
  explicit GraphicControl(GraphicSurface& surface);
  virtual ~GraphicControl();
  GraphicControl(const GraphicControl&) = delete;
  GraphicControl& operator=(const GraphicControl&) = delete;

  int Left() const;
  int Top() const;
  int Width() const { return width_; }
  int Height() const { return height_; }
  void SetBounds(int left, int top, int width, int height);
  void SetLeft(int left) { SetBounds(left, Top(), width_, height_); }
  void SetTop(int top) { SetBounds(Left(), top, width_, height_); }
  bool Visible() const { return visible_; }
  void SetVisible(bool visible);
  // Puts the control above the surface's other controls and repaints it, unless it already is
  // the front-most (then nothing happens).
  void BringToFront();
  // Marks the control's area for painting; Repaint also paints it at once.
  void Invalidate() const;
  void Repaint() const;

  // The system cursor (IDC_ARROW, IDC_SIZEWE, ...) shown while the pointer is over the control or
  // the control holds the mouse.
  const wchar_t* Cursor() const { return cursor_; }
  void SetCursor(const wchar_t* systemCursor);

  // Whether Paint covers every pixel of the control that lies on a picture control beneath, so
  // the picture need not be painted there first.
  virtual bool CoversPicture() const { return false; }

  // Opened at the pointer when the right button is released on the control; none when null.
  HMENU PopupMenu = nullptr;
  // Raised for a press of any button on the control, with the point in its own coordinates.
  std::function<void(GraphicControl& sender, MouseButton button, POINT at)> OnMouseDown;

 protected:
  GraphicSurface& Surface() const { return surface_; }
  // Paints the control; `dc` has its origin at the control's top-left corner and is clipped to it.
  virtual void Paint(HDC dc);
  // The mouse, in the control's own coordinates. MouseDown raises OnMouseDown.
  virtual void MouseDown(MouseButton button, int x, int y);
  virtual void MouseMove(int x, int y);
  virtual void MouseUp(MouseButton button, int x, int y);
  // The press ended without a release: a handler failed, or the system took the mouse. Must not
  // throw.
  virtual void PressEnded();

 private:
  friend class GraphicSurface;

  GraphicSurface& surface_;
  // The position in the container's scrolled content: the client position plus the scroll offset.
  int contentLeft_ = 0;
  int contentTop_ = 0;
  int width_ = 0;
  int height_ = 0;
  bool visible_ = false;
  const wchar_t* cursor_ = IDC_ARROW;
};

class GraphicSurface : private ImageOverlay {
 public:
  // `container` is the window whose client area the controls lie on. When it is a scroll box, the
  // controls scroll with its content. `prompts` shows the errors of the controls' handlers.
  GraphicSurface(HWND container, Prompts& prompts);
  ~GraphicSurface();
  GraphicSurface(const GraphicSurface&) = delete;
  GraphicSurface& operator=(const GraphicSurface&) = delete;

  // A picture control (TImage) in the container that lies beneath the controls: it paints them over
  // its picture and passes them the mouse.
  void AddUnderlay(HWND image);
  HWND Container() const { return container_; }
  // The content point shown at the container's client (0, 0).
  POINT Origin() const;

 private:
  friend class GraphicControl;

  void Add(GraphicControl* control);
  void Remove(GraphicControl* control);
  void Raise(GraphicControl* control);
  bool IsFrontMost(const GraphicControl* control) const;
  // Marks an area of the container's client coordinates for painting in every window.
  void InvalidateArea(const RECT& area) const;
  void UpdateWindows() const;
  // Whether the pointer is over the control or the control holds the mouse.
  bool IsPointerOn(const GraphicControl* control) const;
  // The front-most visible control at a point of the container's client area, or null.
  GraphicControl* ControlAt(POINT client) const;
  POINT OffsetOf(HWND window) const;
  void PaintControls(HWND window, HDC dc) const noexcept;
  bool HandleMouse(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
  // Passes a mouse message to the control inside the error boundary; an error ends the press.
  // True when the control's handler ran to its end.
  bool PassMouse(HWND window, GraphicControl& target, UINT message, int x, int y);
  // Lets go of the mouse and tells the control that held it.
  void EndPress(HWND window);
  bool HandleSetCursor() const;
  // ImageOverlay: the picture control's side.
  bool OverlayMouse(HWND image, UINT message, WPARAM wParam, LPARAM lParam) override;
  bool OverlayCursor(HWND image) override;
  void OverlayExcludeCovered(HWND image, HDC dc) override;
  void OverlayPaint(HWND image, HDC dc) override;
  void OverlayDetached(HWND image) override;
  static LRESULT CALLBACK SubclassProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR id, DWORD_PTR self) noexcept;

  HWND container_;
  Prompts& prompts_;
  std::vector<HWND> windows_;           // the container, then the picture controls
  std::vector<GraphicControl*> stack_;  // bottom to top
  GraphicControl* pressed_ = nullptr;   // holds the mouse while a button is down
  GraphicControl* hot_ = nullptr;       // the control the pointer last moved over
};

}  // namespace win::controls
