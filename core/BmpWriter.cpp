// Writes a Dib as an uncompressed BMP file or packed DIB with a 40-byte header.

#include <algorithm>
#include <cstring>

#include "core/BmpCodec.h"
#include "core/BmpFormat.h"
#include "core/Error.h"

namespace core {

namespace {

using namespace bmp;

// Colour table as written: at most 2^bits entries; a grey ramp when the picture has none.
std::vector<RgbQuad> TableToWrite(const Dib& dib) {
  if (dib.BitCount() > 8) return {};
  const size_t full = size_t{1} << dib.BitCount();
  const std::vector<RgbQuad>& palette = dib.Palette();
  if (!palette.empty()) {
    return {palette.begin(),
            palette.begin() + static_cast<std::ptrdiff_t>(std::min(full, palette.size()))};
  }
  std::vector<RgbQuad> ramp(full);
  for (size_t i = 0; i < full; ++i) {
    const auto level = static_cast<uint8_t>(i * 255 / (full - 1));
    ramp[i] = {level, level, level, 0};
  }
  return ramp;
}

// Where the parts of the packed DIB lie, from the start of its header.
struct PackedLayout {
  std::vector<RgbQuad> table;
  bool bitFields = false;
  size_t tableStart = 0;
  size_t bitsStart = 0;
  size_t size = 0;
};

PackedLayout LayOut(const Dib& dib) {
  if (dib.Empty()) throw Error("保存する画像がありません");
  PackedLayout layout;
  layout.table = TableToWrite(dib);
  layout.bitFields = (dib.BitCount() == 16 || dib.BitCount() == 32) && dib.HasCustomMasks();
  layout.tableStart = kInfoHeaderSize + (layout.bitFields ? 12 : 0);
  layout.bitsStart = layout.tableStart + layout.table.size() * 4;
  layout.size = layout.bitsStart + dib.ImageSize();  // at most kMaxPixelBytes: fits 32 bits
  return layout;
}

// Writes the packed DIB at `out`, which holds layout.size bytes.
void WritePacked(const Dib& dib, const PackedLayout& layout, uint8_t* out) {
  std::memset(out, 0, layout.bitsStart);
  Put32(out, kInfoHeaderSize);
  Put32(out + 4, static_cast<uint32_t>(dib.Width()));
  Put32(out + 8, static_cast<uint32_t>(dib.Height()));
  Put16(out + 12, 1);
  Put16(out + 14, static_cast<uint32_t>(dib.BitCount()));
  Put32(out + 16, layout.bitFields ? kBitFields : kRgb);
  Put32(out + 20, static_cast<uint32_t>(dib.ImageSize()));
  Put32(out + 24, static_cast<uint32_t>(dib.xPelsPerMeter));
  Put32(out + 28, static_cast<uint32_t>(dib.yPelsPerMeter));
  const size_t full = dib.BitCount() <= 8 ? size_t{1} << dib.BitCount() : 0;
  Put32(out + 32, layout.table.size() < full ? static_cast<uint32_t>(layout.table.size()) : 0);
  if (layout.bitFields) {
    Put32(out + kInfoHeaderSize, dib.Masks().red);
    Put32(out + kInfoHeaderSize + 4, dib.Masks().green);
    Put32(out + kInfoHeaderSize + 8, dib.Masks().blue);
  }
  uint8_t* entry = out + layout.tableStart;
  for (const RgbQuad& q : layout.table) {
    *entry++ = q.blue;
    *entry++ = q.green;
    *entry++ = q.red;
    *entry++ = q.reserved;
  }
  std::memcpy(out + layout.bitsStart, dib.Bits(), dib.ImageSize());
}

}  // namespace

size_t PackedDibSize(const Dib& dib) { return LayOut(dib).size; }

void WritePackedDib(const Dib& dib, std::span<uint8_t> out) {
  const PackedLayout layout = LayOut(dib);
  if (out.size() != layout.size) throw Error("DIBの書き込み先の大きさが合っていません");
  WritePacked(dib, layout, out.data());
}

std::vector<uint8_t> WritePackedDib(const Dib& dib) {
  const PackedLayout layout = LayOut(dib);
  std::vector<uint8_t> out(layout.size);
  WritePacked(dib, layout, out.data());
  return out;
}

std::vector<uint8_t> WriteBmp(const Dib& dib) {
  const PackedLayout layout = LayOut(dib);
  std::vector<uint8_t> out(kFileHeaderSize + layout.size);
  std::memset(out.data(), 0, kFileHeaderSize);
  out[0] = 'B';
  out[1] = 'M';
  Put32(out.data() + 2, static_cast<uint32_t>(out.size()));
  Put32(out.data() + 10, static_cast<uint32_t>(kFileHeaderSize + layout.bitsStart));
  WritePacked(dib, layout, out.data() + kFileHeaderSize);
  return out;
}

}  // namespace core
