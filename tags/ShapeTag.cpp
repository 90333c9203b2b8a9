#include "tags/ShapeTag.h"

#include <windows.h>

#include <algorithm>
#include <exception>

#include "tags/Highlighter.h"
#include "win/Handles.h"

namespace tags {

std::optional<ShapeKind> ShapeOfListIndex(int index) {
  switch (index) {
    case 0:
      return ShapeKind::Rectangle;
    case 1:
      return ShapeKind::Ellipse;
    case 2:
      return ShapeKind::RoundRect;
    case 4:
      return ShapeKind::Arrow;
    case 5:
      return ShapeKind::Line;
    case 6:
      return ShapeKind::Highlighter;
    default:
      return std::nullopt;
  }
}

bool DrawsOverPicture(ShapeKind shape) {
  return shape == ShapeKind::Arrow || shape == ShapeKind::Line || shape == ShapeKind::Highlighter;
}

void DrawShape(HDC dc, ShapeKind shape, const RECT& bounds, COLORREF fill, int penWidth) {
  // A wider pen stays inside the bounds, as the 1-pixel one does.
  win::UniquePen pen(CreatePen(penWidth > 1 ? PS_INSIDEFRAME : PS_SOLID, penWidth, RGB(0, 0, 0)));
  win::UniqueBrush brush(CreateSolidBrush(fill));
  win::Selection selectPen(dc, pen.get());
  win::Selection selectBrush(dc, brush.get());
  const int oldMode = SetROP2(dc, R2_COPYPEN);
  switch (shape) {
    case ShapeKind::Rectangle:
      Rectangle(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
      break;
    case ShapeKind::Ellipse:
      Ellipse(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
      break;
    case ShapeKind::RoundRect: {
      const int corner = std::min(bounds.right - bounds.left, bounds.bottom - bounds.top) / 4;
      RoundRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom, corner, corner);
      break;
    }
    case ShapeKind::Arrow:
    case ShapeKind::Line:
    case ShapeKind::Highlighter:
      break;
  }
  SetROP2(dc, oldMode);
}

void DrawOverCanvas(TagCanvas& canvas, ShapeKind shape, COLORREF colour, const StrokeStyle& stroke,
                    GdiPlus& gdiPlus) {
  const int width = std::clamp(stroke.width, host::kMinPenWidth, host::kMaxPenWidth);
  switch (shape) {
    case ShapeKind::Arrow: {
      const Stroke arrow = ArrowIn(canvas.Width(), canvas.Height(), stroke.pointsTo, width);
      gdiPlus.DrawLine(canvas.Dc(), colour, static_cast<float>(width), arrow.from, arrow.to);
      if (arrow.head) gdiPlus.FillPolygon(canvas.Dc(), colour, *arrow.head);
      break;
    }
    case ShapeKind::Line: {
      const Stroke line = LineIn(canvas.Width(), canvas.Height(), stroke.pointsTo);
      gdiPlus.DrawLine(canvas.Dc(), colour, static_cast<float>(width), line.from, line.to);
      break;
    }
    case ShapeKind::Highlighter:
      MultiplyArea(canvas.Pixels(), PixelRect{0, 0, canvas.Width(), canvas.Height()},
                   Rgb{GetRValue(colour), GetGValue(colour), GetBValue(colour)});
      break;
    case ShapeKind::Rectangle:
    case ShapeKind::Ellipse:
    case ShapeKind::RoundRect:
      break;
  }
  GdiFlush();
}

TShapeTag::TShapeTag(win::controls::GraphicSurface& surface, host::PictureHost& picture,
                     GdiPlus& gdiPlus)
    : GraphicControl(surface), picture_(picture), gdiPlus_(gdiPlus) {}

void TShapeTag::SetShape(ShapeKind shape) {
  if (shape_ == shape) return;
  shape_ = shape;
  Invalidate();
}

void TShapeTag::SetBrushColor(COLORREF colour) {
  if (brushColor_ == colour) return;
  brushColor_ = colour;
  Invalidate();
}

void TShapeTag::SetPen(const StrokeStyle& stroke) {
  if (stroke_ == stroke) return;
  stroke_ = stroke;
  Invalidate();
}

RECT TShapeTag::OnPicture() const {
  const POINT origin = Surface().Origin();
  const int left = Left() + origin.x;
  const int top = Top() + origin.y;
  return RECT{left, top, left + Width(), top + Height()};
}

void TShapeTag::SetPenWidth(int width) {
  if (penWidth_ == width) return;
  penWidth_ = width;
  Invalidate();
}

void TShapeTag::Paint(HDC dc) {
  if (!DrawsOverPicture(shape_)) {
    DrawShape(dc, shape_, RECT{0, 0, Width(), Height()}, brushColor_, penWidth_);
    return;
  }
  try {
    const RECT r = OnPicture();
    TagCanvas canvas(picture_.Picture(), PixelRect{r.left, r.top, r.right, r.bottom});
    DrawOverCanvas(canvas, shape_, brushColor_, stroke_, gdiPlus_);
    canvas.Show(dc);
  } catch (const std::exception&) {
    // Painting goes on without the shape when GDI+ or the memory for the canvas is missing; the
    // embedding reports it.
  }
}

}  // namespace tags
