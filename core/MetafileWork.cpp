#include "core/MetafileWork.h"

#include <algorithm>
#include <cmath>

namespace core::metafile {
namespace {

// Nanoseconds, measured under Wine 8 on the project's machine (see bench/win/MetafileBench.cpp)
// and rounded up.
constexpr double kRecord = 300;        // handing a record to GDI
constexpr double kObject = 1500;       // creating or deleting an object
constexpr double kSaveDc = 1500;       // saving the device context
constexpr double kPixel = 0.5;         // filling one pixel
constexpr double kRow = 40;            // one row of a scan-converted or filled shape
constexpr double kCrossing = 6;        // one square crossing in a row of a scan conversion
constexpr double kEdgeBucket = 2;      // passing one row's bucket while inserting an edge
constexpr double kOutlinePixel = 100;  // one pixel of an ellipse's width plus height
constexpr double kSegment = 200;       // one segment of a stroke
constexpr double kStrokePixel = 2;     // one pixel along a thin stroke
constexpr double kJoinPixel = 80;      // one pixel of a wide pen's width at one join
constexpr double kDashPixel = 20;      // one dash of a dashed pen
constexpr double kChar = 600;          // one character
constexpr double kGlyphPixel = 3;      // one pixel of a glyph rendered
constexpr double kFont = 200000;       // realizing a font
constexpr double kBitmapPixel = 4;     // converting one pixel of a bitmap
constexpr double kFloodPixel = 30;     // one pixel of a flood fill
constexpr double kRegionRect = 2;      // one rectangle pair while a region is built
constexpr double kClipRect = 20;       // one clip rectangle in one row

}  // namespace

void EdgeRows::Add(double top, double bottom) {
  if (top > bottom) std::swap(top, bottom);
  edges_.push_back(Edge{top, bottom});
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
  return bottom - top + 1;
}

double EdgeRows::CrossingsSquared() const {
  // The number of edges crossing a row changes only where an edge starts or ends: walk those
  // events from the top down, adding count squared times the rows since the last event. An edge
  // occupies at least the row it starts on.
  std::vector<std::pair<double, int>> events;
  events.reserve(edges_.size() * 2);
  for (const Edge& e : edges_) {
    events.emplace_back(e.top, 1);
    events.emplace_back(std::max(e.bottom, e.top + 1), -1);
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

void WorkMeter::Record() { total_ += kRecord; }
void WorkMeter::Object() { total_ += kObject; }
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
  total_ += kSegment * segments;
  if (pen.width > 1.5) {
    // Each segment becomes a polygon as long as the segment, each join a round region as wide as
    // the pen; both are scan-converted over their whole size.
    total_ += kRow * (length + segments * pen.width) + kJoinPixel * (segments + 1) * pen.width;
  } else {
    total_ += kStrokePixel * std::min(length, segments * (width_ + height_));
  }
  // A dashed pen walks every dash of the whole length, on the canvas or not.
  if (pen.dash > 0) total_ += kDashPixel * length / std::max(pen.dash, 1.0);
}

void WorkMeter::Text(double chars, double distinct, double size) {
  total_ += kChar * chars + kGlyphPixel * distinct * size * size +
            kPixel * chars * OnCanvasX(size) * OnCanvasY(size);
}

void WorkMeter::FontRealization() { total_ += kFont; }

void WorkMeter::Bitmap(double sourcePixels, double w, double h) {
  total_ += kBitmapPixel * sourcePixels;
  Fill(w, h);
}

void WorkMeter::FloodFill() { total_ += kFloodPixel * width_ * height_; }

void WorkMeter::RegionBuild(double rects) { total_ += kObject + kRegionRect * rects * rects; }

void WorkMeter::Clip(double rects, double rows) {
  if (rects > 1) total_ += kClipRect * rects * OnCanvasY(rows);
}

}  // namespace core::metafile
