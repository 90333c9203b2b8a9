#pragma once
// Writing PNG files: 8-bit RGB, not interlaced, lossless. The PNG framing (signature, IHDR, IDAT,
// IEND and their CRCs) is written here; the pixel data is filtered row by row and compressed with
// libdeflate, which is several times faster than zlib at the same or a smaller size. A large
// picture is filtered and compressed by two threads, the upper rows by zlib on the second.

#include <cstdint>
#include <vector>

#include "core/Dib.h"

namespace core {

// Encodes a 24-bpp Dib as a PNG file of 8-bit RGB samples, rows top to bottom. Each row gets the
// PNG filter whose output has the smallest sum of absolute values (the heuristic libpng uses).
// The resolution, when the Dib has one, is written as a pHYs chunk. Throws core::Error when `src24`
// is not a 24-bpp picture or memory runs out.
std::vector<uint8_t> EncodePng(const Dib& src24);

}  // namespace core
