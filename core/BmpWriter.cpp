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
    return {palette.begin(), palette.begin() + static_cast<std::ptrdiff_t>(std::min(full, palette.size()))};
  }
  std::vector<RgbQuad> ramp(full);
  for (size_t i = 0; i < full; ++i) {
    const auto level = static_cast<uint8_t>(i * 255 / (full - 1));
    ramp[i] = {level, level, level, 0};
  }
  return ramp;
}

// Builds the packed DIB after `prefix` zero bytes, which the caller fills in.
std::vector<uint8_t> BuildPacked(const Dib& dib, size_t prefix) {
  if (dib.Empty()) throw Error("保存する画像がありません");
  const std::vector<RgbQuad> table = TableToWrite(dib);
  const bool bitFields = (dib.BitCount() == 16 || dib.BitCount() == 32) && dib.HasCustomMasks();
  const size_t masksSize = bitFields ? 12 : 0;
  const size_t headerEnd = prefix + kInfoHeaderSize;
  const size_t tableStart = headerEnd + masksSize;
  const size_t bitsStart = tableStart + table.size() * 4;
  const size_t imageSize = dib.ImageSize();  // at most kMaxPixelBytes: the total fits 32 bits

  std::vector<uint8_t> out(bitsStart + imageSize);
  uint8_t* h = out.data() + prefix;
  Put32(h, kInfoHeaderSize);
  Put32(h + 4, static_cast<uint32_t>(dib.Width()));
  Put32(h + 8, static_cast<uint32_t>(dib.Height()));
  Put16(h + 12, 1);
  Put16(h + 14, static_cast<uint32_t>(dib.BitCount()));
  Put32(h + 16, bitFields ? kBitFields : kRgb);
  Put32(h + 20, static_cast<uint32_t>(imageSize));
  Put32(h + 24, static_cast<uint32_t>(dib.xPelsPerMeter));
  Put32(h + 28, static_cast<uint32_t>(dib.yPelsPerMeter));
  const size_t full = dib.BitCount() <= 8 ? size_t{1} << dib.BitCount() : 0;
  Put32(h + 32, table.size() < full ? static_cast<uint32_t>(table.size()) : 0);
  if (bitFields) {
    Put32(out.data() + headerEnd, dib.Masks().red);
    Put32(out.data() + headerEnd + 4, dib.Masks().green);
    Put32(out.data() + headerEnd + 8, dib.Masks().blue);
  }
  uint8_t* entry = out.data() + tableStart;
  for (const RgbQuad& q : table) {
    *entry++ = q.blue;
    *entry++ = q.green;
    *entry++ = q.red;
    *entry++ = q.reserved;
  }
  std::memcpy(out.data() + bitsStart, dib.Bits(), imageSize);
  return out;
}

}  // namespace

std::vector<uint8_t> WritePackedDib(const Dib& dib) { return BuildPacked(dib, 0); }

std::vector<uint8_t> WriteBmp(const Dib& dib) {
  std::vector<uint8_t> out = BuildPacked(dib, kFileHeaderSize);
  const size_t bitsStart = out.size() - dib.ImageSize();
  out[0] = 'B';
  out[1] = 'M';
  Put32(out.data() + 2, static_cast<uint32_t>(out.size()));
  Put32(out.data() + 10, static_cast<uint32_t>(bitsStart));
  return out;
}

}  // namespace core
