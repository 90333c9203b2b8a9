#pragma once
// The mosaic tag's arithmetic. A mosaic hides what lies under it for good: the blocks it writes
// depend on the hidden pixels only through their one mean colour over the whole area, plus noise
// drawn from a seed, so no block carries the pixels beneath it and the same content never gives
// the same blocks twice. Works on 24-bit pictures and 32-bit ones with the usual channel order.

#include <cstdint>
#include <optional>

#include "core/Dib.h"
#include "host/Settings.h"
#include "tags/PixelEditing.h"

namespace tags {

// How far a block's colour strays from the mean, up or down, in levels of each channel.
inline constexpr int kMosaicNoise = 32;

// The mean colour of `area` of the picture (clipped to it), each channel rounded to the nearest
// level; nothing when no pixel of the area lies on the picture.
std::optional<Rgb> MeanColour(const core::Dib& picture, PixelRect area);

// The colour of block (column, row) of a mosaic of mean colour `mean` made with `seed`: the mean
// moved up or down by up to kMosaicNoise levels, the same for the three channels, kept in range.
Rgb MosaicBlockColour(Rgb mean, uint64_t seed, int column, int row);

// Writes the mosaic over `area` of `target` (clipped to it): blocks of `blockSize` pixels counted
// from (gridLeft, gridTop), which lies at or above and left of the area, each one colour of
// MosaicBlockColour. Reads none of the target's pixels.
void WriteMosaic(core::Dib& target, PixelRect area, int gridLeft, int gridTop, int blockSize,
                 Rgb mean, uint64_t seed);

// Writes one colour over `area` of `target` (clipped to it).
void FillArea(core::Dib& target, PixelRect area, Rgb colour);

}  // namespace tags
