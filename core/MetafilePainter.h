#pragma once
// What the validator keeps of the device context while it walks a metafile's records: the
// mapping, the selected pen and font, the clip region's complexity, the saved states and the path
// being built; and the drawings of both kinds of metafile, given in logical coordinates, as work
// for the estimate.

#include <cstddef>
#include <set>
#include <span>
#include <tuple>
#include <utility>
#include <vector>

#include "core/MetafileMapping.h"
#include "core/MetafileObjects.h"
#include "core/MetafileRecord.h"
#include "core/MetafileWork.h"

namespace core::metafile {

struct Point {
  double x = 0;
  double y = 0;
};

// The device context's state that SaveDC keeps and RestoreDC brings back.
struct DcState {
  DeviceMapping mapping;
  GdiObject pen;
  double penWidthAtSelection = 1;  // pixels: GDI may keep the width it had when selected
  GdiObject font;
  double fontSizeAtSelection = 16;
  double clipRects = 1;
  double clipBase = 1;  // the rectangles before the exclusions since
  // The device rows of the rectangles cut out since the clip region was last set.
  std::vector<std::pair<double, double>> exclusions;
};

class Painter {
 public:
  Painter(const DeviceMapping& mapping, int width, int height);

  WorkMeter& Work() { return work_; }
  DeviceMapping& Mapping() { return dc_.mapping; }

  // SaveDC and RestoreDC (a negative level counts back from the current one, a positive one is
  // absolute; GDI ignores a level it does not hold).
  void Save(const Record& record);
  void Restore(int64_t level);

  void SelectPen(const GdiObject& pen);
  void SelectFont(const GdiObject& font);
  // The clip region: replaced by one of `rects` rectangles (0: no clipping), or combined with one;
  // intersected with, moved or cut by a rectangle.
  void SetClip(double rects);
  void CombineClip(double rects);
  void IntersectClip();
  void ExcludeClip(Point a, Point b);

  // Drawings. Closed shapes are filled with the brush and outlined with the pen, an ellipse's arc
  // only outlined unless `filled`.
  void Rectangle(Point a, Point b);
  void Ellipse(Point a, Point b, bool filled);
  void RoundRect(Point a, Point b, double cornerW, double cornerH);
  // Polygons (closed, filled) or polylines, `counts` points each, one after another in `points`.
  void Polys(std::span<const Point> points, std::span<const uint32_t> counts, bool closed);
  // Cubic Bézier curves through `points` (3 per curve after the first point).
  void Beziers(std::span<const Point> points);
  void Line(Point a, Point b);
  // Text of these character codes (bytes of an ANSI string, or UTF-16 units).
  void Text(const std::vector<uint16_t>& chars);
  // A bitmap of `sourcePixels` pixels into a logical box; a pattern fill without a bitmap.
  void Bitmap(double sourcePixels, Point a, Point b);
  void FillBox(Point a, Point b);
  // Filling or painting a region of `rects` rectangles within a logical box.
  void Region(double rects, Point a, Point b);
  void FloodFill();
  // A gradient fill of a logical box.
  void Gradient(Point a, Point b);

  // The path: drawings between BeginPath and EndPath build it instead of drawing.
  void BeginPath();
  void EndPath() { inPath_ = false; }
  void AbortPath();
  // Filling and stroking end the path.
  void FillPath(bool stroke);
  void StrokePath();
  void WidenPath();
  void ClipPath(bool replace);

 private:
  // A font as GDI realizes it: face, logical size, pixel size.
  using FontKey = std::tuple<uint64_t, double, double>;

  DevicePen Pen() const;
  double FontSize() const;
  // GDI realizes each font at each size once and keeps it.
  FontKey CurrentFont() const;
  void RealizeFont();
  // The device size of a logical box.
  double W(Point a, Point b) const;
  double H(Point a, Point b) const;
  // A drawing call: GDI prepares it and clips it.
  void Drawn();
  // Stroke work, or path segments while a path is built.
  void Outline(double segments, double length);
  void Edge(Point a, Point b);

  DcState dc_;
  std::vector<DcState> saved_;
  WorkMeter work_;
  double height_;
  bool inPath_ = false;
  EdgeRows edges_;  // of the polygon being filled, or of the path
  double pathSegments_ = 0;
  double pathLength_ = 0;
  // The fonts GDI has realized, each with the glyphs it has rendered: it keeps both.
  std::set<FontKey> realizedFonts_;
  std::set<std::pair<FontKey, uint16_t>> renderedGlyphs_;
};

}  // namespace core::metafile
