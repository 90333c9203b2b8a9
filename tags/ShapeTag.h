#pragma once
// The shape tag ShapeTag: a shape that the user places and sizes over the picture with its track
// box, colours, and embeds. The rectangle, ellipse and rounded rectangle fill their bounds with a
// black pen (1 pixel wide on a 96-DPI screen, wider in proportion on finer ones) and a solid brush
// of the chosen colour. The arrow and the line run corner to corner in the chosen colour,
// anti-aliased, as wide as the "太さ" choice in picture pixels; the highlighter multiplies what
// lies under it by the colour. On the screen and in the picture each is drawn alike.

#include <windows.h>

#include <optional>

#include "host/Roles.h"
#include "tags/ArrowGeometry.h"
#include "tags/GdiPlus.h"
#include "tags/TagCanvas.h"
#include "win/controls/GraphicControl.h"

namespace tags {

enum class ShapeKind { Rectangle, Ellipse, RoundRect, Arrow, Line, Highlighter };

// The shape the list ComboBox1 names at `index`: "四角", "楕円", "四角（角丸）", then after the
// empty fourth entry "矢印", "直線", "蛍光ﾍﾟﾝ". The empty entry and typed text (index -1) name
// none.
std::optional<ShapeKind> ShapeOfListIndex(int index);

// The arrow's and the line's pen.
struct StrokeStyle {
  int width = 3;                          // pixels, host::kMinPenWidth..host::kMaxPenWidth
  Corner pointsTo = Corner::BottomRight;  // the "向き" choice
  friend bool operator==(const StrokeStyle&, const StrokeStyle&) = default;
};

// Whether the shape is drawn over the picture's pixels (on a TagCanvas) rather than over its
// bounds alone: the arrow, the line and the highlighter.
bool DrawsOverPicture(ShapeKind shape);

// Draws the shape over `bounds` (right and bottom exclusive) with a solid black pen of `penWidth`
// pixels, inside the bounds, in copy mode, and a solid brush of `fill`. A rounded rectangle's
// corners are ellipses min(W, H) div 4 wide and high. Only for the shapes that do not draw over
// the picture.
void DrawShape(HDC dc, ShapeKind shape, const RECT& bounds, COLORREF fill, int penWidth = 1);
// Draws the arrow, line or highlighter in `colour` over the canvas of the tag.
void DrawOverCanvas(TagCanvas& canvas, ShapeKind shape, COLORREF colour, const StrokeStyle& stroke,
                    GdiPlus& gdiPlus);

class TShapeTag : public win::controls::GraphicControl {
 public:
  // A white rectangle, hidden. The arrow, line and highlighter read the picture of `picture`
  // beneath them and draw through `gdiPlus`.
  TShapeTag(win::controls::GraphicSurface& surface, host::PictureHost& picture, GdiPlus& gdiPlus);

  ShapeKind Shape() const { return shape_; }
  void SetShape(ShapeKind shape);
  COLORREF BrushColor() const { return brushColor_; }
  void SetBrushColor(COLORREF colour);
  const StrokeStyle& Pen() const { return stroke_; }
  void SetPen(const StrokeStyle& stroke);
  // The tag's rectangle in the picture's pixels.
  RECT OnPicture() const;
  // The outline's width in pixels, which follows the screen's resolution; embedding draws with it.
  int PenWidth() const { return penWidth_; }
  void SetPenWidth(int width);

 protected:
  void Paint(HDC dc) override;

 private:
  host::PictureHost& picture_;
  GdiPlus& gdiPlus_;
  ShapeKind shape_ = ShapeKind::Rectangle;
  COLORREF brushColor_ = RGB(255, 255, 255);
  StrokeStyle stroke_;
  int penWidth_ = 1;
};

}  // namespace tags
