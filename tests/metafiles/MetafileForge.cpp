#include "tests/metafiles/MetafileForge.h"

#include <cmath>
#include <cstring>
#include <limits>
#include <random>

namespace forge {
namespace {

using core::MetafileFault;
using core::MetafileKind;

void Put16(Bytes& out, uint32_t v) {
  out.push_back(static_cast<uint8_t>(v));
  out.push_back(static_cast<uint8_t>(v >> 8));
}

void Put32(Bytes& out, uint32_t v) {
  Put16(out, v & 0xFFFF);
  Put16(out, v >> 16);
}

uint32_t FloatBits(float f) {
  uint32_t bits = 0;
  std::memcpy(&bits, &f, sizeof bits);
  return bits;
}

// A BITMAPINFOHEADER and rows of one 24-bit colour (0xRRGGBB).
Bytes Dib(int width, int height, uint32_t colour, uint32_t claimedWidth = 0,
          uint32_t claimedHeight = 0, uint32_t compression = 0) {
  Bytes out;
  Put32(out, 40);
  Put32(out, claimedWidth ? claimedWidth : uint32_t(width));
  Put32(out, claimedHeight ? claimedHeight : uint32_t(height));
  Put16(out, 1);
  Put16(out, 24);
  Put32(out, compression);
  for (int i = 0; i < 5; ++i) Put32(out, 0);
  const int stride = (width * 3 + 3) / 4 * 4;
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < stride; ++x) {
      out.push_back(x < width * 3 ? static_cast<uint8_t>(colour >> (8 * (x % 3))) : uint8_t{0});
    }
  }
  return out;
}

}  // namespace

std::vector<int> RandomPoints(int count, int range, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<int> xy(static_cast<size_t>(count) * 2);
  for (int& v : xy) v = static_cast<int>(random() % static_cast<uint32_t>(range));
  return xy;
}

// --- Wmf ---

Wmf& Wmf::AddSized(uint32_t words, uint16_t function, const std::vector<int>& params) {
  Put32(records_, words);
  Put16(records_, function);
  for (int p : params) Put16(records_, static_cast<uint32_t>(p) & 0xFFFF);
  largest_ = std::max(largest_, words);
  return *this;
}

Wmf& Wmf::Add(uint16_t function, const std::vector<int>& params) {
  return AddSized(static_cast<uint32_t>(3 + params.size()), function, params);
}

Wmf& Wmf::AddRaw(const Bytes& bytes) {
  records_.insert(records_.end(), bytes.begin(), bytes.end());
  return *this;
}

Wmf& Wmf::Pen(int style, int width, uint32_t colour) {
  return Add(0x02FA, {style, width, 0, int(colour & 0xFFFF), int(colour >> 16)});
}

Wmf& Wmf::Brush(int style, uint32_t colour, int hatch) {
  return Add(0x02FC, {style, int(colour & 0xFFFF), int(colour >> 16), hatch});
}

Wmf& Wmf::Font(int height, const std::string& face) {
  std::vector<int> params = {height, 0, 0, 0, 400, 0, 0, 0, 0};
  std::string name = face;
  name.resize(32, '\0');
  for (size_t i = 0; i < name.size(); i += 2) {
    params.push_back(uint8_t(name[i]) | (uint8_t(name[i + 1]) << 8));
  }
  return Add(0x02FB, params);
}

Wmf& Wmf::Polygon(const std::vector<int>& xy) {
  std::vector<int> params = {int(xy.size() / 2)};
  params.insert(params.end(), xy.begin(), xy.end());
  return Add(0x0324, params);
}

Wmf& Wmf::Text(int x, int y, const std::string& text) {
  std::vector<int> params = {int(text.size())};
  std::string padded = text;
  if (padded.size() % 2) padded.push_back('\0');
  for (size_t i = 0; i < padded.size(); i += 2) {
    params.push_back(uint8_t(padded[i]) | (uint8_t(padded[i + 1]) << 8));
  }
  params.push_back(y);
  params.push_back(x);
  return Add(0x0521, params);
}

