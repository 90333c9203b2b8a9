// The record walk of an enhanced metafile: an ENHMETAHEADER record, then records of a type and a
// size in bytes, up to EMR_EOF at the end the header declares. Each record is checked for what
// the player reads from it (counts, offsets and sizes inside the record are trusted by it), and
// its drawing is added to the work estimate.

#include <algorithm>
#include <vector>

#include "core/MetafileDib.h"
#include "core/MetafileObjects.h"
#include "core/MetafilePainter.h"
#include "core/MetafileRecord.h"
#include "core/MetafileWalkers.h"

namespace core::metafile {
namespace {

constexpr uint32_t kSignature = 0x464D4520;  // " EMF"
constexpr size_t kHeaderSize = 88;
constexpr uint32_t kStockObject = 0x80000000;
constexpr uint32_t kLastStockObject = 19;  // DC_PEN
constexpr uint32_t kStockNullPen = 8;
constexpr uint32_t kDefaultPalette = 15;
constexpr uint32_t kRgnCopy = 5;
constexpr size_t kRegionHeader = 32;  // RGNDATAHEADER
constexpr uint32_t kPdy = 0x2000;     // ETO_PDY: the spacing array holds x and y
constexpr uint32_t kOpaque = 0x0002;  // ETO_OPAQUE

// The character codes of a string of `chars` bytes or UTF-16 units at `at`.
std::vector<uint16_t> Chars(const Record& r, uint64_t at, uint64_t chars, bool wide) {
  std::vector<uint16_t> codes(static_cast<size_t>(chars));
  for (size_t i = 0; i < codes.size(); ++i) {
    codes[i] = wide ? r.U16(at + 2 * i) : r.Bytes(at + i, 1)[0];
  }
  return codes;
}

class EmfWalk {
 public:
  EmfWalk(size_t handles, const DeviceMapping& mapping, const MetafileLimits& limits)
      : table_(handles), painter_(mapping, limits.width, limits.height) {}

  WorkMeter& Work() { return painter_.Work(); }
  void Play(const Record& r, uint32_t type);

 private:
  static Point At(const Record& r, uint64_t at) {
    return Point{double(r.S32(at)), double(r.S32(at + 4))};
  }
  static std::pair<Point, Point> Box(const Record& r, uint64_t at) {
    return {At(r, at), At(r, at + 8)};
  }
  // `count` points of 32-bit (or 16-bit) coordinates from `at`.
  static std::vector<Point> Points(const Record& r, uint64_t at, uint64_t count, bool small);
  // A new object's slot: never 0, which holds the metafile itself, and empty.
  void Create(const Record& r, uint64_t index, const GdiObject& object);
  // An object a record uses: a stock object, or one the metafile created.
  GdiObject Use(const Record& r, uint32_t index);
  // The rectangles of the region data of `size` bytes at `at`.
  static double RegionRects(const Record& r, uint64_t at, uint64_t size);
  // The bitmap of a blit: its header at offBmi (cbBmi bytes), its rows at offBits (cbBits).
  static DibLayout BlitBitmap(const Record& r, uint64_t offsets, uint32_t usage);
  static Linear Transform(const Record& r, uint64_t at);
  void Mapping(const Record& r, bool ok) { r.Require(ok, MetafileFault::Value); }
  void Polys(const Record& r, uint32_t type);
  void PolyPolys(const Record& r, bool small, bool closed);
  void Pen(const Record& r);
  void ExtPen(const Record& r);
  void Text(const Record& r, bool wide);
  void Blit(const Record& r, uint64_t destination, uint64_t offsets, uint64_t usage);
  void Gradient(const Record& r);

