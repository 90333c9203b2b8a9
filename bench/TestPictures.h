#pragma once
// Deterministic test pictures for the benchmarks, drawn in code so every run and every machine
// measures the same pixels: a screenshot-like picture (flat desktop, overlapping windows with title
// bars, borders and anti-aliased text-like strokes, a noisy photo panel) and a photo-like picture
// (smooth gradients plus noise).

#include "core/Dib.h"

namespace bench {

core::Dib MakeScreenshot(int width, int height);  // 24 bpp
core::Dib MakePhoto(int width, int height);       // 24 bpp

// The same picture as 32 bpp (blue, green, red, 0; default masks).
core::Dib To32(const core::Dib& src24);
// The same picture as 8 bpp: each pixel becomes the nearest colour of a 6 x 7 x 6 colour cube.
core::Dib ToPalette8(const core::Dib& src24);

}  // namespace bench
