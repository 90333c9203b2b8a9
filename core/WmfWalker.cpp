// The record walk of a standard Windows metafile: a METAHEADER, then records of a size in 16-bit
// words, a function number and 16-bit parameters, up to META_EOF. Each record is checked for what
// the players read from it (Wine's reads some parameters in its own order, and some words past a
// short record), and its drawing is added to the work estimate.

#include <algorithm>
#include <optional>
#include <vector>

#include "core/MetafileDib.h"
#include "core/MetafileObjects.h"
#include "core/MetafilePainter.h"
#include "core/MetafileRecord.h"
#include "core/MetafileWalkers.h"

namespace core::metafile {
namespace {

constexpr size_t kHeaderSize = 18;
constexpr size_t kRecordHeader = 6;  // size in words (32 bits), function (16 bits)
constexpr uint16_t kMfComment = 15;  // the one escape that only carries data
constexpr uint32_t kEmfInWmfMagic = 0x43464D57;
constexpr size_t kEmfChunkHeader = 34;
constexpr size_t kFaceName = 32;
constexpr uint16_t kPaletteColors = 1;

// The character codes of an ANSI string.
std::vector<uint16_t> Chars(std::span<const uint8_t> text) {
  return std::vector<uint16_t>(text.begin(), text.end());
}

class WmfWalk {
 public:
  WmfWalk(std::span<const uint8_t> metafile, size_t objects, const DeviceMapping& mapping,
          const MetafileLimits& limits)
      : metafile_(metafile), table_(objects), painter_(mapping, limits.width, limits.height) {}

  WorkMeter& Work() { return painter_.Work(); }
  void Play(const Record& r, uint16_t function, size_t offset);

 private:
  // The 16-bit parameter i.
  static uint16_t P(const Record& r, int i) { return r.U16(kRecordHeader + 2 * i); }
  static int16_t S(const Record& r, int i) { return r.S16(kRecordHeader + 2 * i); }
  // Points (x, y) of `count` pairs of 16-bit coordinates from byte `at`.
  static std::vector<Point> Points(const Record& r, uint64_t at, uint64_t count);
  // The box of parameters (bottom, right, top, left) from parameter i on.
  static std::pair<Point, Point> Box(const Record& r, int i) {
    return {Point{double(S(r, i + 3)), double(S(r, i + 2))},
            Point{double(S(r, i + 1)), double(S(r, i))}};
  }
  const GdiObject& Object(const Record& r, uint64_t index) {
    r.Require(table_.Contains(index), MetafileFault::ObjectIndex);
    return table_.At(index);
  }
  void Create(const Record& r, const GdiObject& object);
  void Mapping(const Record& r, bool ok) { r.Require(ok, MetafileFault::Value); }
  void Escape(const Record& r);
  void CreateRegion(const Record& r);
  void Font(const Record& r, size_t offset);
  void Pen(const Record& r);

