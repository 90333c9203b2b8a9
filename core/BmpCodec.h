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
#include <span>
#include <vector>

#include "core/Dib.h"

namespace core {

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

}  // namespace core
