#include "win/controls/TrackBox.h"

#include "win/Handles.h"

namespace win::controls {
namespace {

const wchar_t* SystemCursor(core::TrackCursor cursor) {
  switch (cursor) {
    case core::TrackCursor::SizeNwse:
      return IDC_SIZENWSE;
    case core::TrackCursor::SizeNs:
      return IDC_SIZENS;
    case core::TrackCursor::SizeNesw:
      return IDC_SIZENESW;
    case core::TrackCursor::SizeWe:
      return IDC_SIZEWE;
    case core::TrackCursor::Arrow:
      break;
  }
  return IDC_ARROW;
}

}  // namespace

TTrackBox::TTrackBox(GraphicSurface& surface) : GraphicControl(surface) {}

void TTrackBox::SetTrackColor(COLORREF colour) {
  if (trackColor_ == colour) return;
  trackColor_ = colour;
  Repaint();
}

void TTrackBox::SetTrackLineVisible(bool visible) {
  if (trackLineVisible_ == visible) return;
  trackLineVisible_ = visible;
  Repaint();
}

void TTrackBox::SetMetrics(const core::TrackMetrics& metrics) {
  metrics_ = metrics;
  Invalidate();
}

core::TrackBounds TTrackBox::GetTrackRect() const {
  return core::InnerRect(core::TrackBounds{Left(), Top(), Width(), Height()}, metrics_);
}

void TTrackBox::DrawTrack(HDC dc) {
  const int w = Width();
  const int h = Height();
  UniquePen pen(CreatePen(PS_SOLID, 1, trackColor_));
  UniqueBrush brush(CreateSolidBrush(trackColor_));
  Selection selectPen(dc, pen.get());
  Selection selectBrush(dc, brush.get());
  SetROP2(dc, R2_COPYPEN);
  const int size = metrics_.handleSize;
  for (int zone = 0; zone < core::kTrackZones; ++zone) {
    const core::TrackPoint at = core::HandleOrigin(zone, w, h, metrics_);
    Rectangle(dc, at.x, at.y, at.x + size, at.y + size);
  }
  if (trackLineVisible_) {
    const int in = metrics_.lineInset;
    MoveToEx(dc, in, in, nullptr);
    LineTo(dc, w - in, in);
    LineTo(dc, w - in, h - in);
    LineTo(dc, in, h - in);
    LineTo(dc, in, in);
  }
  BringToFront();
}

void TTrackBox::Paint(HDC dc) { DrawTrack(dc); }

void TTrackBox::MouseDown(MouseButton button, int x, int y) {
  GraphicControl::MouseDown(button, x, y);
  press_ = core::TrackPoint{x, y};
  // A press on a handle sizes the box even when sizing is off; the move then does nothing.
  dragMode_ =
      core::InAnyHitArea(Width(), Height(), x, y, metrics_) ? DragMode::Sizing : DragMode::Moving;
}

void TTrackBox::MouseUp(MouseButton button, int x, int y) {
  GraphicControl::MouseUp(button, x, y);
  PressEnded();
}

// The drag is over as if the button had been released, so the next move only hovers.
void TTrackBox::PressEnded() {
  dragMode_ = DragMode::Idle;
  zone_ = core::kNoTrackZone;
}

void TTrackBox::MouseMove(int x, int y) {
  GraphicControl::MouseMove(x, y);
  const core::TrackBounds box{Left(), Top(), Width(), Height()};
  const int hovered = trackSizeEnable_ ? core::HoverZone(box.width, box.height, x, y, metrics_)
                                       : core::kNoTrackZone;
  // The zone keeps the last handle the pointer was over until the release, so a resize goes on
  // when the pointer runs outside every hit area.
  if (hovered != core::kNoTrackZone) zone_ = hovered;
  SetCursor(SystemCursor(core::ZoneCursor(hovered)));
  if (dragMode_ == DragMode::Moving) {
    const core::TrackBounds moved = core::MoveStep(box, x, y, press_);
    SetBounds(moved.left, moved.top, moved.width, moved.height);
    TrackChanged(false);
    return;
  }
  if (!trackSizeEnable_ || dragMode_ != DragMode::Sizing) return;
  const core::TrackBounds sized = core::ResizeStep(zone_, box, x, y);
  SetBounds(sized.left, sized.top, sized.width, sized.height);
  TrackChanged(true);
}

void TTrackBox::TrackChanged(bool SZf) {
  if (OnTrackChange) OnTrackChange(*this, SZf);
}

}  // namespace win::controls
