#include "core/Convert24.h"

#include <array>
#include <bit>
#include <cstring>

#include "core/Error.h"

namespace core {

namespace {

// A 24-bit colour held as blue | green << 8 | red << 16.
uint32_t PackBgr(uint8_t blue, uint8_t green, uint8_t red) {
  return uint32_t{blue} | (uint32_t{green} << 8) | (uint32_t{red} << 16);
}

void StoreBgr(uint32_t bgr, uint8_t* dst) {
  dst[0] = static_cast<uint8_t>(bgr);
  dst[1] = static_cast<uint8_t>(bgr >> 8);
  dst[2] = static_cast<uint8_t>(bgr >> 16);
}

// Four pixels at a time are written as three 32-bit words, which needs a little-endian machine.
// Stored byte by byte, the compiler must assume that every store may change the source and reads
// it again, which makes the conversion half as fast as a memory copy.
constexpr bool kWordStores = std::endian::native == std::endian::little;

// Stores four packed pixels (their top bytes are ignored) as 12 bytes.
void StoreFour(const uint32_t (&p)[4], uint8_t* dst) {
  const uint32_t word0 = (p[0] & 0xFFFFFFu) | (p[1] << 24);
  const uint32_t word1 = ((p[1] >> 8) & 0xFFFFu) | (p[2] << 16);
  const uint32_t word2 = ((p[2] >> 16) & 0xFFu) | (p[3] << 8);
  std::memcpy(dst, &word0, 4);
  std::memcpy(dst + 4, &word1, 4);
  std::memcpy(dst + 8, &word2, 4);
}

// 24-bit colour of every possible index of an indexed picture, packed.
using IndexTable = std::array<uint32_t, 256>;

IndexTable MakeIndexTable(const Dib& src) {
  IndexTable table{};  // indices beyond the palette stay black
  const std::vector<RgbQuad>& palette = src.Palette();
  const size_t count = size_t{1} << src.BitCount();
  for (size_t i = 0; i < count; ++i) {
    if (palette.empty()) {
      const auto level = static_cast<uint8_t>(i * 255 / (count - 1));
      table[i] = PackBgr(level, level, level);
    } else if (i < palette.size()) {
      table[i] = PackBgr(palette[i].blue, palette[i].green, palette[i].red);
    }
  }
  return table;
}

void ConvertIndexedRow(const uint8_t* src, uint8_t* dst, int width, int bitCount,
                       const IndexTable& table) {
  if (bitCount == 8) {
    int x = 0;
    if constexpr (kWordStores) {
      for (; x + 4 <= width; x += 4, dst += 12) {
        StoreFour({table[src[x]], table[src[x + 1]], table[src[x + 2]], table[src[x + 3]]}, dst);
      }
    }
    for (; x < width; ++x, dst += 3) StoreBgr(table[src[x]], dst);
    return;
  }
  const int perByte = 8 / bitCount;
  const unsigned mask = (1u << bitCount) - 1;
  for (int x = 0; x < width; ++x, dst += 3) {
    const int shift = 8 - bitCount * (x % perByte + 1);
    StoreBgr(table[(src[x / perByte] >> shift) & mask], dst);
  }
}

// Copies `width` 4-byte pixels (blue, green, red, unused) as 3-byte ones.
void DropFourthBytes(const uint8_t* src, uint8_t* dst, int width) {
  int x = 0;
  if constexpr (kWordStores) {
    for (; x + 4 <= width; x += 4, src += 16, dst += 12) {
      uint32_t p[4];
      for (int i = 0; i < 4; ++i) std::memcpy(&p[i], src + 4 * i, 4);
      StoreFour(p, dst);
    }
  }
  for (; x < width; ++x, src += 4, dst += 3) {
    dst[0] = src[0];
    dst[1] = src[1];
    dst[2] = src[2];
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
    for (int y = 0; y < height; ++y, srcRow += srcStride, dstRow += dstStride)
      convertRow(srcRow, dstRow);
  };

  switch (src.BitCount()) {
    case 1:
    case 4:
    case 8: {
      const IndexTable table = MakeIndexTable(src);
      const int bitCount = src.BitCount();
      eachRow(
          [&](const uint8_t* s, uint8_t* d) { ConvertIndexedRow(s, d, width, bitCount, table); });
      break;
    }
    case 16: {
      const MaskReader reader(src.Masks());
      eachRow([&](const uint8_t* s, uint8_t* d) {
        for (int x = 0; x < width; ++x, s += 2, d += 3)
          reader.Store(uint32_t{s[0]} | (uint32_t{s[1]} << 8), d);
      });
      break;
    }
    case 24:
      if (src.Bits() == dst.Bits()) return;
      eachRow(
          [&](const uint8_t* s, uint8_t* d) { std::memcpy(d, s, static_cast<size_t>(width) * 3); });
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
      throw Error("24ビットに変換できない画像形式です (" + std::to_string(src.BitCount()) +
                  " bpp)");
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
