#pragma once
// The shape tag ShapeTag: a filled outline shape (rectangle, ellipse or rounded rectangle) that
// the user places and sizes over the picture with its track box, colours, and embeds. On the
// screen and in the picture the shape is drawn alike: filling its bounds, with a black pen (1
// pixel wide on a 96-DPI screen, wider in proportion on finer ones) and a solid brush of the
// chosen colour.

#include <windows.h>

#include <optional>

#include "win/controls/GraphicControl.h"

namespace tags {

enum class ShapeKind { Rectangle, Ellipse, RoundRect };

// The shape the list ComboBox1 names at `index`: "四角", "楕円", "四角（角丸）". The empty fourth
// entry and typed text (index -1) name none.
std::optional<ShapeKind> ShapeOfListIndex(int index);

// Draws the shape over `bounds` (right and bottom exclusive) with a solid black pen of `penWidth`
// pixels, inside the bounds, in copy mode, and a solid brush of `fill`. A rounded rectangle's
// corners are ellipses min(W, H) div 4 wide and high.
void DrawShape(HDC dc, ShapeKind shape, const RECT& bounds, COLORREF fill, int penWidth = 1);

class TShapeTag : public win::controls::GraphicControl {
 public:
  // A white rectangle, hidden.
  explicit TShapeTag(win::controls::GraphicSurface& surface);

  ShapeKind Shape() const { return shape_; }
  void SetShape(ShapeKind shape);
  COLORREF BrushColor() const { return brushColor_; }
  void SetBrushColor(COLORREF colour);
  // The outline's width in pixels, which follows the screen's resolution; embedding draws with it.
  int PenWidth() const { return penWidth_; }
  void SetPenWidth(int width);

 protected:
  void Paint(HDC dc) override;

 private:
  ShapeKind shape_ = ShapeKind::Rectangle;
  COLORREF brushColor_ = RGB(255, 255, 255);
  int penWidth_ = 1;
};

}  // namespace tags