  ObjectTable table_;
  Painter painter_;
  Point current_;
};

std::vector<Point> EmfWalk::Points(const Record& r, uint64_t at, uint64_t count, bool small) {
  const uint64_t size = small ? 4 : 8;
  r.Need(at, count * size);
  std::vector<Point> points(static_cast<size_t>(count));
  for (size_t i = 0; i < points.size(); ++i) {
    const uint64_t p = at + i * size;
    points[i] = small ? Point{double(r.S16(p)), double(r.S16(p + 2))} : At(r, p);
  }
  return points;
}

void EmfWalk::Create(const Record& r, uint64_t index, const GdiObject& object) {
  r.Require(index != 0 && table_.Contains(index), MetafileFault::ObjectIndex);
  // Overwriting a slot would leave its object to the end of the process.
  r.Require(table_.At(index).kind == ObjectKind::Empty, MetafileFault::ObjectTable);
  table_.Put(index, object);
  Work().Object();
}

GdiObject EmfWalk::Use(const Record& r, uint32_t index) {
  if (index & kStockObject) {
    const uint32_t stock = index & ~kStockObject;
    r.Require(stock <= kLastStockObject, MetafileFault::ObjectIndex);
    GdiObject object;
    if (stock >= 6 && stock <= 8) {
      object.kind = ObjectKind::Pen;
      object.nullPen = stock == kStockNullPen;
    } else if (stock == kLastStockObject) {
      object.kind = ObjectKind::Pen;
    } else if (stock >= 10 && stock <= 17 && stock != kDefaultPalette) {
      object.kind = ObjectKind::Font;
    }
    return object;
  }
  r.Require(index != 0 && table_.Contains(index), MetafileFault::ObjectIndex);
  return table_.At(index);
}

double EmfWalk::RegionRects(const Record& r, uint64_t at, uint64_t size) {
  r.Need(at, size);
  r.Require(size >= kRegionHeader && r.U32(at) == kRegionHeader && r.U32(at + 4) == 1,
            MetafileFault::Count);
  const uint64_t rects = r.U32(at + 8);
  r.Require(rects <= (size - kRegionHeader) / 16, MetafileFault::Count);
  return static_cast<double>(rects);
}

DibLayout EmfWalk::BlitBitmap(const Record& r, uint64_t offsets, uint32_t usage) {
  const uint32_t offBmi = r.U32(offsets);
  const uint32_t cbBmi = r.U32(offsets + 4);
  const uint32_t offBits = r.U32(offsets + 8);
  const uint32_t cbBits = r.U32(offsets + 12);
  r.Need(offBmi, cbBmi);
  r.Need(offBits, cbBits);
  const DibLayout dib = CheckDibHeader(r, offBmi, cbBmi, usage);
  r.Require(dib.bitsBytes <= cbBits, MetafileFault::Bitmap);
  return dib;
}

Linear EmfWalk::Transform(const Record& r, uint64_t at) {
  return Linear{r.Float(at),      r.Float(at + 4),  r.Float(at + 8),
                r.Float(at + 12), r.Float(at + 16), r.Float(at + 20)};
}

void EmfWalk::Polys(const Record& r, uint32_t type) {
  // rclBounds, the point count, the points.
  const bool small = type >= 85;
  const uint32_t base = small ? type - 83 : type;  // the 32-bit record's type
  const uint64_t count = r.U32(24);
  std::vector<Point> points = Points(r, 28, count, small);
  const bool to = base == 5 || base == 6;  // POLYBEZIERTO, POLYLINETO: from the current position
  if (to) points.insert(points.begin(), current_);
  if (!points.empty()) current_ = points.back();
  if (base == 2 || base == 5) {
    painter_.Beziers(points);
  } else {
    const auto n = static_cast<uint32_t>(points.size());
    painter_.Polys(points, {&n, 1}, base == 3);
  }
}

void EmfWalk::PolyPolys(const Record& r, bool small, bool closed) {
  // rclBounds, the number of polygons, the number of points, the counts, the points. The player
  // hands the counts and the points to GDI as they are: the counts must add up to the points.
  const uint32_t polys = r.U32(24);
  const uint64_t total = r.U32(28);
  r.Need(32, uint64_t{polys} * 4);
  std::vector<uint32_t> counts(polys);
  uint64_t sum = 0;
  for (uint32_t i = 0; i < polys; ++i) {
    counts[i] = r.U32(32 + 4 * uint64_t{i});
    sum += counts[i];
  }
  r.Require(sum == total, MetafileFault::Count);
  const std::vector<Point> points = Points(r, 32 + 4 * uint64_t{polys}, total, small);
  painter_.Polys(points, counts, closed);
}

void EmfWalk::Pen(const Record& r) {
  // The slot, then LOGPEN: style, width (x, y), colour.
  const uint32_t style = r.U32(12) & 0x0F;
  r.Need(12, 16);
  GdiObject pen{ObjectKind::Pen};
  pen.size = std::abs(double(r.S32(16)));
  pen.geometric = pen.size > 0;
  pen.nullPen = style == 5;
  Create(r, r.U32(8), pen);
}

void EmfWalk::ExtPen(const Record& r) {
  // The slot, a bitmap's offsets (unused), then EXTLOGPEN: style, width, brush style, colour,
  // hatch, the number of style entries and the entries.
  const uint32_t style = r.U32(28);
  const uint32_t width = r.U32(32);
  const uint32_t brush = r.U32(36);
  const uint32_t hatch = r.U32(44);
  const uint32_t entries = r.U32(48);
  const uint32_t kind = style & 0x000F0000;  // PS_COSMETIC or PS_GEOMETRIC
  const uint32_t line = style & 0x0F;
  r.Require((kind == 0 || kind == 0x00010000) && line <= 8 && brush <= 2 &&
                (brush != 2 || hatch <= 5) && entries <= 16 && (entries == 0 || line == 7),
            MetafileFault::Value);
  r.Need(52, uint64_t{entries} * 4);
  GdiObject pen{ObjectKind::Pen};
  pen.geometric = kind != 0;
  pen.size = pen.geometric ? width : 0;
  pen.nullPen = line == 5;
  if (line == 7) {
    // A user style whose dashes all have no length would never end a line.
    uint64_t total = 0;
    for (uint32_t i = 0; i < entries; ++i) total += r.U32(52 + 4 * uint64_t{i});
    r.Require(total > 0, MetafileFault::Value);
  }
  Create(r, r.U32(8), pen);
}

void EmfWalk::Text(const Record& r, bool wide) {
  // rclBounds, graphics mode, x and y scales, then EMRTEXT: reference point, characters, string
  // offset, options, rectangle, spacing offset.
  r.Float(28);
  r.Float(32);
  const uint64_t chars = r.U32(44);
  const uint32_t offString = r.U32(48);
  const uint32_t options = r.U32(52);
  const uint32_t offDx = r.U32(72);
  r.Need(offString, chars * (wide ? 2 : 1));
  if (offDx != 0) r.Need(offDx, chars * ((options & kPdy) ? 8 : 4));
  if (options & kOpaque) {
    const auto [a, b] = Box(r, 56);
    painter_.FillBox(a, b);
  }
  painter_.Text(Chars(r, offString, chars, wide));
}

void EmfWalk::Blit(const Record& r, uint64_t destination, uint64_t offsets, uint64_t usage) {
  const Point a = At(r, destination);
  const Point size = At(r, destination + 8);
  const Point b{a.x + size.x, a.y + size.y};
  // Without a bitmap the record is a pattern fill.
  if (r.U32(offsets) == 0) {
    painter_.FillBox(a, b);
    return;
  }
  const DibLayout dib = BlitBitmap(r, offsets, r.U32(usage));
  painter_.Bitmap(dib.pixels, a, b);
}

void EmfWalk::Gradient(const Record& r) {
  // rclBounds, vertices, elements, mode, the vertices (x, y, four colours), the elements (three
  // vertex numbers for a triangle, two for a rectangle).
  const uint64_t vertices = r.U32(24);
  const uint64_t elements = r.U32(28);
  const uint32_t mode = r.U32(32);
  r.Require(mode <= 2, MetafileFault::Value);
  const uint64_t corners = mode == 2 ? 3 : 2;
  const uint64_t mesh = 36 + vertices * 16;
  r.Need(36, vertices * 16);
  r.Need(mesh, elements * corners * 4);
  for (uint64_t e = 0; e < elements; ++e) {
    Point low{1e300, 1e300}, high{-1e300, -1e300};
    for (uint64_t c = 0; c < corners; ++c) {
      const uint32_t v = r.U32(mesh + (e * corners + c) * 4);
      r.Require(v < vertices, MetafileFault::Count);
      const Point p = At(r, 36 + uint64_t{v} * 16);
      low = Point{std::min(low.x, p.x), std::min(low.y, p.y)};
      high = Point{std::max(high.x, p.x), std::max(high.y, p.y)};
    }
    painter_.Gradient(low, high);
  }
}

void EmfWalk::Play(const Record& r, uint32_t type) {
  switch (type) {
    case 2:   // POLYBEZIER
    case 3:   // POLYGON
    case 4:   // POLYLINE
    case 5:   // POLYBEZIERTO
    case 6:   // POLYLINETO
    case 85:  // POLYBEZIER16
    case 86:  // POLYGON16
    case 87:  // POLYLINE16
    case 88:  // POLYBEZIERTO16
    case 89:  // POLYLINETO16
      Polys(r, type);
      break;
    case 7:   // POLYPOLYLINE
    case 8:   // POLYPOLYGON
    case 90:  // POLYPOLYLINE16
    case 91:  // POLYPOLYGON16
      PolyPolys(r, type >= 90, type == 8 || type == 91);
      break;
    case 56:    // POLYDRAW: points, then a type byte for each
    case 92: {  // POLYDRAW16
      const bool small = type == 92;
      const uint64_t count = r.U32(24);
      const std::vector<Point> points = Points(r, 28, count, small);
      r.Need(28 + count * (small ? 4 : 8), count);
      // Lines and curves in any order: counted as both.
      const auto n = static_cast<uint32_t>(points.size());
      painter_.Polys(points, {&n, 1}, false);
      painter_.Beziers(points);
      break;
    }
    case 9:  // SETWINDOWEXTEX
      Mapping(r, painter_.Mapping().SetWindowExt(r.S32(8), r.S32(12)));
      break;
    case 10:  // SETWINDOWORGEX
      painter_.Mapping().SetWindowOrg(r.S32(8), r.S32(12));
      break;
    case 11:  // SETVIEWPORTEXTEX
      Mapping(r, painter_.Mapping().SetViewportExt(r.S32(8), r.S32(12)));
      break;
    case 12:  // SETVIEWPORTORGEX
      painter_.Mapping().SetViewportOrg(r.S32(8), r.S32(12));
      break;
    case 13:  // SETBRUSHORGEX
      r.Need(8, 8);
      break;
    case 27:  // MOVETOEX
      current_ = At(r, 8);
      break;
    case 15:  // SETPIXELV
      r.Need(8, 12);
      break;
    case 16:   // SETMAPPERFLAGS
    case 18:   // SETBKMODE
    case 19:   // SETPOLYFILLMODE
    case 20:   // SETROP2
    case 21:   // SETSTRETCHBLTMODE
    case 22:   // SETTEXTALIGN
    case 24:   // SETTEXTCOLOR
    case 25:   // SETBKCOLOR
    case 57:   // SETARCDIRECTION
    case 98:   // SETICMMODE
    case 115:  // SETLAYOUT
      r.U32(8);
      break;
    case 17:  // SETMAPMODE
      Mapping(r, painter_.Mapping().SetMapMode(r.U32(8)));
      break;
    case 23:  // SETCOLORADJUSTMENT
      r.Need(8, 24);
      break;
    case 26:  // OFFSETCLIPRGN
      r.Need(8, 8);
      painter_.IntersectClip();
      break;
    case 28:  // SETMETARGN
      break;
    case 29: {  // EXCLUDECLIPRECT
      const auto [a, b] = Box(r, 8);
      painter_.ExcludeClip(a, b);
      break;
    }
    case 30:  // INTERSECTCLIPRECT
      r.Need(8, 16);
      painter_.IntersectClip();
      break;
    case 31:  // SCALEVIEWPORTEXTEX: x numerator, x denominator, y numerator, y denominator
      Mapping(r, painter_.Mapping().ScaleViewportExt(r.S32(8), r.S32(12), r.S32(16), r.S32(20)));
      break;
    case 32:  // SCALEWINDOWEXTEX
      Mapping(r, painter_.Mapping().ScaleWindowExt(r.S32(8), r.S32(12), r.S32(16), r.S32(20)));
      break;
    case 33:  // SAVEDC
      painter_.Save(r);
      break;
    case 34:  // RESTOREDC
      painter_.Restore(r.S32(8));
      break;
    case 35:  // SETWORLDTRANSFORM
      Mapping(r, painter_.Mapping().SetWorld(Transform(r, 8)));
      break;
    case 36: {  // MODIFYWORLDTRANSFORM: a transform, then how it applies
      const Linear transform = Transform(r, 8);
      const uint32_t mode = r.U32(32);
      r.Require(mode >= 1 && mode <= 3, MetafileFault::Value);
      if (mode == 1) {
        painter_.Mapping().ResetWorld();
      } else {
        Mapping(r, painter_.Mapping().MultiplyWorld(transform, mode == 2));
      }
      break;
    }
    case 37: {  // SELECTOBJECT
      const GdiObject object = Use(r, r.U32(8));
      if (object.kind == ObjectKind::Pen) painter_.SelectPen(object);
      if (object.kind == ObjectKind::Font) painter_.SelectFont(object);
      break;
    }
    case 38:  // CREATEPEN
      Pen(r);
      break;
    case 39: {  // CREATEBRUSHINDIRECT: slot, style, colour, hatch
      const uint32_t style = r.U32(12);
      r.Require(style <= 2 && (style != 2 || r.U32(20) <= 5), MetafileFault::Value);
      Create(r, r.U32(8), GdiObject{ObjectKind::Brush});
      break;
    }
    case 40: {  // DELETEOBJECT
      const uint32_t index = r.U32(8);
      // The player ignores stock objects; slot 0 holds the metafile itself.
      if (index & kStockObject) break;
      r.Require(index != 0 && table_.Contains(index), MetafileFault::ObjectIndex);
      table_.Put(index, GdiObject{});
      Work().Object();
      break;
    }
    case 41: {  // ANGLEARC: centre, radius, start and sweep angles
      const Point centre = At(r, 8);
      const double radius = r.U32(16);
      r.Float(20);
      r.Float(24);
      painter_.Ellipse(Point{centre.x - radius, centre.y - radius},
                       Point{centre.x + radius, centre.y + radius}, false);
      break;
    }
    case 42: {  // ELLIPSE
      const auto [a, b] = Box(r, 8);
      painter_.Ellipse(a, b, true);
      break;
    }
    case 43: {  // RECTANGLE
      const auto [a, b] = Box(r, 8);
      painter_.Rectangle(a, b);
      break;
    }
    case 44: {  // ROUNDRECT: box, corner
      const auto [a, b] = Box(r, 8);
      const Point corner = At(r, 24);
      painter_.RoundRect(a, b, corner.x, corner.y);
      break;
    }
    case 45:    // ARC: box, start, end
    case 46:    // CHORD
    case 47:    // PIE
    case 55: {  // ARCTO
      r.Need(8, 32);
      const auto [a, b] = Box(r, 8);
      painter_.Ellipse(a, b, type == 46 || type == 47);
      break;
    }
    case 48: {  // SELECTPALETTE
      const uint32_t index = r.U32(8);
      if (index != (kStockObject | kDefaultPalette)) Use(r, index);
      break;
    }
    case 49: {  // CREATEPALETTE: slot, LOGPALETTE (version, entries, the entries)
      r.Need(16, 4 * uint64_t{r.U16(14)});
      Create(r, r.U32(8), GdiObject{ObjectKind::Palette});
      break;
    }
    case 50: {  // SETPALETTEENTRIES: slot, first, count, the entries
      const uint32_t index = r.U32(8);
      r.Require((index & kStockObject) || table_.Contains(index), MetafileFault::ObjectIndex);
      r.Need(20, 4 * uint64_t{r.U32(16)});
      break;
    }
    case 51: {  // RESIZEPALETTE: slot, entries
      const uint32_t index = r.U32(8);
      r.Require((index & kStockObject) || table_.Contains(index), MetafileFault::ObjectIndex);
      r.Require(r.U32(12) <= 1024, MetafileFault::Value);
      break;
    }
    case 52:  // REALIZEPALETTE
      break;
    case 53:  // EXTFLOODFILL
      r.Need(8, 16);
      painter_.FloodFill();
      break;
    case 54: {  // LINETO
      const Point to = At(r, 8);
      painter_.Line(current_, to);
      current_ = to;
      break;
    }
    case 58: {  // SETMITERLIMIT: read as a float by one player, as a whole number by another
      const double limit = r.Float(8);
      r.Require(limit <= 1e4, MetafileFault::Value);
      break;
    }
    case 59:  // BEGINPATH
      painter_.BeginPath();
      break;
    case 60:  // ENDPATH
      painter_.EndPath();
      break;
    case 61:  // CLOSEFIGURE
    case 65:  // FLATTENPATH
      break;
    case 62:  // FILLPATH
    case 63:  // STROKEANDFILLPATH
      r.Need(8, 16);
      painter_.FillPath(type == 63);
      break;
    case 64:  // STROKEPATH
      r.Need(8, 16);
      painter_.StrokePath();
      break;
    case 66:  // WIDENPATH
      painter_.WidenPath();
      break;
    case 67: {  // SELECTCLIPPATH
      const uint32_t mode = r.U32(8);
      r.Require(mode >= 1 && mode <= 5, MetafileFault::Value);
      painter_.ClipPath(mode == kRgnCopy);
      break;
    }
    case 68:  // ABORTPATH
      painter_.AbortPath();
      break;
    case 70:  // GDICOMMENT: its data, which GDI passes on to nobody
      r.Need(12, r.U32(8));
      break;
    case 71:    // FILLRGN: bounds, data size, brush, data
    case 72: {  // FRAMERGN: bounds, data size, brush, stroke size, data
      const uint32_t size = r.U32(24);
      Use(r, r.U32(28));
      const auto [a, b] = Box(r, 8);
      painter_.Region(RegionRects(r, type == 71 ? 32 : 40, size), a, b);
      break;
    }
    case 73:    // INVERTRGN: bounds, data size, data
    case 74: {  // PAINTRGN
      const auto [a, b] = Box(r, 8);
      painter_.Region(RegionRects(r, 28, r.U32(24)), a, b);
      break;
    }
    case 75: {  // EXTSELECTCLIPRGN: data size, mode, data
      const uint32_t size = r.U32(8);
      const uint32_t mode = r.U32(12);
      r.Require(mode >= 1 && mode <= 5, MetafileFault::Value);
      // The player reads region data whenever the record is long enough for a header.
      if (r.Size() < 20 + kRegionHeader) {
        r.Require(mode == kRgnCopy, MetafileFault::Value);
        painter_.SetClip(1);
        break;
      }
      const double rects = RegionRects(r, 16, size);
      // The player builds the region rectangle by rectangle through the mapping.
      Work().RegionBuild(rects);
      if (mode == kRgnCopy) {
        painter_.SetClip(rects);
      } else {
        painter_.CombineClip(rects);
      }
      break;
    }
    case 76:  // BITBLT: bounds, destination, rop, source point, transform, colour, usage, bitmap
      r.Need(8, 92);
      Transform(r, 52);
      Blit(r, 24, 84, 80);
      break;
    case 77:   // STRETCHBLT: as BITBLT, then the source size
    case 114:  // ALPHABLEND
    case 116:  // TRANSPARENTBLT
      r.Need(8, 100);
      Transform(r, 52);
      Blit(r, 24, 84, 80);
      break;
    case 80: {  // SETDIBITSTODEVICE: bounds, destination, source box, bitmap, usage, scans
      const DibLayout dib = BlitBitmap(r, 48, r.U32(64));
      r.Require(r.U32(68) <= dib.height && r.U32(72) <= dib.height, MetafileFault::Bitmap);
      const Point a = At(r, 24);
      const Point size = At(r, 40);
      painter_.Bitmap(dib.pixels, a, Point{a.x + size.x, a.y + size.y});
      break;
    }
    case 81: {  // STRETCHDIBITS: bounds, destination, source box, bitmap, usage, rop, size
      // The player reads a bitmap header even when the record has none.
      const DibLayout dib = BlitBitmap(r, 48, r.U32(64));
      const Point a = At(r, 24);
      const Point size = At(r, 72);
      painter_.Bitmap(dib.pixels, a, Point{a.x + size.x, a.y + size.y});
      break;
    }
    case 82: {  // EXTCREATEFONTINDIRECTW: slot, LOGFONTW (height, width, ..., face name)
      const auto face = r.Bytes(40, 64);
      bool terminated = false;
      for (size_t i = 0; i + 1 < face.size(); i += 2)
        terminated |= face[i] == 0 && face[i + 1] == 0;
      r.Require(terminated, MetafileFault::Value);
      GdiObject font{ObjectKind::Font};
      font.size = std::max(std::abs(double(r.S32(12))), 2 * std::abs(double(r.S32(16))));
      font.face = FaceHash(face);
      Create(r, r.U32(8), font);
      break;
    }
    case 83:  // EXTTEXTOUTA
    case 84:  // EXTTEXTOUTW
      Text(r, type == 84);
      break;
    case 93:    // CREATEMONOBRUSH: slot, usage, bitmap
    case 94: {  // CREATEDIBPATTERNBRUSHPT
      const DibLayout dib = BlitBitmap(r, 16, r.U32(12));
      Work().Bitmap(dib.pixels, 0, 0);
      Create(r, r.U32(8), GdiObject{ObjectKind::Brush});
      break;
    }
    case 95:  // EXTCREATEPEN
      ExtPen(r);
      break;
    case 118:  // GRADIENTFILL
      Gradient(r);
      break;
    case 120:  // SETTEXTJUSTIFICATION
      r.Need(8, 8);
      break;
    default:
      // Unknown types, and those the players handle unsafely or not at all: MASKBLT and PLGBLT
      // (whose mask offsets are trusted), POLYTEXTOUT, the colour spaces and colour profiles
      // (which name files), OpenGL records, escapes, and the font-mapping records.
      r.Fail(MetafileFault::UnknownRecord);
  }
}

}  // namespace

MetafileReport WalkEnhancedMetafile(std::span<const uint8_t> file, const MetafileLimits& limits) {
  const Record header(file.first(std::min(file.size(), size_t{kHeaderSize})), 0);
  header.Require(file.size() >= kHeaderSize, MetafileFault::Header);
  const uint32_t headerSize = header.U32(4);
  const uint32_t bytes = header.U32(48);
  const uint32_t handles = header.U16(56);
  const int32_t deviceX = header.S32(72), deviceY = header.S32(76);
  const int32_t millimetresX = header.S32(80), millimetresY = header.S32(84);
  header.Require(header.U32(0) == 1 && header.U32(40) == kSignature && header.U32(44) == 0x10000 &&
                     headerSize >= kHeaderSize && headerSize % 4 == 0 && bytes % 4 == 0 &&
                     bytes <= file.size() && uint64_t{headerSize} + 20 <= bytes && handles >= 1 &&
                     deviceX > 0 && deviceY > 0 && millimetresX > 0 && millimetresY > 0,
                 MetafileFault::Header);
  // The description and the pixel format, if any, lie within the metafile.
  const uint64_t description = header.U32(60);
  header.Require(description == 0 || uint64_t{header.U32(64)} + 2 * description <= bytes,
                 MetafileFault::Header);

  // The player scales the frame (hundredths of a millimetre) onto the rectangle; a metafile
  // without a frame plays in its own device units.
  const double frameW = double(header.S32(32)) - header.S32(24);
  const double frameH = double(header.S32(36)) - header.S32(28);
  DeviceMapping mapping = DeviceMapping::Pixels();
  if (frameW != 0 && frameH != 0) {
    mapping.SetBase(limits.width * 100.0 * millimetresX / (frameW * deviceX),
                    limits.height * 100.0 * millimetresY / (frameH * deviceY));
  }

  const std::span<const uint8_t> metafile = file.first(bytes);
  EmfWalk walk(handles, mapping, limits);
  size_t offset = headerSize;
  size_t index = 1;
  for (;; ++index) {
    const Record head(metafile.subspan(offset, std::min<size_t>(metafile.size() - offset, 8)),
                      index);
    head.Need(0, 8);
    const uint32_t type = head.U32(0);
    const uint32_t size = head.U32(4);
    if (size < 8 || size % 4 != 0 || size > metafile.size() - offset) {
      head.Fail(MetafileFault::RecordSize);
    }
    const Record record(metafile.subspan(offset, size), index);
    walk.Work().Record();
    offset += size;
    if (type == 14) {  // EMR_EOF: its palette, and nothing after it
      const uint64_t entries = record.U32(8);
      if (entries != 0) record.Need(record.U32(12), entries * 4);
      record.Require(offset == metafile.size(), MetafileFault::Header);
      break;
    }
    record.Require(type != 1 && offset < metafile.size(), MetafileFault::Header);
    walk.Play(record, type);
    // Written so that a work that is not a number is refused too.
    if (!(walk.Work().Total() <= limits.maxWork)) record.Fail(MetafileFault::TooMuchWork);
  }
  // The header counts the records, itself included.
  header.Require(header.U32(52) == index + 1, MetafileFault::Header);
  return MetafileReport{0, bytes, index, walk.Work().Total()};
}

}  // namespace core::metafile