Wmf& Wmf::StretchDib(int x, int y, int w, int h, int width, int height, uint32_t colour) {
  const Bytes dib = Dib(width, height, colour);
  std::vector<int> params = {0x0020, 0x00CC, 0, height, width, 0, 0, h, w, y, x};
  for (size_t i = 0; i < dib.size(); i += 2) params.push_back(dib[i] | (dib[i + 1] << 8));
  return Add(0x0F43, params);
}

Bytes Wmf::Build() const {
  Bytes records = records_;
  if (end) Put32(records, 3), Put16(records, 0);
  Bytes out;
  Put16(out, 1);
  Put16(out, 9);
  Put16(out, version);
  Put32(out, static_cast<uint32_t>(int64_t((18 + records.size()) / 2) + sizeDelta));
  Put16(out, objects_);
  Put32(out, largest_);
  Put16(out, 0);
  out.insert(out.end(), records.begin(), records.end());
  return out;
}

Bytes Wmf::Placeable(int left, int top, int right, int bottom) const {
  Bytes out;
  Put32(out, 0x9AC6CDD7);
  Put16(out, 0);
  for (int v : {left, top, right, bottom}) Put16(out, static_cast<uint32_t>(v) & 0xFFFF);
  Put16(out, 1440);
  Put32(out, 0);
  uint16_t checksum = 0;
  for (size_t i = 0; i < out.size(); i += 2) checksum ^= uint16_t(out[i] | (out[i + 1] << 8));
  Put16(out, checksum);
  const Bytes metafile = Build();
  out.insert(out.end(), metafile.begin(), metafile.end());
  return out;
}

// --- Emf ---

Emf& Emf::AddSized(uint32_t type, uint32_t size, const std::vector<uint32_t>& fields) {
  Put32(records_, type);
  Put32(records_, size);
  for (uint32_t f : fields) Put32(records_, f);
  ++count_;
  return *this;
}

Emf& Emf::Add(uint32_t type, const std::vector<uint32_t>& fields) {
  return AddSized(type, static_cast<uint32_t>(8 + 4 * fields.size()), fields);
}

Emf& Emf::AddWithBytes(uint32_t type, const std::vector<uint32_t>& fields, const Bytes& tail) {
  const size_t padded = (tail.size() + 3) / 4 * 4;
  AddSized(type, static_cast<uint32_t>(8 + 4 * fields.size() + padded), fields);
  records_.insert(records_.end(), tail.begin(), tail.end());
  records_.resize(records_.size() + padded - tail.size());
  return *this;
}

Emf& Emf::Pen(uint32_t index, uint32_t style, int width, uint32_t colour) {
  return Add(38, {index, style, uint32_t(width), 0, colour});
}

Emf& Emf::Brush(uint32_t index, uint32_t colour) { return Add(39, {index, 0, colour, 0}); }

Emf& Emf::Rectangle(int left, int top, int right, int bottom) {
  return Add(43, {uint32_t(left), uint32_t(top), uint32_t(right), uint32_t(bottom)});
}

Emf& Emf::Ellipse(int left, int top, int right, int bottom) {
  return Add(42, {uint32_t(left), uint32_t(top), uint32_t(right), uint32_t(bottom)});
}

Emf& Emf::Polygon16(const std::vector<int>& xy) {
  Bytes points;
  for (int v : xy) Put16(points, static_cast<uint32_t>(v) & 0xFFFF);
  return AddWithBytes(86, {0, 0, 0, 0, uint32_t(xy.size() / 2)}, points);
}

Emf& Emf::WorldTransform(float m11, float m12, float m21, float m22, float dx, float dy) {
  return Add(35, {FloatBits(m11), FloatBits(m12), FloatBits(m21), FloatBits(m22), FloatBits(dx),
                  FloatBits(dy)});
}

Emf& Emf::StretchDib(int x, int y, int w, int h, int width, int height, uint32_t colour) {
  const Bytes dib = Dib(width, height, colour);
  const uint32_t bits = static_cast<uint32_t>(dib.size() - 40);
  return AddWithBytes(
      81,
      {0, 0, 0, 0, uint32_t(x), uint32_t(y), 0, 0, uint32_t(width), uint32_t(height), 80, 40, 120,
       bits, 0, 0x00CC0020, uint32_t(w), uint32_t(h)},
      dib);
}

