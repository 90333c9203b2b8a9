#pragma once
// Plays a metafile into a rectangle of a device context without letting it draw anywhere else: it
// plays into an off-screen bitmap holding a copy of the rectangle, which is then copied back.
// Whatever the metafile does to the clip region, the mapping or the saved states, it only reaches
// that bitmap. It may be played at a smaller size and stretched, when drawing it at full size
// would take too long.

#include <windows.h>

#include <cstdint>
#include <vector>

#include "core/PlaceableMetafile.h"

namespace win {

// `bounds` of `dc` (right and bottom exclusive) receives the metafile played at `size` pixels,
// which is the rectangle's own size or smaller.
void PlayPlaceableMetafile(HDC dc, const RECT& bounds, SIZE size, HMETAFILE metafile,
                           const core::PlaceableHeader& box);
void PlayEnhancedMetafile(HDC dc, const RECT& bounds, SIZE size, HENHMETAFILE metafile);

// The bytes of a metafile handle, as GDI holds them.
std::vector<uint8_t> MetafileBytes(HMETAFILE metafile);
std::vector<uint8_t> EnhancedMetafileBytes(HENHMETAFILE metafile);

}  // namespace win
