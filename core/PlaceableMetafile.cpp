#include "core/PlaceableMetafile.h"

namespace core {
namespace {

constexpr uint32_t kPlaceableKey = 0x9AC6CDD7;

uint32_t U32(std::span<const uint8_t> b, size_t at) {
  return uint32_t{b[at]} | (uint32_t{b[at + 1]} << 8) | (uint32_t{b[at + 2]} << 16) |
         (uint32_t{b[at + 3]} << 24);
}

int S16(std::span<const uint8_t> b, size_t at) {
  return static_cast<int16_t>(static_cast<uint16_t>(b[at] | (b[at + 1] << 8)));
}

}  // namespace

std::optional<PlaceableHeader> ReadPlaceableHeader(std::span<const uint8_t> file) {
  if (file.size() < kPlaceableHeaderSize || U32(file, 0) != kPlaceableKey) return std::nullopt;
  const int left = S16(file, 6);
  const int top = S16(file, 8);
  const int right = S16(file, 10);
  const int bottom = S16(file, 12);
  const int inch = static_cast<uint16_t>(file[14] | (file[15] << 8));
  if (right <= left || bottom <= top || inch == 0) return std::nullopt;
  return PlaceableHeader{left, top, right - left, bottom - top, inch};
}

}  // namespace core
