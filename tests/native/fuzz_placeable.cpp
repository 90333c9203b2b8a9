// Fuzz entry point for the placeable header of Windows metafile files. What the reader accepts
// must be a usable bounding box: positive width and height within 16-bit coordinates, and a
// non-zero number of units per inch.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/PlaceableMetafile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const auto header = core::ReadPlaceableHeader({data, size});
  if (!header) return 0;
  if (header->width <= 0 || header->height <= 0 || header->unitsPerInch <= 0 ||
      header->left < INT16_MIN || header->top < INT16_MIN ||
      header->left + header->width > INT16_MAX || header->top + header->height > INT16_MAX) {
    std::abort();
  }
  return 0;
}
