#pragma once
// The picture a Susie plug-in hands back: a BITMAPINFO block (40-byte header, channel masks and
// colour table) and a block of pixel rows, both allocated by the plug-in. The plug-in is foreign
// code, so both blocks are checked against their real sizes before any byte beyond the header is
// trusted; only then are the pixels copied, once, into the picture.

#include <cstdint>
#include <span>
#include <string>
#include <string_view>

#include "core/Dib.h"
#include "core/Error.h"

namespace plugins {

// A plug-in's answer that the program does not take: "Susie Plugin [file] の返した画像は使えません:
// " and the reason. Such an answer counts as the plug-in failing on the file.
class RefusedPicture : public core::Error {
 public:
  RefusedPicture(std::string_view pluginName, const std::string& reason);
};

// The plug-in's DIB as a picture: the colour table of its first 40 + 4n bytes of `info` (n: the
// colours used, or 2, 16 or 256 for 1, 4 and 8 bits when that is 0) as its palette, and row size x
// |height| bytes of `bits` as its pixels, a negative height meaning rows from the top. `info` and
// `bits` are the whole blocks as the plug-in allocated them. An uncompressed DIB with a 40-byte
// header, 1, 4, 8, 16, 24 or 32 bits per pixel, a colour table of at most 2^bits (and 256) entries
// and non-zero dimensions within the BMP reader's limits is accepted, and so is a 16- or 32-bit
// one with bit fields whose three masks follow the header (the colour table, if any, after them);
// anything else, or blocks too short for what the header says, throws RefusedPicture naming
// `pluginName`.
core::Dib DecodePluginDib(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                          std::string_view pluginName);

}  // namespace plugins
