#pragma once
// Layout lengths at a screen's resolution. The windows' layout is written in pixels of a 96-DPI
// screen; at another resolution every such length is scaled by one rule, rounded once: to the
// nearest pixel, halves away from zero (as MulDiv rounds). Picture pixels are never scaled.

#include <cstdint>

namespace core {

// The resolution the layout's pixel numbers are written for.
inline constexpr int kDesignDpi = 96;

// `pixels` of the 96-DPI layout at `dpi` dots per inch.
constexpr int ScaleToDpi(int pixels, int dpi) {
  const int64_t product = int64_t{pixels} * dpi;
  const int64_t half = kDesignDpi / 2;
  return static_cast<int>(product >= 0 ? (product + half) / kDesignDpi
                                       : -((-product + half) / kDesignDpi));
}

}  // namespace core