Emf& Emf::TextWide(int x, int y, const std::u16string& text) {
  Bytes string;
  for (char16_t c : text) Put16(string, c);
  return AddWithBytes(
      84,
      {0, 0, 0, 0, 1, 0, 0, uint32_t(x), uint32_t(y), uint32_t(text.size()), 76, 0, 0, 0, 0, 0, 0},
      string);
}

Bytes Emf::Build() const {
  constexpr uint32_t kHeader = 108;
  Bytes records = records_;
  uint32_t count = count_ + 1;
  if (end) {
    for (uint32_t f : {14u, 20u, 0u, 16u, 20u}) Put32(records, f);
    ++count;
  }
  const auto bytes = static_cast<uint32_t>(kHeader + records.size());
  Bytes out;
  // The bounds, in device pixels, are those of the frame.
  const auto right = static_cast<uint32_t>(frameW_ * 4 / 100 - 1);
  const auto bottom = static_cast<uint32_t>(frameH_ * 4 / 100 - 1);
  for (uint32_t f :
       {1u, kHeader, 0u, 0u, right, bottom, 0u, 0u, uint32_t(frameW_), uint32_t(frameH_), signature,
        0x10000u, static_cast<uint32_t>(int64_t(bytes) + bytesDelta),
        static_cast<uint32_t>(int64_t(count) + recordsDelta)}) {
    Put32(out, f);
  }
  Put16(out, handles_);
  Put16(out, 0);
  for (uint32_t f : {0u, 0u, 0u, 1280u, 1024u, 320u, 256u, 0u, 0u, 0u, 320000u, 256000u}) {
    Put32(out, f);
  }
  out.insert(out.end(), records.begin(), records.end());
  return out;
}

// --- The cases ---

