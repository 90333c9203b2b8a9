#pragma once
// Builds Windows and enhanced metafiles byte by byte, sound or not, for the tests: the metafile
// validator's table of hostile cases, its fuzz seeds, and the files the image tag and the clipboard
// are given under Wine. Nothing here uses GDI, so the same bytes are built on every platform.

#include <cstdint>
#include <string>
#include <vector>

#include "core/MetafileValidator.h"

namespace forge {

using Bytes = std::vector<uint8_t>;

// A standard Windows metafile: records of 16-bit parameters after a METAHEADER, ended by META_EOF.
class Wmf {
 public:
  explicit Wmf(uint16_t objects = 4) : objects_(objects) {}

  // A record of `function` with 16-bit parameters in the order they lie in the record.
  Wmf& Add(uint16_t function, const std::vector<int>& params);
  // A record whose size field says `words` whatever follows.
  Wmf& AddSized(uint32_t words, uint16_t function, const std::vector<int>& params);
  // Raw bytes appended as they are.
  Wmf& AddRaw(const Bytes& bytes);

  // Common records, parameters given in the usual order (x before y).
  Wmf& WindowExt(int x, int y) { return Add(0x020C, {y, x}); }
  Wmf& WindowOrg(int x, int y) { return Add(0x020B, {y, x}); }
  Wmf& Pen(int style, int width, uint32_t colour);
  Wmf& Brush(int style, uint32_t colour, int hatch = 0);
  Wmf& Font(int height, const std::string& face = "Arial");
  Wmf& Select(int index) { return Add(0x012D, {index}); }
  Wmf& Delete(int index) { return Add(0x01F0, {index}); }
  Wmf& Rectangle(int left, int top, int right, int bottom) {
    return Add(0x041B, {bottom, right, top, left});
  }
  Wmf& Ellipse(int left, int top, int right, int bottom) {
    return Add(0x0418, {bottom, right, top, left});
  }
  Wmf& Polygon(const std::vector<int>& xy);  // x0, y0, x1, y1, ...
  Wmf& Text(int x, int y, const std::string& text);
  // A bitmap of width x height pixels at 24 bits stretched into the box.
  Wmf& StretchDib(int x, int y, int w, int h, int width, int height, uint32_t colour);

  // The metafile: header (its size, object count and largest record filled in), the records and
  // the end record.
  Bytes Build() const;
  // The same after a placeable header with this bounding box.
  Bytes Placeable(int left, int top, int right, int bottom) const;

  // Header fields to spoil; the defaults are those Build fills in.
  uint16_t version = 0x0300;
  bool end = true;        // append META_EOF
  int64_t sizeDelta = 0;  // added to the size in words the header gives

 private:
  uint16_t objects_;
  Bytes records_;
  uint32_t largest_ = 3;
};

// An enhanced metafile: an ENHMETAHEADER record, records of 32-bit fields, EMR_EOF.
class Emf {
 public:
  // The frame is in hundredths of a millimetre, on a device of 4 pixels to the millimetre: the
  // default is 100 x 100 units.
  explicit Emf(uint16_t handles = 4, int frameW = 2500, int frameH = 2500)
      : handles_(handles), frameW_(frameW), frameH_(frameH) {}

  // A record of `type` with 32-bit fields after its type and size.
  Emf& Add(uint32_t type, const std::vector<uint32_t>& fields);
  // A record whose size field says `size` bytes whatever follows.
  Emf& AddSized(uint32_t type, uint32_t size, const std::vector<uint32_t>& fields);
  // A record of 32-bit fields followed by raw bytes (padded to 4).
  Emf& AddWithBytes(uint32_t type, const std::vector<uint32_t>& fields, const Bytes& tail);

  Emf& Pen(uint32_t index, uint32_t style, int width, uint32_t colour);
  Emf& Brush(uint32_t index, uint32_t colour);
  Emf& Select(uint32_t index) { return Add(37, {index}); }
  Emf& Rectangle(int left, int top, int right, int bottom);
  Emf& Ellipse(int left, int top, int right, int bottom);
  Emf& Polygon16(const std::vector<int>& xy);
  Emf& MoveTo(int x, int y) { return Add(27, {uint32_t(x), uint32_t(y)}); }
  Emf& LineTo(int x, int y) { return Add(54, {uint32_t(x), uint32_t(y)}); }
  Emf& WorldTransform(float m11, float m12, float m21, float m22, float dx, float dy);
  // A bitmap of width x height pixels at 24 bits, in one colour, stretched into the box.
  Emf& StretchDib(int x, int y, int w, int h, int width, int height, uint32_t colour);
  Emf& TextWide(int x, int y, const std::u16string& text);

  Bytes Build() const;

  // Header fields to spoil.
  uint32_t signature = 0x464D4520;
  int64_t recordsDelta = 0;  // added to the record count the header gives
  int64_t bytesDelta = 0;    // added to the size the header gives
  bool end = true;

 private:
  uint16_t handles_;
  int frameW_, frameH_;
  Bytes records_;
  uint32_t count_ = 0;
};

// `count` points (x, y, x, y, ...) with coordinates from 0 to range - 1, the same for a seed.
std::vector<int> RandomPoints(int count, int range, uint32_t seed);

// One hostile metafile: what it does, its bytes, and how the validator must refuse it, or nothing
// when it is sound to play but tries to draw outside the rectangle it is given.
struct Hostile {
  std::string name;
  core::MetafileKind kind;
  Bytes bytes;
  bool refused = true;
  core::MetafileFault fault = core::MetafileFault::Header;
};

// Every hostile case the tests know, each a file the validator must refuse for its fault, or one
// it accepts that draws over everything around it.
std::vector<Hostile> HostileMetafiles();

// Sound metafiles of every kind, drawing shapes, text and a bitmap: they must pass and draw.
struct Sound {
  std::string name;
  core::MetafileKind kind;
  Bytes bytes;
};
std::vector<Sound> SoundMetafiles();

}  // namespace forge
