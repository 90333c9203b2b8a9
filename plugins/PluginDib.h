#pragma once
// The picture a Susie plug-in hands back: a BITMAPINFO block (40-byte header and colour table) and
// a block of pixel rows, both allocated by the plug-in. The plug-in is foreign code, so both blocks
// are checked against their real sizes before any byte beyond the header is trusted, and only then
// joined into a BMP file image for the BMP reader.

#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

namespace plugins {

// The BMP file image of the plug-in's DIB: the 14-byte file header, the first 40 + 4n bytes of
// `info` (n: the colours used, or 2, 16 or 256 for 1, 4 and 8 bits when that is 0), then row size
// x |height| bytes of `bits`. `info` and `bits` are the whole blocks as the plug-in allocated them.
// An uncompressed DIB with a 40-byte header, 1, 4, 8, 16, 24 or 32 bits per pixel, a colour table
// of at most 2^bits (and 256) entries and non-zero dimensions within the BMP reader's limits is
// accepted; anything else, or blocks too short for what the header says, throws core::Error naming
// `pluginName`.
std::vector<uint8_t> PluginDibToBmp(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                                    std::string_view pluginName);

}  // namespace plugins
