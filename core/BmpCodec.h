#pragma once
// Reading and writing BMP files and packed DIBs (the clipboard's CF_DIB: header, masks, colour
// table and bits in one block). Every size in the input is checked before it is trusted; a picture
// whose dimensions exceed the limits in Dib.h is refused before any pixel memory is allocated.
//
// The reader accepts OS/2 1.x (12-byte) and 2.x (16 to 64-byte) headers and Windows headers of 40,
// 52, 56, 108 and 124 bytes; 1, 2, 4, 8, 16, 24 and 32 bits per pixel; BI_RGB, BI_RLE4, BI_RLE8,
// BI_BITFIELDS and BI_ALPHABITFIELDS; top-down rows. The result is always a bottom-up Dib in the
// picture's own format, except that 2-bit pictures become 4-bit (same palette, same indices) and
// RLE pictures become uncompressed 4- or 8-bit ones (pixels the RLE data skips stay index 0).
// 16- and 32-bit pictures keep their channel masks in Dib::Masks(); an alpha mask is dropped.
// Everything else (JPEG or PNG inside a BMP, OS/2 Huffman or RLE24, 64 bits) is refused.

#include <cstdint>
#include <optional>
#include <span>
#include <vector>

#include "core/Dib.h"

namespace core {

// A BMP file or packed DIB whose headers have been read and checked, before any pixel memory is
// allocated. The caller allocates the picture in the memory it needs it in (a DIB section that
// GDI draws, for one) and the pixels are decoded straight into it, without a copy in between. The
// decoder refers to the data it was made from, which must outlive it.
class BmpDecoder {
 public:
  // Throw core::Error for anything ReadBmp and ReadPackedDib refuse.
  static BmpDecoder File(std::span<const uint8_t> file);
  static BmpDecoder PackedDib(std::span<const uint8_t> packed);

  // The picture's format as the readers below return it (2-bit as 4-bit, RLE as 4/8-bit).
  const DibFormat& Format() const { return format_; }
  // True when DecodeInto writes every byte of the pixels; otherwise they must start as zero
  // (pixels that RLE data skips stay index 0).
  bool WritesEveryByte() const { return !rle_ && bitCount_ != 2; }
  // Decodes the pixels into `target`, which has the format's width, height and bit count (its
  // palette and masks are not looked at). Throws core::Error for another target, or for RLE data
  // that ends too early.
  void DecodeInto(Dib& target) const;

 private:
  BmpDecoder(std::span<const uint8_t> data, size_t headerPos,
             std::optional<int64_t> fileBitsOffset);

  DibFormat format_;
  std::span<const uint8_t> bits_;
  int64_t sourceStride_ = 0;
  int bitCount_ = 0;  // in the data
  bool rle_ = false;
  bool topDown_ = false;
};

// A whole .bmp file (also the first picture of an OS/2 bitmap array). Throws core::Error.
Dib ReadBmp(std::span<const uint8_t> file);
// A packed DIB as on the clipboard: the pixels follow the masks and the colour table.
Dib ReadPackedDib(std::span<const uint8_t> packed);

// An uncompressed BMP in the picture's own pixel format, with a 40-byte header. 16/32-bit pictures
// with masks other than the defaults are written as BI_BITFIELDS; a 1/4/8-bit picture without a
// palette gets a grey ramp. Throws core::Error for an empty Dib.
std::vector<uint8_t> WriteBmp(const Dib& dib);
// The same without the 14-byte file header (for CF_DIB).
std::vector<uint8_t> WritePackedDib(const Dib& dib);
// The same into memory the caller provides (the clipboard's, for one), which must be exactly
// PackedDibSize(dib) bytes; throws core::Error for another size or an empty Dib.
size_t PackedDibSize(const Dib& dib);
void WritePackedDib(const Dib& dib, std::span<uint8_t> out);

}  // namespace core
