#pragma once
// The picture a Susie plug-in hands back: a BITMAPINFO block (40-byte header and colour table) and
// a block of pixel rows, both allocated by the plug-in. The plug-in is foreign code, so both blocks
// are checked against their real sizes before any byte beyond the header is trusted; only then are
// the pixels copied, once, into the picture.

#include <cstdint>
#include <span>
#include <string_view>

#include "core/Dib.h"

namespace plugins {

// The plug-in's DIB as a picture: the colour table of its first 40 + 4n bytes of `info` (n: the
// colours used, or 2, 16 or 256 for 1, 4 and 8 bits when that is 0) as its palette, and row size x
// |height| bytes of `bits` as its pixels, a negative height meaning rows from the top. `info` and
// `bits` are the whole blocks as the plug-in allocated them. An uncompressed DIB with a 40-byte
// header, 1, 4, 8, 16, 24 or 32 bits per pixel, a colour table of at most 2^bits (and 256) entries
// and non-zero dimensions within the BMP reader's limits is accepted; anything else, or blocks too
// short for what the header says, throws core::Error naming `pluginName`.
core::Dib DecodePluginDib(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                          std::string_view pluginName);

}  // namespace plugins
