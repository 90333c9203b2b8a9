#pragma once
// The highlighter's arithmetic: each pixel multiplied by a colour, channel by channel, as a
// highlighter pen's ink filters what lies under it. Black stays black; white becomes the colour.

#include "core/Dib.h"
#include "tags/PixelEditing.h"

namespace tags {

// Multiplies the pixels of `area` of `picture` (clipped to it; 24 bits, or 32 bits in the order
// blue, green, red, unused) by `colour`, each channel rounded to the nearest level.
void MultiplyArea(core::Dib& picture, PixelRect area, Rgb colour);

}  // namespace tags
