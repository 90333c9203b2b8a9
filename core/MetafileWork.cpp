#include "core/MetafileWork.h"

#include <algorithm>
#include <cmath>
#include <limits>

namespace core::metafile {
namespace {

// Nanoseconds, measured under Wine 8 on the project's machine by bench/win/MetafileBench.cpp,
// with a margin of about 1.5 to 3 over the slowest figure seen.
constexpr double kRecord = 40;          // handing a record to GDI
constexpr double kDraw = 1500;          // one drawing call: its pen, brush and clip prepared
constexpr double kObject = 1500;        // creating or deleting an object
constexpr double kSaveDc = 6000;        // saving or restoring the device context
constexpr double kPixel = 0.5;          // filling one pixel
constexpr double kRow = 40;             // one row of a scan-converted or filled shape
constexpr double kPoint = 150;          // one point of a polygon or line, converted and mapped
constexpr double kCrossing = 9;         // one square crossing in a row of a scan conversion
constexpr double kEdgeBucket = 2;       // passing one row's bucket while inserting an edge
constexpr double kOutlinePixel = 100;   // one pixel of an ellipse's width plus height
constexpr double kSegment = 60;         // one segment of a thin stroke
constexpr double kStrokePixel = 0.5;    // one pixel along a thin stroke
constexpr double kWideSegment = 12000;  // one segment of a wide stroke
constexpr double kJoinPixel = 130;      // one pixel of a wide pen's width at one join
constexpr double kChar = 2000;          // one character
constexpr double kGlyph = 100000;       // rendering a glyph
constexpr double kGlyphPixel = 3;       // one pixel of a glyph rendered
constexpr double kFont = 1000000;       // realizing a font at a size
constexpr double kBitmapPixel = 10;     // converting one pixel of a bitmap
constexpr double kFloodPixel = 1;       // one pixel of a flood fill
constexpr double kRegionCall = 2500;    // adding one rectangle to a region
constexpr double kRegionRect = 3;       // one rectangle pair while a region is built
constexpr double kClipRect = 100;       // one clip rectangle while a drawing is clipped

}  // namespace

void EdgeRows::Add(double top, double bottom) {
  // GDI rounds to whole rows and leaves out edges within one row.
  top = std::floor(top + 0.5);
  bottom = std::floor(bottom + 0.5);
  if (top > bottom) std::swap(top, bottom);
  if (top != bottom) edges_.push_back(Edge{top, bottom});
}

void EdgeRows::Append(const EdgeRows& other) {
  edges_.insert(edges_.end(), other.edges_.begin(), other.edges_.end());
}

double EdgeRows::Rows() const {
  if (edges_.empty()) return 0;
  double top = edges_[0].top;
  double bottom = edges_[0].bottom;
  for (const Edge& e : edges_) {
    top = std::min(top, e.top);
    bottom = std::max(bottom, e.bottom);
  }
  return bottom - top;
}

double EdgeRows::CrossingsSquared() const {
  // The number of edges crossing a row changes only where an edge starts or ends: walk those
  // events from the top down, adding count squared times the rows since the last event.
  std::vector<std::pair<double, int>> events;
  events.reserve(edges_.size() * 2);
  for (const Edge& e : edges_) {
    events.emplace_back(e.top, 1);
    events.emplace_back(e.bottom, -1);
  }
  std::sort(events.begin(), events.end());
  double sum = 0;
  double count = 0;
  double last = events.empty() ? 0 : events.front().first;
  for (const auto& [row, change] : events) {
    sum += count * count * (row - last);
    last = row;
    count += change;
  }
  return sum;
}

WorkMeter::WorkMeter(int width, int height)
    : width_(std::max(width, 1)), height_(std::max(height, 1)) {}

double WorkMeter::OnCanvasX(double w) const { return std::min(w + 1, width_); }
double WorkMeter::OnCanvasY(double h) const { return std::min(h + 1, height_); }

void WorkMeter::Overwhelm() { total_ = std::numeric_limits<double>::infinity(); }
void WorkMeter::Record() { total_ += kRecord; }
void WorkMeter::Draw() { total_ += kDraw; }
void WorkMeter::Object() { total_ += kObject; }
void WorkMeter::Points(double count) { total_ += kPoint * count; }
void WorkMeter::SaveDc() { total_ += kSaveDc; }

void WorkMeter::Fill(double w, double h) {
  total_ += kPixel * OnCanvasX(w) * OnCanvasY(h) + kRow * OnCanvasY(h);
}

void WorkMeter::Outline(double w, double h) { total_ += kOutlinePixel * (w + h + 2); }

void WorkMeter::ScanConvert(const EdgeRows& edges) {
  if (edges.Empty()) return;
  // The edge table keeps one bucket per row an edge starts on, found by walking from the top.
  const double count = static_cast<double>(edges.Count());
  total_ += kRow * edges.Rows() + kCrossing * edges.CrossingsSquared() +
            kEdgeBucket * count * std::min(count, edges.Rows());
}

void WorkMeter::Stroke(double segments, double length, const DevicePen& pen) {
  if (pen.null) return;
  // A line is clipped before it is drawn, wide or dashed.
  const double drawn = std::min(length, segments * (width_ + height_));
  if (pen.width > 1.5) {
    // Each segment becomes a polygon, each join a round region as wide as the pen, both
    // scan-converted over their whole height.
    total_ += kWideSegment * segments + kRow * (drawn + segments * pen.width) +
              kJoinPixel * (segments + 1) * pen.width;
  } else {
    total_ += kSegment * segments + kStrokePixel * drawn;
  }
}

void WorkMeter::Text(double chars, double glyphs, double size) {
  total_ += kChar * chars + glyphs * (kGlyph + kGlyphPixel * size * size) +
            kPixel * chars * OnCanvasX(size) * OnCanvasY(size);
}

void WorkMeter::FontRealization() { total_ += kFont; }

void WorkMeter::Bitmap(double sourcePixels, double w, double h) {
  total_ += kBitmapPixel * sourcePixels;
  Fill(w, h);
}

void WorkMeter::FloodFill() { total_ += kFloodPixel * width_ * height_; }

void WorkMeter::RegionBuild(double rects) {
  total_ += kObject + kRegionCall * rects + kRegionRect * rects * rects;
}

void WorkMeter::Clip(double rects) {
  if (rects > 1) total_ += kClipRect * rects;
}

}  // namespace core::metafile
