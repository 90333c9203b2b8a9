#pragma once
// The Susie import plug-in interface ("00IN") as this plug-in exports it, declared here from the
// published convention so that the plug-in depends on nothing of the program. 32-bit plug-ins
// (".spi") take 32-bit lengths and fill a packed 26-byte information block; 64-bit ones (".sph")
// take lengths and data as pointer-sized integers and fill a 32-byte block with two padding bytes
// before the text handle.

#include <windows.h>

#include <cstddef>

namespace pngplugin::susie {

#pragma pack(push, 1)
struct PictureInfo {
  LONG left;
  LONG top;
  LONG width;
  LONG height;
  WORD xDensity;
  WORD yDensity;
  SHORT colorDepth;
#ifdef _WIN64
  BYTE padding[2];
#endif
  HLOCAL hInfo;  // a text about the picture, or null; the caller frees it
};
#pragma pack(pop)

#ifdef _WIN64
static_assert(sizeof(PictureInfo) == 32 && offsetof(PictureInfo, hInfo) == 24);
using Length = LONG_PTR;
using SupportData = void*;
#else
static_assert(sizeof(PictureInfo) == 26 && offsetof(PictureInfo, hInfo) == 22);
using Length = LONG;
using SupportData = DWORD;
#endif

// Called with (done, total, the caller's data); a non-zero answer asks the plug-in to stop.
using ProgressCallback = int(WINAPI*)(int numerator, int denominator, Length data);

// Bits 0-2 of the flag say where the input is.
inline constexpr unsigned kInputMask = 7;
inline constexpr unsigned kInputIsFile = 0;    // the buffer is a file name, the length an offset
inline constexpr unsigned kInputIsMemory = 1;  // the buffer is the file's image in memory

// The published result codes.
enum Result : int {
  kSuccess = 0,
  kNotImplemented = -1,
  kStoppedByCallback = 1,
  kUnknownFormat = 2,
  kBrokenData = 3,
  kNoMemory = 4,
  kMemoryError = 5,
  kFileReadError = 6,
  kInternalError = 8,
};

}  // namespace pngplugin::susie
