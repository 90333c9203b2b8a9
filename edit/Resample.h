#pragma once
// The arithmetic of the Resize command: fitting the preview into its area with the picture's
// proportions, the size a typed number of pixels gives, the one scale factor of the sampling, and
// the point sampling itself. Portable, tested natively.

#include <optional>
#include <string_view>

#include "core/Dib.h"

namespace edit {

struct PixelSize {
  int width = 0;
  int height = 0;
  friend bool operator==(const PixelSize&, const PixelSize&) = default;
};

// The largest size with the picture's proportions that fits the area: the full width when the
// picture is relatively wider than the area, else the full height, the other side truncated.
// Nothing for a picture of zero width or height.
std::optional<PixelSize> FitPreview(PixelSize picture, PixelSize area);

// The size that `pixels` gives for the width (heightMode false) or the height, the other side
// following the picture's proportions, truncated. Nothing for a picture of zero width or height.
std::optional<PixelSize> SpecifiedSize(PixelSize picture, bool heightMode, int pixels);

// The numbers of pixels the resize dialog accepts for a width or height.
inline constexpr int kMinTypedPixels = 1;
inline constexpr int kMaxTypedPixels = 2048;

// A number of pixels as typed into the resize dialog's box: decimal digits, with a sign and
// surrounding spaces allowed. A number outside kMinTypedPixels .. kMaxTypedPixels is held to the
// nearer bound, however many digits it has; text that is no number gives `fallback`. `refused`
// tells that the text did not stand as typed.
struct TypedPixels {
  int value = 0;
  bool refused = false;
};
TypedPixels ParseTypedPixels(std::wstring_view text, int fallback);

// The one scale factor of the sampling: from the width when the preview is wider than its area,
// else from the height (source pixels per destination pixel).
double SamplingScale(PixelSize picture, PixelSize preview, int areaWidth);

// Point sampling with one scale factor for both axes, anchored at the bottom-left pixel: row r from
// the bottom takes source row trunc(r x scale) from the bottom, column c takes source column
// trunc(c x scale), each kept within the picture. Fills `target`, whose size is the result's; both
// pictures have 24 bits per pixel (throws core::Error otherwise, or when either is empty).
void Resample(const core::Dib& source, core::Dib& target, double scale);

}  // namespace edit
