#pragma once
// The PNG pairs of capslate_bench: the program's PNG writer against libpng at its default settings
// (zlib level 6, adaptive filters), and the PNG plug-in's decoder against libpng's own reading of
// the same file into memory allocated beforehand. Each pair first checks that both sides give the
// same pixels, and prints the file sizes.

#include "core/Dib.h"

namespace bench {

// Registers the pairs for `screenshot` and `photo` (24 bpp, same size); both must outlive the run.
void AddPngPairs(const core::Dib& screenshot, const core::Dib& photo);

}  // namespace bench
