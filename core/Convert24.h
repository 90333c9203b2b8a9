#pragma once
// Conversion of any Dib to 24 bits per pixel (blue, green, red bytes).
//
// Indexed pictures go through the colour table; an index beyond the table is black, and a picture
// without a table is read as a grey ramp (as WriteBmp writes it). 16- and 32-bit pixels are read
// through the Dib's channel masks: a channel narrower than 8 bits is widened by bit replication
// ((v << 3) | (v >> 2) for 5 bits, (v << 2) | (v >> 4) for 6), a wider one keeps its top 8 bits.

#include "core/Dib.h"

namespace core {

// Fills `dst`, a 24-bit Dib of the same size as `src`, in place. Throws core::Error otherwise.
void ConvertTo24(const Dib& src, Dib& dst);
// The same into a new 24-bit Dib (resolution kept).
Dib ConvertTo24(const Dib& src);

}  // namespace core
