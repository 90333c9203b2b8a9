#pragma once
// Decoding of BI_RLE8 and BI_RLE4 pixel data.

#include <cstdint>
#include <span>

#include "core/Dib.h"

namespace core::bmp {

// Decodes RLE data into `dib`, an 8-bit (RLE8) or 4-bit (RLE4) picture whose pixels are zero.
// Drawing starts at the bottom-left; pixels the data skips (delta, early end of line or end of
// bitmap) stay index 0, and runs that reach past the right or top edge are clipped. Throws
// core::Error when the data ends before the end-of-bitmap code and before the last row is done.
void DecodeRle(std::span<const uint8_t> data, Dib& dib);

}  // namespace core::bmp
