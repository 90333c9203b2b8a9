#pragma once
// The estimate of the time GDI takes to draw a metafile, built from what each drawing record asks
// of it in device pixels. The costs follow how GDI draws, not only how many pixels it touches:
// a filled polygon is scan-converted row by row over its whole height, whatever the clip leaves of
// it, at a cost that grows with the square of the edges crossing each row; an ellipse's outline is
// computed point by point around its whole size; a wide pen joins each pair of segments with a
// round region as wide as the pen; a glyph is rendered at its full size before it is clipped.
// The constants are nanoseconds measured under Wine (bench/win/MetafileBench.cpp).

#include <cstddef>
#include <vector>

namespace core::metafile {

// The edges of a shape GDI fills by scan conversion, as spans of device rows.
class EdgeRows {
 public:
  void Add(double top, double bottom);
  size_t Count() const { return edges_.size(); }
  bool Empty() const { return edges_.empty(); }
  void Clear() { edges_.clear(); }
  // Adds every edge of `other`.
  void Append(const EdgeRows& other);
  // The rows from the topmost edge to the bottommost one. Edges within one row are left out, as
  // GDI leaves them out.
  double Rows() const;
  // The sum over those rows of the square of the number of edges crossing each.
  double CrossingsSquared() const;

 private:
  struct Edge {
    double top;
    double bottom;
  };
  std::vector<Edge> edges_;
};

// A pen as GDI draws with it: its width in device pixels. Dashes cost nothing of their own: GDI
// clips a line before it dashes it.
struct DevicePen {
  double width = 1;
  bool null = false;
};

class WorkMeter {
 public:
  WorkMeter(int width, int height);
  double Total() const { return total_; }

  // Work beyond any budget.
  void Overwhelm();
  // Every record GDI is handed; every drawing call.
  void Record();
  void Draw();
  // Creating an object, saving the device context's state, converting and mapping the points of
  // polygons and lines.
  void Object();
  void Points(double count);
  void SaveDc();
  // Filling a device box of w x h pixels; GDI fills only what lies on the canvas.
  void Fill(double w, double h);
  // The points GDI computes around an ellipse, arc or rounded corner of w x h pixels.
  void Outline(double w, double h);
  // Scan-converting a filled shape.
  void ScanConvert(const EdgeRows& edges);
  // Stroking `segments` segments of `length` device pixels in all with `pen`.
  void Stroke(double segments, double length, const DevicePen& pen);
  // Drawing `chars` characters of a font `size` pixels high and wide, `glyphs` of which GDI
  // renders for the first time; a font first used at a size costs its realization.
  void Text(double chars, double glyphs, double size);
  void FontRealization();
  // A bitmap of `sourcePixels` pixels converted and drawn into w x h device pixels.
  void Bitmap(double sourcePixels, double w, double h);
  // Filling from a point: as much as the canvas holds.
  void FloodFill();
  // Building a region of `rects` rectangles one by one.
  void RegionBuild(double rects);
  // Clipping one drawing, or changing the clip region, with a region of `rects` rectangles.
  void Clip(double rects);

 private:
  double OnCanvasX(double w) const;
  double OnCanvasY(double h) const;

  double width_;
  double height_;
  double total_ = 0;
};

}  // namespace core::metafile
