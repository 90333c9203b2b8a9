#pragma once
// Helpers for the JPEG tests: test files, a PPM reader and an encoder made of raw libjpeg calls, so
// the tests can build inputs that do not pass through our own writer.

#include <cstdint>
#include <string>
#include <vector>

#include "core/Dib.h"

namespace jpegtest {

std::string TestImage(const std::string& name);  // path inside libjpeg-turbo's testimages/
std::vector<uint8_t> ReadBytes(const std::string& path);
core::Dib ReadPpm(const std::string& path);  // binary P6 with maxval 255, into a 24-bpp Dib

struct RawImage {
  int width = 0;
  int height = 0;
  int components = 0;            // 1 (grey), 3 (RGB) or 4 (CMYK)
  std::vector<uint8_t> samples;  // top-down rows, no padding
};
// Encodes with raw libjpeg at quality 90; `jpegSpace` is the colour space stored in the file
// (JCS_GRAYSCALE, JCS_YCbCr, JCS_CMYK, JCS_YCCK) and `progressive` selects the default scan script.
std::vector<uint8_t> EncodeWithLibjpeg(const RawImage& image, int jpegSpace, bool progressive);

// Offset of the first marker 0xFF `code` at or after `from`, or npos.
size_t FindMarker(const std::vector<uint8_t>& jpeg, uint8_t code, size_t from = 0);

}  // namespace jpegtest