std::vector<Hostile> HostileMetafiles() {
  std::vector<Hostile> cases;
  const uint32_t red = 0x0000FF;  // COLORREF
  auto wmf = [&](std::string name, MetafileFault fault, const Wmf& w) {
    cases.push_back(
        {std::move(name), MetafileKind::Placeable, w.Placeable(0, 0, 1000, 1000), true, fault});
  };
  auto emf = [&](std::string name, MetafileFault fault, const Emf& e) {
    cases.push_back({std::move(name), MetafileKind::Enhanced, e.Build(), true, fault});
  };
  auto drawsOutside = [&](std::string name, MetafileKind kind, Bytes bytes) {
    cases.push_back({std::move(name), kind, std::move(bytes), false, MetafileFault::Header});
  };

  // Object indices and the handle table.
  wmf("wmf-clip-region-index-ffff", MetafileFault::ObjectIndex,
      Wmf().Brush(0, red).Select(0).Add(0x012C, {0xFFFF}).Rectangle(0, 0, 1000, 1000));
  wmf("wmf-select-object-past-table", MetafileFault::ObjectIndex, Wmf(4).Select(7));
  wmf("wmf-delete-object-ffff", MetafileFault::ObjectIndex, Wmf().Delete(0xFFFF));
  wmf("wmf-object-table-full", MetafileFault::ObjectTable, Wmf(1).Brush(0, red).Brush(0, red));
  {
    // The palette's index as one player reads it: the word after the record.
    Wmf w(2);
    w.Add(0x00F7, {0x300, 1, 0, 0}).Add(0x0234, {0}).AddSized(0xFFFF, 0x0102, {1});
    wmf("wmf-select-palette-index-past-record", MetafileFault::ObjectIndex, w);
  }
  {
    // A region and a brush in the documented order; one player takes parameters 3 and 2.
    Wmf w(2);
    w.Brush(0, red).Add(0x06FF, {0, 6, 0, 0, 30, 1, 2, 0, 0, 10, 10, 2, 0, 10, 0, 10, 2});
    w.Add(0x0429, {1, 0, 2, 2});
    wmf("wmf-frame-region-indices-read-backwards", MetafileFault::ObjectIndex, w);
  }
  emf("emf-select-object-bogus-index", MetafileFault::ObjectIndex, Emf().Select(0x1234));
  emf("emf-select-stock-object-past-range", MetafileFault::ObjectIndex,
      Emf().Select(0x80000000u | 100));
  emf("emf-delete-object-zero-the-metafile", MetafileFault::ObjectIndex, Emf().Add(40, {0}));
  emf("emf-create-pen-past-table", MetafileFault::ObjectIndex, Emf(4).Pen(9, 0, 1, red));
  emf("emf-create-pen-over-a-live-one", MetafileFault::ObjectTable,
      Emf().Pen(1, 0, 1, red).Pen(1, 0, 1, red));

  // Counts against their records.
  wmf("wmf-polygon-claims-32000-points", MetafileFault::RecordSize,
      Wmf().Add(0x0324, {32000, 10, 10, 20, 20, 30, 10}));
  wmf("wmf-polypolygon-negative-count", MetafileFault::Count,
      Wmf().Add(0x0538, {2, 0x8000, 3, 0, 0, 1, 1, 2, 0}));
  wmf("wmf-polypolygon-points-past-record", MetafileFault::RecordSize,
      Wmf().Add(0x0538, {2, 100, 100, 0, 0, 1, 1}));
  wmf("wmf-region-bands-past-record", MetafileFault::RecordSize,
      Wmf().Add(0x06FF, {0, 6, 0, 0, 30, 5, 2, 0, 0, 10, 10, 2, 0, 10, 0, 10, 2}));
  emf("emf-polygon16-count-7ffffff0", MetafileFault::RecordSize,
      Emf().AddWithBytes(86, {0, 0, 0, 0, 0x7FFFFFF0}, {1, 0, 1, 0, 9, 0, 9, 0}));
  emf("emf-polypolygon-counts-disagree", MetafileFault::Count,
      Emf().Add(8, {0, 0, 0, 0, 2, 3, 2, 2, 0, 0, 5, 0, 5, 5}));
  emf("emf-region-rects-past-data", MetafileFault::Count,
      Emf().Brush(1, red).Add(71, {0, 0, 9, 9, 48, 1, 32, 1, 1000, 16, 0, 0, 9, 9, 0, 0, 9, 9}));
  emf("emf-text-chars-past-record", MetafileFault::RecordSize,
      Emf().Add(84, {0, 0, 0, 0, 1, 0, 0, 0, 0, 100000, 76, 0, 0, 0, 0, 0, 0, 0x410041}));
  emf("emf-text-spacing-past-record", MetafileFault::RecordSize,
      Emf().Add(84, {0, 0, 0, 0, 1, 0, 0, 0, 0, 2, 76, 0, 0, 0, 0, 0, 76, 0x410041}));
  emf("emf-gradient-vertex-past-table", MetafileFault::Count,
      Emf().Add(118, {0, 0, 0, 0, 2, 1, 0, 0, 0, 0, 0, 50, 50, 0, 0, 0, 5}));

  // Record sizes and headers.
  wmf("wmf-record-size-zero", MetafileFault::RecordSize, Wmf().AddSized(0, 0x041B, {9, 9, 0, 0}));
  wmf("wmf-record-beyond-file", MetafileFault::RecordSize,
      Wmf().AddSized(0x10000, 0x041B, {9, 9, 0, 0}));
  wmf("wmf-rectangle-cut-short", MetafileFault::RecordSize, Wmf().Add(0x041B, {9, 9}));
  wmf("wmf-without-end-record", MetafileFault::RecordSize, [] {
    Wmf w;
    w.Rectangle(0, 0, 9, 9);
    w.end = false;
    return w;
  }());
  wmf("wmf-version-0x200", MetafileFault::Header, [] {
    Wmf w;
    w.version = 0x0200;
    return w;
  }());
  wmf("wmf-size-past-file", MetafileFault::Header, [] {
    Wmf w;
    w.sizeDelta = 100;
    return w;
  }());
  emf("emf-record-size-zero", MetafileFault::RecordSize, Emf().AddSized(43, 0, {0, 0, 9, 9}));
  emf("emf-record-size-unaligned", MetafileFault::RecordSize,
      Emf().AddSized(43, 26, {0, 0, 9, 9, 0}));
  emf("emf-record-beyond-file", MetafileFault::RecordSize,
      Emf().AddSized(43, 0x100000, {0, 0, 9, 9}));
  emf("emf-signature-wrong", MetafileFault::Header, [] {
    Emf e;
    e.signature = 0;
    return e;
  }());
  emf("emf-size-past-file", MetafileFault::Header, [] {
    Emf e;
    e.bytesDelta = 4;
    return e;
  }());
  emf("emf-record-count-wrong", MetafileFault::Header, [] {
    Emf e;
    e.Rectangle(0, 0, 9, 9);
    e.recordsDelta = 1;
    return e;
  }());
  emf("emf-without-end-record", MetafileFault::Header, [] {
    Emf e;
    e.Rectangle(0, 0, 9, 9);
    e.end = false;
    return e;
  }());
  emf("emf-second-header", MetafileFault::Header, Emf().Add(1, {0, 0, 0, 0}));
  {
    const Bytes dib = Dib(100, 100, red);
    Bytes shortDib(dib.begin(), dib.begin() + 140);
    emf("emf-stretchdibits-rows-short", MetafileFault::Bitmap,
        Emf().AddWithBytes(
            81, {0, 0, 0, 0, 0, 0, 0, 0, 100, 100, 80, 40, 120, 100, 0, 0x00CC0020, 50, 50},
            shortDib));
    emf("emf-stretchdibits-header-past-record", MetafileFault::RecordSize,
        Emf().AddWithBytes(
            81, {0, 0, 0, 0, 0, 0, 0, 0, 100, 100, 0x7FFFFFF0, 40, 120, 100, 0, 0x00CC0020, 50, 50},
            shortDib));
  }

  // Records whose effect is unknown or unsafe, and values GDI cannot use.
  wmf("wmf-unknown-function", MetafileFault::UnknownRecord, Wmf().Add(0x0999, {}));
  wmf("wmf-escape-nextband", MetafileFault::UnknownRecord, Wmf().Add(0x0626, {3, 0}));
  wmf("wmf-device-bitmap-bitblt", MetafileFault::UnknownRecord,
      Wmf().Add(0x0922, {0x20, 0xCC, 0, 0, 8, 8, 0, 0, 8, 8, 1, 1, 0, 0, 0, 0}));
  wmf("wmf-zero-window-extent", MetafileFault::Value, Wmf().WindowExt(0, 0));
  wmf("wmf-scale-by-zero", MetafileFault::Value, Wmf().Add(0x0410, {1, 0, 1, 1}));
  wmf("wmf-pattern-brush-by-handle", MetafileFault::Value, Wmf().Brush(3, 0x1234));
  {
    Wmf w;
    std::vector<int> params = {-20, 0, 0, 0, 400, 0, 0, 0, 0};
    for (int i = 0; i < 16; ++i) params.push_back(0x4141);
    params.push_back(0x4141);
    w.Add(0x02FB, params);
    wmf("wmf-font-name-without-end", MetafileFault::Value, w);
  }
  {
    Bytes rle = Dib(8, 8, red, 0, 0, 1);
    std::vector<int> params = {0x20, 0xCC, 0, 8, 8, 0, 0, 8, 8, 0, 0};
    for (size_t i = 0; i < rle.size(); i += 2) params.push_back(rle[i] | (rle[i + 1] << 8));
    wmf("wmf-run-length-bitmap", MetafileFault::Bitmap, Wmf().Add(0x0F43, params));
    Bytes liar = Dib(8, 8, red, 60000, 60000);
    params = {0x20, 0xCC, 0, 8, 8, 0, 0, 8, 8, 0, 0};
    for (size_t i = 0; i < liar.size(); i += 2) params.push_back(liar[i] | (liar[i + 1] << 8));
    wmf("wmf-bitmap-claims-60000-square", MetafileFault::Bitmap, Wmf().Add(0x0F43, params));
  }
  emf("emf-maskblt", MetafileFault::UnknownRecord, Emf().Add(78, std::vector<uint32_t>(30, 0)));
  emf("emf-type-200", MetafileFault::UnknownRecord, Emf().Add(200, {}));
  emf("emf-zero-window-extent", MetafileFault::Value, Emf().Add(17, {8}).Add(9, {0, 0}));
  emf("emf-world-transform-nan", MetafileFault::Value,
      Emf().WorldTransform(std::numeric_limits<float>::quiet_NaN(), 0, 0, 1, 0, 0));
  emf("emf-clip-region-mode-9", MetafileFault::Value, Emf().Add(75, {0, 9}));
  emf("emf-miter-limit-nan", MetafileFault::Value, Emf().Add(58, {0x7FC00000}));
  emf("emf-user-style-all-zero", MetafileFault::Value,
      Emf().Add(95, {1, 0, 0, 0, 0, 0x00010007, 10, 0, red, 0, 2, 0, 0}));
  {
    Emf e;
    std::vector<uint32_t> font = {1, uint32_t(-20), 0, 0, 0, 400, 0, 0};
    for (int i = 0; i < 16; ++i) font.push_back(0x00410041);
    e.Add(82, font);
    emf("emf-font-name-without-end", MetafileFault::Value, e);
  }

  // Saved states.
  {
    Wmf w;
    for (int i = 0; i < 300; ++i) w.Add(0x001E, {});
    wmf("wmf-savedc-300-deep", MetafileFault::Nesting, w);
    Emf e;
    for (int i = 0; i < 300; ++i) e.Add(33, {});
    emf("emf-savedc-300-deep", MetafileFault::Nesting, e);
  }

  // Sound records that would keep GDI busy far too long.
  wmf("wmf-polygon-32000-random-points", MetafileFault::TooMuchWork,
      Wmf().Brush(0, red).Select(0).Polygon(RandomPoints(32000, 1000, 1)));
  wmf("wmf-polygon-4000-random-points", MetafileFault::TooMuchWork,
      Wmf().Brush(0, red).Select(0).Polygon(RandomPoints(4000, 1000, 2)));
  wmf("wmf-wide-pen-through-a-tiny-window", MetafileFault::TooMuchWork,
      Wmf().WindowExt(10, 10).Pen(0, 32767, 0).Select(0).Ellipse(0, 0, 5, 5));
  wmf("wmf-huge-font-through-a-tiny-window", MetafileFault::TooMuchWork,
      Wmf().WindowExt(100, 100).Font(-32767).Select(0).Text(0, 0, "WMWMWMWMWM"));
  wmf("wmf-ellipse-through-a-one-unit-window", MetafileFault::TooMuchWork,
      Wmf().WindowExt(1, 1).Ellipse(-32767, -32767, 32767, 32767));
  emf("emf-polygon-4000-random-points", MetafileFault::TooMuchWork,
      Emf().Brush(1, red).Select(1).Polygon16(RandomPoints(4000, 100, 3)));
  emf("emf-ellipse-through-a-huge-world-transform", MetafileFault::TooMuchWork,
      Emf().WorldTransform(1e6f, 0, 0, 1e6f, 0, 0).Ellipse(-1000, -1000, 1000, 1000));
  {
    Emf e;
    e.Add(95, {1, 0, 0, 0, 0, 0x00010000, 4, 0, red, 0, 0}).Select(1).Add(59, {});
    e.Polygon16({10, 10, 90, 10, 50, 90}).Add(60, {});
    for (int i = 0; i < 40; ++i) e.Add(66, {});
    emf("emf-path-widened-40-times", MetafileFault::TooMuchWork, e);
  }
  emf("emf-geometric-pen-a-million-wide", MetafileFault::TooMuchWork,
      Emf()
          .Add(95, {1, 0, 0, 0, 0, 0x00010000, 1000000, 0, red, 0, 0})
          .Select(1)
          .MoveTo(0, 0)
          .LineTo(50, 50)
          .LineTo(0, 90));

  // Sound, but drawing over everything around them: clip removed, the player's state restored,
  // the viewport moved, coordinates far beyond the picture.
  drawsOutside("wmf-clip-removed-then-fills-everything", MetafileKind::Placeable,
               Wmf()
                   .Add(0x012C, {0})
                   .Brush(0, red)
                   .Select(0)
                   .Rectangle(-32768, -32768, 32767, 32767)
                   .Placeable(0, 0, 1000, 1000));
  drawsOutside("wmf-restoredc-past-its-own-saves", MetafileKind::Placeable,
               Wmf()
                   .Add(0x0127, {0xFFFB})
                   .Brush(0, red)
                   .Select(0)
                   .Rectangle(-30000, -30000, 30000, 30000)
                   .Placeable(0, 0, 1000, 1000));
  drawsOutside("wmf-viewport-moved-off-the-box", MetafileKind::Placeable,
               Wmf()
                   .Add(0x020D, {-3000, -3000})
                   .Add(0x0220, {300, 300})
                   .Pen(0, 40, 0)
                   .Select(0)
                   .Brush(0, red)
                   .Select(1)
                   .Ellipse(-5000, -5000, 9000, 9000)
                   .Placeable(0, 0, 1000, 1000));
  drawsOutside("emf-clip-reset-then-fills-everything", MetafileKind::Enhanced,
               Emf()
                   .Add(75, {0, 5})
                   .Brush(1, red)
                   .Select(1)
                   .Rectangle(-100000, -100000, 100000, 100000)
                   .Build());
  drawsOutside("emf-restoredc-past-its-own-saves", MetafileKind::Enhanced,
               Emf()
                   .Add(34, {uint32_t(-3)})
                   .Brush(1, red)
                   .Select(1)
                   .Rectangle(-50000, -50000, 50000, 50000)
                   .Build());
  return cases;
}

