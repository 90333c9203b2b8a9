#pragma once
// Where the picture goes on the printed page: fitted to the page width, or at a fixed
// magnification, shifted by the configured offsets. Pure arithmetic, tested natively.

#include <cstdint>

namespace output {

struct PrintOptions {
  int32_t manual = 0;   // Print/Manual: 0 fits the page width, anything else is fixed
  int32_t multi = 100;  // Print/Multi: the fixed magnification in percent
  int32_t left = 0;     // Print/Left: the picture's left edge on the page, in printer pixels
  int32_t top = 0;      // Print/Top
};

// Left, top, right and bottom in the page's pixels, right and bottom exclusive.
struct PrintRect {
  int64_t left = 0;
  int64_t top = 0;
  int64_t right = 0;
  int64_t bottom = 0;
  friend bool operator==(const PrintRect&, const PrintRect&) = default;
};

// The rectangle for a picture of width x height on a page `pageWidth` pixels wide. Fixed: the
// offsets plus the scaled size; fitted: from the offsets to the page width and to the height that
// keeps the picture's proportions (the offsets squeeze the picture rather than move it). Sizes are
// rounded to the nearest integer, halves to the even neighbour.
// Throws core::Error, saying which setting to change, when the rectangle is empty or turned over
// (a magnification of 0 or less, offsets past the page) or when its edges or size leave the
// printer's 32-bit coordinates: such a rectangle would print nothing, a mirrored picture or one
// wrapped around.
PrintRect ComputePrintRect(int width, int height, const PrintOptions& options, int pageWidth);

}  // namespace output
