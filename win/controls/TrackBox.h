#pragma once
// TTrackBox: the frame with eight square handles through which the user moves and sizes a tag. It
// draws only its handles and, optionally, its frame line; everything beneath shows through.
// Dragging its inside moves it, dragging a handle sizes it, and after every step it raises
// OnTrackChange. Its geometry is core/TrackBoxGeometry.

#include <windows.h>

#include <functional>

#include "core/TrackBoxGeometry.h"
#include "win/controls/GraphicControl.h"

namespace win::controls {

class TTrackBox : public GraphicControl {
 public:
  // Raised after each step: SZf is true after a resize step, false after a move step.
  using TTrNotifyEvent = std::function<void(TTrackBox& Sender, bool SZf)>;

  explicit TTrackBox(GraphicSurface& surface);

  // Colour of the handles and the frame line; a new colour redraws the box at once.
  COLORREF TrackColor() const { return trackColor_; }
  void SetTrackColor(COLORREF colour);
  // Whether the frame line is drawn; a change redraws the box at once.
  bool TrackLineVisible() const { return trackLineVisible_; }
  void SetTrackLineVisible(bool visible);
  // Whether the handles size the box. Without, the box only moves and its cursor stays the arrow.
  bool TrackSizeEnable() const { return trackSizeEnable_; }
  void SetTrackSizeEnable(bool enable) { trackSizeEnable_ = enable; }
  TTrNotifyEvent OnTrackChange;
  // The handles' size and the frame line's inset, which follow the screen's resolution; a change
  // redraws the box and moves its inner rectangle.
  const core::TrackMetrics& Metrics() const { return metrics_; }
  void SetMetrics(const core::TrackMetrics& metrics);

  // The inner rectangle, inside the frame line, in the parent's client coordinates.
  core::TrackBounds GetTrackRect() const;
  // Draws the handles and the frame line, then brings the box to the front of the surface.
  void DrawTrack(HDC dc);

 protected:
  void Paint(HDC dc) override;
  void MouseDown(MouseButton button, int x, int y) override;
  void MouseMove(int x, int y) override;
  void MouseUp(MouseButton button, int x, int y) override;
  void PressEnded() override;
  void TrackChanged(bool SZf);

 private:
  enum class DragMode { Idle, Sizing, Moving };

  COLORREF trackColor_ = RGB(0, 0, 0);
  bool trackLineVisible_ = true;
  bool trackSizeEnable_ = true;
  core::TrackMetrics metrics_;
  DragMode dragMode_ = DragMode::Idle;
  int zone_ = core::kNoTrackZone;  // the handle the pointer was last over
  core::TrackPoint press_;         // the last press, in the box's own coordinates
};

}  // namespace win::controls
