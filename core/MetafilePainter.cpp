#include "core/MetafilePainter.h"

#include <algorithm>
#include <cmath>

namespace core::metafile {
namespace {

// GDI keeps a whole copy of the device context for each saved state; no drawing needs more than a
// few levels.
constexpr size_t kMaxSavedStates = 256;
// GDI flattens a Bézier curve into at most 2^8 segments.
constexpr double kMaxCurveSegments = 256;
// Edges of one glyph's outline when text is drawn into a path.
constexpr double kGlyphEdges = 16;
// A path of more edges than this takes GDI longer than any budget to fill; the estimate stops
// following it there.
constexpr double kMaxPathEdges = 1e6;
constexpr double kHuge = 1e300;
// Rectangles cut out of the clip region that the estimate follows one by one.
constexpr size_t kMaxExclusions = 4096;

// The rectangles of a region of `base` rectangles with rectangles spanning these rows cut out:
// the spans' ends divide the rows into bands, and in each band every rectangle crossing it splits
// each piece of it in at most three.
double RectsAfterExclusions(double base, const std::vector<std::pair<double, double>>& spans) {
  std::vector<std::pair<double, int>> events;
  for (const auto& [a, b] : spans) {
    events.emplace_back(std::min(a, b), 1);
    events.emplace_back(std::max(a, b), -1);
  }
  std::sort(events.begin(), events.end());
  double pieces = 1;
  int crossing = 0;
  for (size_t i = 0; i < events.size(); ++i) {
    crossing += events[i].second;
    if (i + 1 < events.size() && events[i + 1].first > events[i].first) pieces += 2 * crossing + 1;
  }
  return base * pieces;
}

}  // namespace

Painter::Painter(const DeviceMapping& mapping, int width, int height)
    : dc_{mapping, GdiObject{ObjectKind::Pen}}, work_(width, height), height_(height) {
  dc_.font.kind = ObjectKind::Font;
}

void Painter::Save(const Record& record) {
  if (saved_.size() >= kMaxSavedStates) record.Fail(MetafileFault::Nesting);
  saved_.push_back(dc_);
  work_.SaveDc();
}

void Painter::Restore(int64_t level) {
  const auto depth = static_cast<int64_t>(saved_.size());
  int64_t keep = -1;
  if (level < 0 && -level <= depth) keep = depth + level;
  if (level > 0 && level <= depth) keep = level - 1;
  if (keep < 0) return;
  dc_ = saved_[static_cast<size_t>(keep)];
  saved_.erase(saved_.begin() + static_cast<std::ptrdiff_t>(keep), saved_.end());
  work_.SaveDc();
}

void Painter::SelectPen(const GdiObject& pen) {
  dc_.pen = pen;
  dc_.penWidthAtSelection = 1;
  dc_.penWidthAtSelection = Pen().width;
}

void Painter::SelectFont(const GdiObject& font) {
  dc_.font = font;
  dc_.fontSizeAtSelection = 0;
  dc_.fontSizeAtSelection = FontSize();
  RealizeFont();
}

Painter::FontKey Painter::CurrentFont() const {
  return std::make_tuple(dc_.font.face, dc_.font.size, std::floor(FontSize()));
}

void Painter::RealizeFont() {
  if (realizedFonts_.insert(CurrentFont()).second) work_.FontRealization();
}

DevicePen Painter::Pen() const {
  const GdiObject& pen = dc_.pen;
  DevicePen device;
  device.null = pen.nullPen;
  const double width = pen.geometric ? dc_.mapping.Length(pen.size) : 1;
  device.width = std::max(dc_.penWidthAtSelection, width);
  return device;
}

double Painter::FontSize() const {
  // A font of no given size is GDI's default size, in logical units or pixels.
  const double size = dc_.font.size > 0 ? dc_.mapping.Length(dc_.font.size)
                                        : std::max(16.0, dc_.mapping.Length(16));
  return std::max(dc_.fontSizeAtSelection, size);
}

void Painter::SetClip(double rects) {
  dc_.clipRects = dc_.clipBase = std::max(rects, 1.0);
  dc_.exclusions.clear();
  work_.Clip(dc_.clipRects);
}

void Painter::CombineClip(double rects) {
  // Combining regions can cut every band of one by every band of the other.
  SetClip(dc_.clipRects + rects + dc_.clipRects * rects);
}

void Painter::IntersectClip() { work_.Clip(dc_.clipRects); }

void Painter::ExcludeClip(Point a, Point b) {
  if (dc_.exclusions.size() >= kMaxExclusions) {
    dc_.clipRects = kHuge;
  } else {
    dc_.exclusions.emplace_back(dc_.mapping.Row(a.x, a.y), dc_.mapping.Row(b.x, b.y));
    dc_.clipRects = RectsAfterExclusions(dc_.clipBase, dc_.exclusions);
  }
  work_.Clip(dc_.clipRects);
}

double Painter::W(Point a, Point b) const {
  return dc_.mapping.Width(std::fabs(b.x - a.x), std::fabs(b.y - a.y));
}

double Painter::H(Point a, Point b) const {
  return dc_.mapping.Height(std::fabs(b.x - a.x), std::fabs(b.y - a.y));
}

void Painter::Drawn() {
  if (inPath_) return;
  work_.Draw();
  work_.Clip(dc_.clipRects);
}

void Painter::Edge(Point a, Point b) {
  edges_.Add(dc_.mapping.Row(a.x, a.y), dc_.mapping.Row(b.x, b.y));
}

void Painter::Outline(double segments, double length) {
  if (inPath_) {
    pathSegments_ += segments;
    pathLength_ += length;
  } else {
    work_.Stroke(segments, length, Pen());
  }
}

void Painter::Rectangle(Point a, Point b) {
  const Point corners[] = {a, {b.x, a.y}, b, {a.x, b.y}};
  const uint32_t count = 4;
  if (inPath_ || !dc_.mapping.Upright()) {
    Polys(corners, {&count, 1}, true);
    return;
  }
  const double w = W(a, b);
  const double h = H(a, b);
  work_.Fill(w, h);
  Outline(4, 2 * (w + h));
  Drawn();
}

void Painter::Ellipse(Point a, Point b, bool filled) {
  const double w = W(a, b);
  const double h = H(a, b);
  work_.Outline(w, h);
  const double segments = std::min(w + h + 4, 4 * kMaxCurveSegments);
  if (inPath_ || filled) {
    EdgeRows sides;
    sides.Add(dc_.mapping.Row(a.x, a.y), dc_.mapping.Row(b.x, b.y));
    sides.Add(dc_.mapping.Row(a.x, a.y), dc_.mapping.Row(b.x, b.y));
    if (inPath_) {
      edges_.Append(sides);
    } else {
      work_.ScanConvert(sides);
      work_.Fill(w, h);
    }
  }
  Outline(segments, 1.6 * (w + h));
  Drawn();
}

void Painter::RoundRect(Point a, Point b, double cornerW, double cornerH) {
  work_.Outline(dc_.mapping.Width(std::fabs(cornerW), 0),
                dc_.mapping.Height(0, std::fabs(cornerH)));
  Rectangle(a, b);
}

void Painter::Polys(std::span<const Point> points, std::span<const uint32_t> counts, bool closed) {
  work_.Points(static_cast<double>(points.size()));
  EdgeRows shape;
  double segments = 0;
  double length = 0;
  double minX = kHuge, maxX = -kHuge, minY = kHuge, maxY = -kHuge;
  size_t first = 0;
  for (uint32_t count : counts) {
    const std::span<const Point> poly = points.subspan(first, count);
    first += count;
    // A figure left open in a path is closed when the path is filled.
    for (size_t i = 0; i < poly.size(); ++i) {
      const bool last = i + 1 == poly.size();
      if (last && !closed && !inPath_) break;
      const Point a = poly[i];
      const Point b = poly[last ? 0 : i + 1];
      shape.Add(dc_.mapping.Row(a.x, a.y), dc_.mapping.Row(b.x, b.y));
      if (last && !closed) break;
      segments += 1;
      length += W(a, b) + H(a, b);
    }
    for (const Point& p : poly) {
      minX = std::min(minX, p.x);
      maxX = std::max(maxX, p.x);
      minY = std::min(minY, p.y);
      maxY = std::max(maxY, p.y);
    }
  }
  if (segments == 0) return;
  const Point low{minX, minY};
  const Point high{maxX, maxY};
  if (inPath_) {
    if (static_cast<double>(edges_.Count() + shape.Count()) > kMaxPathEdges) work_.Overwhelm();
    edges_.Append(shape);
  } else if (closed) {
    work_.ScanConvert(shape);
    work_.Fill(W(low, high), shape.Rows());
  }
  Outline(segments, length);
  Drawn();
}

void Painter::Beziers(std::span<const Point> points) {
  work_.Points(static_cast<double>(points.size()));
  double segments = 0;
  double length = 0;
  double rows = 0;
  for (size_t i = 0; i + 3 < points.size(); i += 3) {
    double top = kHuge, bottom = -kHuge, curve = 0;
    for (size_t k = i; k <= i + 3; ++k) {
      const double row = dc_.mapping.Row(points[k].x, points[k].y);
      top = std::min(top, row);
      bottom = std::max(bottom, row);
      if (k > i) curve += W(points[k - 1], points[k]) + H(points[k - 1], points[k]);
    }
    // A cubic curve crosses a row at most three times, within its control points' rows.
    if (inPath_) {
      for (int e = 0; e < 3; ++e) edges_.Add(top, bottom);
    }
    segments += std::clamp(curve / 2, 1.0, kMaxCurveSegments);
    length += curve;
    rows = std::max(rows, bottom - top);
  }
  Outline(segments, length);
  Drawn();
}

void Painter::Line(Point a, Point b) {
  if (inPath_) Edge(a, b);
  Outline(1, W(a, b) + H(a, b));
  Drawn();
}

void Painter::Text(const std::vector<uint16_t>& chars) {
  RealizeFont();
  const double size = FontSize();
  const FontKey font = CurrentFont();
  double glyphs = 0;
  for (uint16_t c : chars) {
    if (renderedGlyphs_.emplace(font, c).second) ++glyphs;
  }
  const auto count = static_cast<double>(chars.size());
  work_.Text(count, glyphs, size);
  if (inPath_) {
    const double edges = count * kGlyphEdges;
    if (static_cast<double>(edges_.Count()) + edges > kMaxPathEdges) {
      work_.Overwhelm();
    } else {
      for (double e = 0; e < edges; ++e) edges_.Add(0, size);
    }
  }
  Drawn();
}

void Painter::Bitmap(double sourcePixels, Point a, Point b) {
  work_.Bitmap(sourcePixels, W(a, b), H(a, b));
  Drawn();
}

void Painter::FillBox(Point a, Point b) {
  work_.Fill(W(a, b), H(a, b));
  Drawn();
}

void Painter::Region(double rects, Point a, Point b) {
  work_.RegionBuild(rects);
  work_.Fill(W(a, b), H(a, b));
  Drawn();
}

void Painter::FloodFill() {
  work_.FloodFill();
  Drawn();
}

void Painter::Gradient(Point a, Point b) {
  // Every pixel is interpolated, then filled.
  work_.Fill(W(a, b), H(a, b));
  work_.Fill(W(a, b), H(a, b));
  Drawn();
}

void Painter::BeginPath() {
  AbortPath();
  inPath_ = true;
}

void Painter::AbortPath() {
  inPath_ = false;
  edges_.Clear();
  pathSegments_ = 0;
  pathLength_ = 0;
}

void Painter::FillPath(bool stroke) {
  work_.ScanConvert(edges_);
  work_.Fill(kHuge, edges_.Rows());
  if (stroke) work_.Stroke(pathSegments_, pathLength_, Pen());
  Drawn();
  AbortPath();
}

void Painter::StrokePath() {
  work_.Stroke(pathSegments_, pathLength_, Pen());
  Drawn();
  AbortPath();
}

void Painter::WidenPath() {
  const DevicePen pen = Pen();
  work_.Stroke(pathSegments_, pathLength_, pen);
  // The outline of the wide stroke: each edge on both sides, each segment's ends across the pen.
  if (2 * (static_cast<double>(edges_.Count()) + pathSegments_) > kMaxPathEdges) {
    work_.Overwhelm();
    AbortPath();
    return;
  }
  EdgeRows widened;
  widened.Append(edges_);
  widened.Append(edges_);
  for (double s = 0; s < pathSegments_; ++s) {
    widened.Add(0, pen.width);
    widened.Add(0, pen.width);
  }
  edges_ = widened;
  pathSegments_ *= 4;
  pathLength_ = pathLength_ * 2 + pathSegments_ * pen.width;
}

void Painter::ClipPath(bool replace) {
  work_.ScanConvert(edges_);
  const double rects =
      std::min(edges_.Rows(), height_) * std::max(1.0, static_cast<double>(edges_.Count()) / 2);
  if (replace) {
    SetClip(rects);
  } else {
    CombineClip(rects);
  }
  AbortPath();
}

}  // namespace core::metafile
