#pragma once
// Constants and little-endian field access shared by the BMP reader and writer.

#include <bit>
#include <cstddef>
#include <cstdint>

namespace core::bmp {

inline constexpr size_t kFileHeaderSize = 14;
inline constexpr size_t kInfoHeaderSize = 40;  // BITMAPINFOHEADER
inline constexpr size_t kCoreHeaderSize = 12;  // BITMAPCOREHEADER (OS/2 1.x)

inline constexpr uint32_t kRgb = 0;
inline constexpr uint32_t kRle8 = 1;
inline constexpr uint32_t kRle4 = 2;
inline constexpr uint32_t kBitFields = 3;  // Huffman 1D in an OS/2 2.x header
inline constexpr uint32_t kJpeg = 4;       // RLE24 in an OS/2 2.x header
inline constexpr uint32_t kPng = 5;
inline constexpr uint32_t kAlphaBitFields = 6;

inline uint16_t Get16(const uint8_t* p) { return static_cast<uint16_t>(p[0] | (p[1] << 8)); }
inline uint32_t Get32(const uint8_t* p) {
  return uint32_t{p[0]} | (uint32_t{p[1]} << 8) | (uint32_t{p[2]} << 16) | (uint32_t{p[3]} << 24);
}
inline void Put16(uint8_t* p, uint32_t v) {
  p[0] = static_cast<uint8_t>(v);
  p[1] = static_cast<uint8_t>(v >> 8);
}
inline void Put32(uint8_t* p, uint32_t v) {
  Put16(p, v);
  Put16(p + 2, v >> 16);
}

// True when a channel mask of a bit-field picture is usable: absent (0), or one run of ones that
// fits the pixel.
inline bool ValidMask(uint32_t mask, int bitCount) {
  if (bitCount == 16 && mask > 0xFFFF) return false;
  if (mask == 0) return true;
  const uint32_t run = mask >> std::countr_zero(mask);
  return (run & (run + 1)) == 0;  // one contiguous run of ones
}

}  // namespace core::bmp