  std::span<const uint8_t> metafile_;
  ObjectTable table_;
  Painter painter_;
  Point current_;
};

std::vector<Point> WmfWalk::Points(const Record& r, uint64_t at, uint64_t count) {
  r.Need(at, count * 4);
  std::vector<Point> points(static_cast<size_t>(count));
  for (size_t i = 0; i < points.size(); ++i) {
    points[i] = Point{double(r.S16(at + 4 * i)), double(r.S16(at + 4 * i + 2))};
  }
  return points;
}

void WmfWalk::Create(const Record& r, const GdiObject& object) {
  // The player puts each new object into the first free slot; with none free the object is lost
  // until the process ends.
  const std::optional<size_t> slot = table_.FirstFree();
  r.Require(slot.has_value(), MetafileFault::ObjectTable);
  table_.Put(*slot, object);
  Work().Object();
}

void WmfWalk::Pen(const Record& r) {
  const uint16_t style = P(r, 0) & 0x0F;
  GdiObject pen{ObjectKind::Pen};
  pen.size = std::abs(S(r, 1));
  pen.geometric = pen.size > 0;
  pen.nullPen = style == 5;   // PS_NULL
  r.Need(kRecordHeader, 10);  // style, width (x, y), colour
  Create(r, pen);
}

void WmfWalk::Font(const Record& r, size_t offset) {
  // LOGFONT16: height, width, escapement, orientation, weight, then eight bytes and the face name.
  // The player copies a whole face name of 32 bytes, past a short record if need be, and GDI reads
  // it up to its NUL.
  constexpr size_t kFace = kRecordHeader + 18;
  r.Need(kRecordHeader, 18);
  r.Require(offset + kFace + kFaceName <= metafile_.size(), MetafileFault::RecordSize);
  const auto face = metafile_.subspan(offset + kFace, kFaceName);
  r.Require(std::find(face.begin(), face.end(), 0) != face.end(), MetafileFault::Value);
  GdiObject font{ObjectKind::Font};
  font.size = std::max<double>(std::abs(S(r, 0)), 2.0 * std::abs(S(r, 1)));
  font.face = FaceHash(face);
  Create(r, font);
}

void WmfWalk::Escape(const Record& r) {
  const uint16_t function = P(r, 0);
  const uint16_t count = P(r, 1);
  r.Need(kRecordHeader + 4, count);
  // Other escapes reach the device driver, and some of them write through pointers the record
  // cannot give; a comment only carries data.
  r.Require(function == kMfComment && count >= 4, MetafileFault::UnknownRecord);
  // An enhanced metafile carried in comments is put back together by SetWinMetaFileBits, which
  // trusts each chunk's size.
  if (r.U32(kRecordHeader + 4) == kEmfInWmfMagic) {
    r.Require(count >= kEmfChunkHeader, MetafileFault::Count);
    const uint32_t chunk = r.U32(kRecordHeader + 4 + 22);
    r.Require(chunk <= count - kEmfChunkHeader, MetafileFault::Count);
  }
}

void WmfWalk::CreateRegion(const Record& r) {
  // The region's bands from parameter 11: a count of x coordinates, two y coordinates, the x
  // coordinates and the count again; parameter 5 counts the bands.
  const uint16_t bands = P(r, 5);
  uint64_t at = kRecordHeader + 22;
  double rects = 0;
  for (uint16_t band = 0; band < bands; ++band) {
    const uint16_t xs = r.U16(at);
    r.Require(xs % 2 == 0, MetafileFault::Count);
    const uint64_t end = at + 2 * (uint64_t{xs} + 3);
    r.Require(r.U16(end) == xs, MetafileFault::Count);
    rects += xs / 2;
    at = end + 2;
  }
  GdiObject region{ObjectKind::Region};
  region.rects = rects;
  Work().RegionBuild(rects);
  Create(r, region);
}

void WmfWalk::Play(const Record& r, uint16_t function, size_t offset) {
  switch (function) {
    case 0x001E:  // SAVEDC
      painter_.Save(r);
      break;
    case 0x0035:  // REALIZEPALETTE
      break;
    case 0x0037:  // SETPALENTRIES
    case 0x0436:  // ANIMATEPALETTE
      r.Need(kRecordHeader + 4, 4 * uint64_t{P(r, 1)});
      break;
    case 0x00F7: {  // CREATEPALETTE
      r.Need(kRecordHeader + 4, 4 * uint64_t{P(r, 1)});
      Create(r, GdiObject{ObjectKind::Palette});
      break;
    }
    case 0x0102:  // SETBKMODE
    case 0x0104:  // SETROP2
    case 0x0105:  // SETRELABS
    case 0x0106:  // SETPOLYFILLMODE
    case 0x0107:  // SETSTRETCHBLTMODE
    case 0x0108:  // SETTEXTCHAREXTRA
    case 0x012E:  // SETTEXTALIGN
      P(r, 0);
      break;
    case 0x0103:  // SETMAPMODE
      Mapping(r, painter_.Mapping().SetMapMode(P(r, 0)));
      break;
    case 0x0127:  // RESTOREDC
      painter_.Restore(S(r, 0));
      break;
    case 0x0139:  // RESIZEPALETTE
      r.Require(P(r, 0) <= 1024, MetafileFault::Value);
      break;
    case 0x0142: {  // DIBCREATEPATTERNBRUSH: style, colour usage, bitmap
      const DibLayout dib = CheckPackedDib(r, kRecordHeader + 4, P(r, 1));
      Work().Bitmap(dib.pixels, 0, 0);
      Create(r, GdiObject{ObjectKind::Brush});
      break;
    }
    case 0x0149:  // SETLAYOUT
    case 0x0201:  // SETBKCOLOR
    case 0x0209:  // SETTEXTCOLOR
    case 0x0231:  // SETMAPPERFLAGS
    case 0x020A:  // SETTEXTJUSTIFICATION
      r.U32(kRecordHeader);
      break;
    case 0x020B:  // SETWINDOWORG (y, x)
      painter_.Mapping().SetWindowOrg(S(r, 1), S(r, 0));
      break;
    case 0x020C:  // SETWINDOWEXT
      Mapping(r, painter_.Mapping().SetWindowExt(S(r, 1), S(r, 0)));
      break;
    case 0x020D:  // SETVIEWPORTORG
      painter_.Mapping().SetViewportOrg(S(r, 1), S(r, 0));
      break;
    case 0x020E:  // SETVIEWPORTEXT
      Mapping(r, painter_.Mapping().SetViewportExt(S(r, 1), S(r, 0)));
      break;
    case 0x020F:  // OFFSETWINDOWORG
      painter_.Mapping().OffsetWindowOrg(S(r, 1), S(r, 0));
      break;
    case 0x0211:  // OFFSETVIEWPORTORG
      painter_.Mapping().OffsetViewportOrg(S(r, 1), S(r, 0));
      break;
    case 0x0410:  // SCALEWINDOWEXT: y denominator, y numerator, x denominator, x numerator
      Mapping(r, painter_.Mapping().ScaleWindowExt(S(r, 3), S(r, 2), S(r, 1), S(r, 0)));
      break;
    case 0x0412:  // SCALEVIEWPORTEXT
      Mapping(r, painter_.Mapping().ScaleViewportExt(S(r, 3), S(r, 2), S(r, 1), S(r, 0)));
      break;
    case 0x0213: {  // LINETO
      const Point to{double(S(r, 1)), double(S(r, 0))};
      painter_.Line(current_, to);
      current_ = to;
      break;
    }
    case 0x0214:  // MOVETO
      current_ = Point{double(S(r, 1)), double(S(r, 0))};
      break;
    case 0x0220:  // OFFSETCLIPRGN
      S(r, 1);
      painter_.IntersectClip();
      break;
    case 0x0415: {  // EXCLUDECLIPRECT
      const auto [a, b] = Box(r, 0);
      painter_.ExcludeClip(a, b);
      break;
    }
    case 0x0416:  // INTERSECTCLIPRECT
      S(r, 3);
      painter_.IntersectClip();
      break;
    case 0x012C: {  // SELECTCLIPREGION: 0 removes the clip region
      const uint16_t index = P(r, 0);
      painter_.SetClip(index == 0 ? 1 : Object(r, index).rects);
      break;
    }
    case 0x012D: {  // SELECTOBJECT
      const GdiObject& object = Object(r, P(r, 0));
      if (object.kind == ObjectKind::Pen) painter_.SelectPen(object);
      if (object.kind == ObjectKind::Font) painter_.SelectFont(object);
      // Selecting a region selects a copy of it as the clip region.
      if (object.kind == ObjectKind::Region) painter_.SetClip(object.rects);
      break;
    }
    case 0x0234: {  // SELECTPALETTE
      // Windows takes the palette's index from the first parameter, Wine from the second, which
      // lies past a record of one parameter: both must name a slot.
      Object(r, P(r, 0));
      r.Require(offset + kRecordHeader + 4 <= metafile_.size(), MetafileFault::RecordSize);
      Object(r, metafile_[offset + 8] | (metafile_[offset + 9] << 8));
      break;
    }
    case 0x01F0: {  // DELETEOBJECT
      const uint16_t index = P(r, 0);
      Object(r, index);
      table_.Put(index, GdiObject{});
      Work().Object();
      break;
    }
    case 0x0228: {  // FILLREGION: region and brush (Windows), brush and region (Wine)
      const double rects = std::max(Object(r, P(r, 0)).rects, Object(r, P(r, 1)).rects);
      painter_.Region(rects, {}, {});
      break;
    }
    case 0x0429: {  // FRAMEREGION: Wine reads the region and brush from parameters 3 and 2
      const double rects = std::max({Object(r, P(r, 0)).rects, Object(r, P(r, 1)).rects,
                                     Object(r, P(r, 2)).rects, Object(r, P(r, 3)).rects});
      painter_.Region(rects, {}, {});
      break;
    }
    case 0x012A:  // INVERTREGION
    case 0x012B:  // PAINTREGION
      painter_.Region(Object(r, P(r, 0)).rects, {}, {});
      break;
    case 0x02FA:  // CREATEPENINDIRECT
      Pen(r);
      break;
    case 0x02FB:  // CREATEFONTINDIRECT
      Font(r, offset);
      break;
    case 0x02FC: {  // CREATEBRUSHINDIRECT: style, colour, hatch
      const uint16_t style = P(r, 0);
      // Solid, hollow and hatched brushes (of the six hatches); the other styles would name a
      // bitmap by handle.
      r.Require(style <= 2 && (style != 2 || P(r, 3) <= 5), MetafileFault::Value);
      Create(r, GdiObject{ObjectKind::Brush});
      break;
    }
    case 0x06FF:  // CREATEREGION
      CreateRegion(r);
      break;
    case 0x0324:    // POLYGON
    case 0x0325: {  // POLYLINE
      const uint32_t count = P(r, 0);
      const std::vector<Point> points = Points(r, kRecordHeader + 2, count);
      painter_.Polys(points, {&count, 1}, function == 0x0324);
      break;
    }
    case 0x0538: {  // POLYPOLYGON: polygons, their point counts, then the points
      const uint16_t polys = P(r, 0);
      std::vector<uint32_t> counts(polys);
      uint64_t total = 0;
      for (uint16_t i = 0; i < polys; ++i) {
        counts[i] = P(r, 1 + i);
        // The player adds the counts as signed 16-bit numbers.
        r.Require(counts[i] <= 0x7FFF, MetafileFault::Count);
        total += counts[i];
      }
      const std::vector<Point> points = Points(r, kRecordHeader + 2 + 2 * uint64_t{polys}, total);
      painter_.Polys(points, counts, true);
      break;
    }
    case 0x0418: {  // ELLIPSE
      const auto [a, b] = Box(r, 0);
      painter_.Ellipse(a, b, true);
      break;
    }
    case 0x041B: {  // RECTANGLE
      const auto [a, b] = Box(r, 0);
      painter_.Rectangle(a, b);
      break;
    }
    case 0x061C: {  // ROUNDRECT: corner height and width, then the box
      const auto [a, b] = Box(r, 2);
      painter_.RoundRect(a, b, S(r, 1), S(r, 0));
      break;
    }
    case 0x0817:    // ARC: end, start, box
    case 0x0830:    // CHORD
    case 0x081A: {  // PIE
      const auto [a, b] = Box(r, 4);
      painter_.Ellipse(a, b, function != 0x0817);
      break;
    }
    case 0x041F:  // SETPIXEL
      S(r, 3);
      break;
    case 0x0419:  // FLOODFILL
    case 0x0548:  // EXTFLOODFILL
      S(r, function == 0x0419 ? 3 : 4);
      painter_.FloodFill();
      break;
    case 0x061D: {  // PATBLT: raster operation, height, width, y, x
      const Point a{double(S(r, 5)), double(S(r, 4))};
      painter_.FillBox(a, Point{a.x + S(r, 3), a.y + S(r, 2)});
      break;
    }
    case 0x0521: {  // TEXTOUT: length, string, y, x
      const uint16_t length = P(r, 0);
      const uint64_t padded = (uint64_t{length} + 1) & ~uint64_t{1};
      r.Need(kRecordHeader + 2 + padded, 4);
      painter_.Text(Chars(r.Bytes(kRecordHeader + 2, length)));
      break;
    }
    case 0x0A32: {  // EXTTEXTOUT: y, x, length, options, [rectangle], string, [spacing]
      const uint16_t length = P(r, 2);
      const uint16_t options = P(r, 3);
      const bool box = (options & 0x0006) != 0;  // ETO_OPAQUE, ETO_CLIPPED
      const uint64_t text = kRecordHeader + 8 + (box ? 8 : 0);
      r.Need(text, length);
      if (box && (options & 0x0002)) {
        painter_.FillBox(Point{double(S(r, 4)), double(S(r, 5))},
                         Point{double(S(r, 6)), double(S(r, 7))});
      }
      painter_.Text(Chars(r.Bytes(text, length)));
      break;
    }
    case 0x0940: {  // DIBBITBLT: raster operation, source y, x, height, width, y, x, [bitmap]
      if (r.Size() == kRecordHeader + 18) {
        // Without a bitmap: a pattern fill, its parameters one word further on.
        const Point a{double(S(r, 8)), double(S(r, 7))};
        painter_.FillBox(a, Point{a.x + S(r, 6), a.y + S(r, 5)});
        break;
      }
      const DibLayout dib = CheckPackedDib(r, kRecordHeader + 16, 0);
      const Point a{double(S(r, 7)), double(S(r, 6))};
      painter_.Bitmap(dib.pixels, a, Point{a.x + S(r, 5), a.y + S(r, 4)});
      break;
    }
    case 0x0B41: {  // DIBSTRETCHBLT: raster operation, source box, destination box, bitmap
      // The player always reads a bitmap after the destination box.
      const DibLayout dib = CheckPackedDib(r, kRecordHeader + 20, 0);
      const Point a{double(S(r, 9)), double(S(r, 8))};
      painter_.Bitmap(dib.pixels, a, Point{a.x + S(r, 7), a.y + S(r, 6)});
      break;
    }
    case 0x0F43: {  // STRETCHDIB: raster operation, usage, source box, destination box, bitmap
      const DibLayout dib = CheckPackedDib(r, kRecordHeader + 22, P(r, 2));
      const Point a{double(S(r, 10)), double(S(r, 9))};
      painter_.Bitmap(dib.pixels, a, Point{a.x + S(r, 8), a.y + S(r, 7)});
      break;
    }
    case 0x0D33: {  // SETDIBTODEV: usage, scan count, first scan, source, size, destination
      const uint16_t usage = P(r, 0);
      const DibLayout dib = CheckPackedDib(r, kRecordHeader + 18, usage);
      r.Require(usage <= kPaletteColors && P(r, 1) <= dib.height && P(r, 2) <= dib.height,
                MetafileFault::Bitmap);
      const Point a{double(S(r, 8)), double(S(r, 7))};
      painter_.Bitmap(dib.pixels, a, Point{a.x + S(r, 6), a.y + S(r, 5)});
      break;
    }
    case 0x0626:  // ESCAPE
      Escape(r);
      break;
    default:
      // Unknown functions, and those the players handle unsafely or not at all: the old
      // device-dependent bitmaps (BITBLT, STRETCHBLT, CREATEPATTERNBRUSH), DRAWTEXT, the printing
      // records, and the object records that create nothing in one player and something in another.
      r.Fail(MetafileFault::UnknownRecord);
  }
}

}  // namespace

MetafileReport WalkWindowsMetafile(std::span<const uint8_t> file, size_t start,
                                   const DeviceMapping& mapping, const MetafileLimits& limits) {
  const std::span<const uint8_t> data = file.subspan(std::min(start, file.size()));
  const Record header(data.first(std::min(data.size(), kHeaderSize)), 0);
  header.Need(0, kHeaderSize);
  const uint16_t type = header.U16(0);
  const uint16_t version = header.U16(4);
  const uint64_t size = uint64_t{header.U32(6)} * 2;
  header.Require((type == 1 || type == 2) && header.U16(2) == kHeaderSize / 2 &&
                     (version == 0x0100 || version == 0x0300) &&
                     size >= kHeaderSize + kRecordHeader && size <= data.size(),
                 MetafileFault::Header);
  const std::span<const uint8_t> metafile = data.first(static_cast<size_t>(size));
  WmfWalk walk(metafile, header.U16(10), mapping, limits);

  size_t offset = kHeaderSize;
  size_t index = 1;
  for (;; ++index) {
    const Record head(metafile.subspan(offset, std::min(metafile.size() - offset, kRecordHeader)),
                      index);
    head.Need(0, kRecordHeader);
    const uint64_t bytes = uint64_t{head.U32(0)} * 2;
    if (bytes < kRecordHeader || bytes > metafile.size() - offset) {
      head.Fail(MetafileFault::RecordSize);
    }
    const Record record(metafile.subspan(offset, static_cast<size_t>(bytes)), index);
    const uint16_t function = record.U16(4);
    walk.Work().Record();
    // META_EOF ends the metafile; the players read nothing after it, up to the size the header
    // gives.
    if (function == 0) break;
    // Something must follow: at least the end-of-file record.
    record.Require(bytes + kRecordHeader <= metafile.size() - offset, MetafileFault::RecordSize);
    walk.Play(record, function, offset);
    // Written so that a work that is not a number is refused too.
    if (!(walk.Work().Total() <= limits.maxWork)) record.Fail(MetafileFault::TooMuchWork);
    offset += static_cast<size_t>(bytes);
  }
  return MetafileReport{start, static_cast<size_t>(size), index, walk.Work().Total()};
}

}  // namespace core::metafile
