#pragma once
// The Susie plug-in interface, declared once for every side of it: the program that hosts plug-ins,
// its own PNG plug-in and the plug-ins its tests build. It depends on nothing but <windows.h>.
//
// 32-bit plug-ins (".spi") export stdcall functions with 32-bit lengths and fill a packed 26-byte
// information block. 64-bit plug-ins (".sph") take lengths and data as pointer-sized integers and
// fill a block packed to 1 byte with two padding bytes after the colour depth, so its handle sits
// at offset 24 and the block is 32 bytes. Text crosses the interface in the system's ANSI code
// page. The buffers are writable by the interface's definition, and some plug-ins do write there.

#include <windows.h>

#include <cstddef>

namespace susie {

#pragma pack(push, 1)
struct PictureInfo {
  LONG left;  // position of the picture
  LONG top;
  LONG width;  // in pixels
  LONG height;
  WORD xDensity;
  WORD yDensity;
  SHORT colorDepth;  // bits per pixel
#ifdef _WIN64
  BYTE padding[2];
#endif
  HLOCAL hInfo;  // a text about the picture, or null; the caller frees it
};
#pragma pack(pop)

static_assert(offsetof(PictureInfo, left) == 0 && offsetof(PictureInfo, top) == 4 &&
              offsetof(PictureInfo, width) == 8 && offsetof(PictureInfo, height) == 12 &&
              offsetof(PictureInfo, xDensity) == 16 && offsetof(PictureInfo, yDensity) == 18 &&
              offsetof(PictureInfo, colorDepth) == 20);
#ifdef _WIN64
static_assert(sizeof(PictureInfo) == 32 && offsetof(PictureInfo, hInfo) == 24,
              "the 64-bit information block");
#else
static_assert(sizeof(PictureInfo) == 26 && offsetof(PictureInfo, hInfo) == 22,
              "the 32-bit information block");
#endif

// Called by GetPicture with (done, total, the caller's data): 0 lets the plug-in go on, anything
// else asks it to stop.
using ProgressCallback = int(WINAPI*)(int numerator, int denominator, LONG_PTR data);

// Bits 0-2 of the flag of the picture and archive functions say where the input is.
inline constexpr unsigned kInputMask = 7;
inline constexpr unsigned kInputIsFile = 0;    // the buffer is a file name, the length an offset
inline constexpr unsigned kInputIsMemory = 1;  // the buffer is the file's image in memory

// The published result codes of the picture and archive functions.
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

// The exports of a plug-in, by the names hosts look them up with. A plug-in defines those of its
// kind; a host binds them with GetProcAddress as the Proc types below.
extern "C" {
// Item `infoNo` of the plug-in's self-description into `buffer`; its length, or 0 when there is
// no such item.
int WINAPI GetPluginInfo(int infoNo, LPSTR buffer, int bufferLength);
// Non-zero when the plug-in reads the file: `data` points to its first 2048 bytes (or is an open
// file handle, which this program never passes).
int WINAPI IsSupported(LPSTR fileName, void* data);
int WINAPI GetPictureInfo(LPSTR buffer, LONG_PTR length, unsigned flag, PictureInfo* info);
// On success the two blocks (a BITMAPINFO and the pixel rows) become the caller's to free.
int WINAPI GetPicture(LPSTR buffer, LONG_PTR length, unsigned flag, HLOCAL* infoHandle,
                      HLOCAL* bitsHandle, ProgressCallback progress, LONG_PTR data);
int WINAPI GetPreview(LPSTR buffer, LONG_PTR length, unsigned flag, HLOCAL* infoHandle,
                      HLOCAL* bitsHandle, ProgressCallback progress, LONG_PTR data);
int WINAPI ConfigurationDlg(HWND parent, int function);
// The archive functions ("00AM"); `fileInfo` is the archive's entry record, which this program
// never reads.
int WINAPI GetArchiveInfo(LPSTR buffer, LONG_PTR length, unsigned flag, HLOCAL* infoHandle);
int WINAPI GetFileInfo(LPSTR buffer, LONG_PTR length, LPSTR fileName, unsigned flag,
                       void* fileInfo);
int WINAPI GetFile(LPSTR source, LONG_PTR length, LPSTR destination, unsigned flag,
                   ProgressCallback progress, LONG_PTR data);
}

using GetPluginInfoProc = decltype(&GetPluginInfo);
using IsSupportedProc = decltype(&IsSupported);
using GetPictureInfoProc = decltype(&GetPictureInfo);
using GetPictureProc = decltype(&GetPicture);

}  // namespace susie
