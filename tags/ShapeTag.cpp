#include "tags/ShapeTag.h"

#include <windows.h>

#include <algorithm>

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
    default:
      return std::nullopt;
  }
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
  }
  SetROP2(dc, oldMode);
}

TShapeTag::TShapeTag(win::controls::GraphicSurface& surface) : GraphicControl(surface) {}

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

void TShapeTag::SetPenWidth(int width) {
  if (penWidth_ == width) return;
  penWidth_ = width;
  Invalidate();
}

void TShapeTag::Paint(HDC dc) {
  DrawShape(dc, shape_, RECT{0, 0, Width(), Height()}, brushColor_, penWidth_);
}

}  // namespace tags
