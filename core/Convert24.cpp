#include "core/Convert24.h"

#include <array>
#include <bit>
#include <cstring>

#include "core/Error.h"

namespace core {

namespace {

// 24-bit colour of every possible index of an indexed picture.
using IndexTable = std::array<uint8_t, 256 * 3>;

IndexTable MakeIndexTable(const Dib& src) {
  IndexTable table{};  // indices beyond the palette stay black
  const std::vector<RgbQuad>& palette = src.Palette();
  const size_t count = size_t{1} << src.BitCount();
  for (size_t i = 0; i < count; ++i) {
    uint8_t* out = &table[i * 3];
    if (palette.empty()) {
      const auto level = static_cast<uint8_t>(i * 255 / (count - 1));
      out[0] = out[1] = out[2] = level;
    } else if (i < palette.size()) {
      out[0] = palette[i].blue;
      out[1] = palette[i].green;
      out[2] = palette[i].red;
    }
  }
  return table;
}

void ConvertIndexedRow(const uint8_t* src, uint8_t* dst, int width, int bitCount,
                       const IndexTable& table) {
  if (bitCount == 8) {
    for (int x = 0; x < width; ++x, dst += 3) std::memcpy(dst, &table[src[x] * 3u], 3);
    return;
  }
  const int perByte = 8 / bitCount;
  const unsigned mask = (1u << bitCount) - 1;
  for (int x = 0; x < width; ++x, dst += 3) {
    const int shift = 8 - bitCount * (x % perByte + 1);
    const unsigned index = (src[x / perByte] >> shift) & mask;
    std::memcpy(dst, &table[index * 3], 3);
  }
}

// Reads one channel out of a 16- or 32-bit pixel and widens it to 8 bits through a table.
class Channel {
 public:
  explicit Channel(uint32_t mask) {
    if (mask == 0) return;  // an absent channel reads as 0
    shift_ = static_cast<uint32_t>(std::countr_zero(mask));
    int width = std::bit_width(mask >> shift_);
    if (width > 8) {  // keep the top 8 bits of a wide channel
      shift_ += static_cast<uint32_t>(width - 8);
      width = 8;
    }
    valueMask_ = (1u << width) - 1;
    for (uint32_t v = 0; v <= valueMask_; ++v) {
      uint32_t wide = 0;  // bit replication: repeat the value's bits until 8 are filled
      for (int pos = 8 - width; pos > -width; pos -= width) wide |= pos >= 0 ? v << pos : v >> -pos;
      widen_[v] = static_cast<uint8_t>(wide);
    }
  }
  uint8_t operator()(uint32_t pixel) const { return widen_[(pixel >> shift_) & valueMask_]; }

 private:
  uint32_t shift_ = 0;
  uint32_t valueMask_ = 0;
  std::array<uint8_t, 256> widen_{};
};

// Copies `width` 4-byte pixels as 3-byte ones. Byte by byte the compiler must assume that every
// store may change the source, so four pixels at a time are packed into three 32-bit words.
void DropFourthBytes(const uint8_t* s, uint8_t* d, int width) {
  int x = 0;
  if constexpr (std::endian::native == std::endian::little) {
    for (; x + 4 <= width; x += 4, s += 16, d += 12) {
      uint32_t p[4];
      std::memcpy(&p[0], s, 4);
      std::memcpy(&p[1], s + 4, 4);
      std::memcpy(&p[2], s + 8, 4);
      std::memcpy(&p[3], s + 12, 4);
      const uint32_t out0 = (p[0] & 0xFFFFFFu) | (p[1] << 24);
      const uint32_t out1 = ((p[1] >> 8) & 0xFFFFu) | (p[2] << 16);
      const uint32_t out2 = ((p[2] >> 16) & 0xFFu) | (p[3] << 8);
      std::memcpy(d, &out0, 4);
      std::memcpy(d + 4, &out1, 4);
      std::memcpy(d + 8, &out2, 4);
    }
  }
  for (; x < width; ++x, s += 4, d += 3) {
    d[0] = s[0];
    d[1] = s[1];
    d[2] = s[2];
  }
}

struct MaskReader {
  Channel red, green, blue;
  explicit MaskReader(const ChannelMasks& m) : red(m.red), green(m.green), blue(m.blue) {}
  void Store(uint32_t pixel, uint8_t* dst) const {
    dst[0] = blue(pixel);
    dst[1] = green(pixel);
    dst[2] = red(pixel);
  }
};

}  // namespace

void ConvertTo24(const Dib& src, Dib& dst) {
  if (src.Empty() || dst.Empty() || dst.BitCount() != 24 || dst.Width() != src.Width() ||
      dst.Height() != src.Height()) {
    throw Error("24ビットへの変換先の画像が合っていません");
  }
  const int width = src.Width();
  const int height = src.Height();
  const size_t srcStride = src.Stride();
  const size_t dstStride = dst.Stride();
  const uint8_t* srcRow = src.Bits();
  uint8_t* dstRow = dst.Bits();
  auto eachRow = [&](auto&& convertRow) {
    for (int y = 0; y < height; ++y, srcRow += srcStride, dstRow += dstStride) convertRow(srcRow, dstRow);
  };

  switch (src.BitCount()) {
    case 1:
    case 4:
    case 8: {
      const IndexTable table = MakeIndexTable(src);
      const int bitCount = src.BitCount();
      eachRow([&](const uint8_t* s, uint8_t* d) { ConvertIndexedRow(s, d, width, bitCount, table); });
      break;
    }
    case 16: {
      const MaskReader reader(src.Masks());
      eachRow([&](const uint8_t* s, uint8_t* d) {
        for (int x = 0; x < width; ++x, s += 2, d += 3) reader.Store(uint32_t{s[0]} | (uint32_t{s[1]} << 8), d);
      });
      break;
    }
    case 24:
      if (src.Bits() == dst.Bits()) return;
      eachRow([&](const uint8_t* s, uint8_t* d) { std::memcpy(d, s, static_cast<size_t>(width) * 3); });
      break;
    case 32:
      if (!src.HasCustomMasks()) {  // blue, green, red, unused: drop every fourth byte
        eachRow([&](const uint8_t* s, uint8_t* d) { DropFourthBytes(s, d, width); });
      } else {
        const MaskReader reader(src.Masks());
        eachRow([&](const uint8_t* s, uint8_t* d) {
          for (int x = 0; x < width; ++x, s += 4, d += 3) {
            reader.Store(uint32_t{s[0]} | (uint32_t{s[1]} << 8) | (uint32_t{s[2]} << 16) |
                             (uint32_t{s[3]} << 24),
                         d);
          }
        });
      }
      break;
    default:
      throw Error("24ビットに変換できない画像形式です (" + std::to_string(src.BitCount()) + " bpp)");
  }
}

Dib ConvertTo24(const Dib& src) {
  if (src.Empty()) throw Error("変換する画像がありません");
  Dib dst(src.Width(), src.Height(), 24);
  dst.xPelsPerMeter = src.xPelsPerMeter;
  dst.yPelsPerMeter = src.yPelsPerMeter;
  ConvertTo24(src, dst);
  return dst;
}

}  // namespace core
