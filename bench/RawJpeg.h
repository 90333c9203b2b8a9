#pragma once
// The bounds of the JPEG benchmarks: the plain libjpeg calls that do the same work as our encoder
// and decoder (same colour space, settings and row batching), writing into memory the caller
// allocated and touched beforehand.

#include <cstddef>
#include <cstdint>
#include <span>

#include "core/Dib.h"

namespace bench {

// Encodes `src24` at `quality` into `out` and returns the number of bytes written. `out` must be
// large enough for the whole file (the picture's own size always is).
size_t RawEncodeJpeg(const core::Dib& src24, int quality, std::span<uint8_t> out);

// Decodes `jpeg` into `dst24`, a 24-bpp Dib of the picture's size.
void RawDecodeJpeg(std::span<const uint8_t> jpeg, core::Dib& dst24);

}  // namespace bench