std::vector<Sound> SoundMetafiles() {
  std::vector<Sound> files;
  Wmf w(4);
  w.WindowOrg(0, 0).WindowExt(1000, 1000);
  w.Brush(0, 0xC08040).Select(0).Pen(0, 20, 0x202020).Select(1);
  w.Add(0x001E, {}).Rectangle(50, 50, 450, 450).Add(0x0127, {0xFFFF});
  w.Delete(0).Brush(0, 0x40C0F0).Select(0).Ellipse(500, 50, 950, 450);
  w.Polygon({100, 900, 300, 550, 500, 900});
  w.Add(0x061C, {100, 100, 950, 950, 550, 550});            // ROUNDRECT
  w.Add(0x081A, {600, 950, 600, 550, 950, 950, 550, 550});  // PIE
  w.Font(-80).Select(2).Text(60, 460, "Capslate");
  w.StretchDib(700, 600, 200, 200, 4, 4, 0x2080E0);
  files.push_back(
      {"wmf-shapes-text-bitmap", MetafileKind::Placeable, w.Placeable(0, 0, 1000, 1000)});

  Wmf bare(2);
  bare.Add(0x0103, {8}).WindowExt(100, 100).Brush(0, 0x0000FF).Select(0).Rectangle(0, 0, 100, 100);
  files.push_back({"wmf-bare-red-square", MetafileKind::Windows, bare.Build()});

  Emf e(4);
  e.Brush(1, 0x40A0E0).Select(1).Pen(2, 0, 2, 0x101010).Select(2);
  e.Rectangle(5, 5, 45, 45).Ellipse(55, 5, 95, 45);
  e.Add(33, {}).WorldTransform(0.7071f, 0.7071f, -0.7071f, 0.7071f, 50, 50);
  e.Rectangle(-10, -10, 10, 10).Add(34, {uint32_t(-1)});
  e.Add(59, {}).Polygon16({10, 90, 30, 55, 50, 90}).Add(60, {}).Add(62, {0, 0, 0, 0});
  e.Add(30, {0, 0, 100, 100});
  e.StretchDib(60, 60, 30, 30, 4, 4, 0xE08020);
  e.TextWide(5, 50, u"キャプスレート");
  files.push_back({"emf-shapes-path-text-bitmap", MetafileKind::Enhanced, e.Build()});
  return files;
}

}  // namespace forge
