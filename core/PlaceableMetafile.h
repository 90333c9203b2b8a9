#pragma once
// The Aldus placeable header that Windows metafile files (".wmf") start with: the picture's
// bounding box in the metafile's own units. The standard metafile that follows carries no size of
// its own, so this box is what a player maps onto the rectangle it draws into.

#include <cstdint>
#include <optional>
#include <span>

namespace core {

inline constexpr size_t kPlaceableHeaderSize = 22;

struct PlaceableHeader {
  // The bounding box, in metafile units.
  int left = 0;
  int top = 0;
  int width = 0;
  int height = 0;
  int unitsPerInch = 0;
  friend bool operator==(const PlaceableHeader&, const PlaceableHeader&) = default;
};

// The header at the start of `file`; nothing when the file is too short, does not start with the
// placeable key, or has an empty or reversed bounding box or no units per inch. The checksum is
// not enforced: writers get it wrong, and it guards nothing that playing the records does not.
std::optional<PlaceableHeader> ReadPlaceableHeader(std::span<const uint8_t> file);

}  // namespace core
