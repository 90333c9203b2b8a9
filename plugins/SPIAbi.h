#pragma once
// The Susie plug-in interface as the DLLs export it: the entry points and the picture information
// block. 32-bit plug-ins (".spi") take stdcall arguments of 32 bits and fill a packed 26-byte
// block; 64-bit plug-ins (".sph") take lengths and data as pointer-sized integers and fill a
// 32-byte block with two padding bytes before the text handle. Text crosses this boundary in the
// system's ANSI code page.

#include <windows.h>

#include <cstddef>

namespace plugins::abi {

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
static_assert(sizeof(PictureInfo) == 32 && offsetof(PictureInfo, hInfo) == 24,
              "the 64-bit information block");
#else
static_assert(sizeof(PictureInfo) == 26 && offsetof(PictureInfo, hInfo) == 22,
              "the 32-bit information block");
#endif

// Returns 0 to let the plug-in go on, 1 to ask it to stop.
using ProgressCallback = int(WINAPI*)(int numerator, int denominator, LONG_PTR data);

using GetPluginInfoProc = int(WINAPI*)(int infoNo, LPSTR buffer, int bufferLength);
using IsSupportedProc = int(WINAPI*)(LPCSTR fileName, const void* data);
using GetPictureInfoProc = int(WINAPI*)(LPCSTR buffer, LONG_PTR length, unsigned flag,
                                        PictureInfo* info);
using GetPictureProc = int(WINAPI*)(LPCSTR buffer, LONG_PTR length, unsigned flag,
                                    HLOCAL* infoHandle, HLOCAL* bitsHandle,
                                    ProgressCallback progress, LONG_PTR data);

// The flag that says the buffer is the file's image in memory, not a file name.
inline constexpr unsigned kInputIsMemory = 1;

}  // namespace plugins::abi
