#pragma once
// The shape tag ShapeTag: a filled outline shape (rectangle, ellipse or rounded rectangle) that
// the user places and sizes over the picture with its track box, colours, and embeds. On the
// screen and in the picture the shape is drawn alike: filling its bounds, with a black 1-pixel
// pen and a solid brush of the chosen colour.

#include <windows.h>

#include <optional>

#include "win/controls/GraphicControl.h"

namespace tags {

enum class ShapeKind { Rectangle, Ellipse, RoundRect };

// The shape the list ComboBox1 names at `index`: "四角", "楕円", "四角（角丸）". The empty fourth
// entry and typed text (index -1) name none.
std::optional<ShapeKind> ShapeOfListIndex(int index);

// Draws the shape over `bounds` (right and bottom exclusive) with a solid black 1-pixel pen in
// copy mode and a solid brush of `fill`. A rounded rectangle's corners are ellipses min(W, H) div 4
// wide and high.
void DrawShape(HDC dc, ShapeKind shape, const RECT& bounds, COLORREF fill);

class TShapeTag : public win::controls::GraphicControl {
 public:
  // A white rectangle, hidden.
  explicit TShapeTag(win::controls::GraphicSurface& surface);

  ShapeKind Shape() const { return shape_; }
  void SetShape(ShapeKind shape);
  COLORREF BrushColor() const { return brushColor_; }
  void SetBrushColor(COLORREF colour);

 protected:
  void Paint(HDC dc) override;

 private:
  ShapeKind shape_ = ShapeKind::Rectangle;
  COLORREF brushColor_ = RGB(255, 255, 255);
};

}  // namespace tags
