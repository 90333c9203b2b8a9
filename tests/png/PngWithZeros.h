#pragma once
// PNG files whose compressed stream goes on after the last row: the rows of a picture, then any
// number of zero bytes that inflate from very little (200 MB from 200 KB), as a careless writer or
// an attacker makes them. Shared by the decoder's native tests and the Windows timing of opening
// such a file.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "core/Dib.h"

namespace pngtest {

// An 8-bit RGB PNG of `dib` (24 bits per pixel) whose stream holds `zeros` zero bytes after the
// last row, ended properly, in one IDAT chunk, and then IEND.
std::vector<uint8_t> PngWithZerosAfterTheRows(const core::Dib& dib, size_t zeros);

}  // namespace pngtest
