#pragma once
// Reading and writing JPEG files through the libjpeg API.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "core/Dib.h"

namespace core {

// Decodes an 8-bit JPEG (baseline, extended, progressive or arithmetic coded) at full size into a
// 24-bpp Dib. Grey pictures come out as grey RGB. CMYK and YCCK pictures are converted to RGB,
// reading the channels as Adobe writes them (inverted: 255 means no ink). The header is validated
// before anything is allocated: dimensions beyond kMaxDimension or kMaxPixelBytes, other sample
// precisions (12-bit), unknown colour spaces and files with an absurd number of scans are refused.
//
// Damaged data that libjpeg can still decode is accepted, as most viewers do: a truncated file
// yields the full picture with the missing part filled grey. In that case, when `warning` is not
// null, it receives a short text saying so (it is cleared when the data was clean).
//
// Throws core::Error when the data cannot be decoded; nothing else is changed then.
Dib DecodeJpeg(std::span<const uint8_t> data, std::string* warning = nullptr);

// Encodes a 24-bpp Dib as a baseline JFIF file with libjpeg's default settings and the given
// quality (1..100; values outside are clamped by libjpeg). Throws core::Error when `src24` is not
// a 24-bpp picture or libjpeg fails.
std::vector<uint8_t> EncodeJpeg(const Dib& src24, int quality);

// The quality for a stored compression setting: the encoder takes the setting as one byte
// (comp modulo 256), clamped to 1..100. 0 -> 1, 60 -> 60, 150 -> 100, 300 -> 44, -1 -> 100.
int JpegQualityFromSetting(int32_t comp);

}  // namespace core
