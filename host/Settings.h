#pragma once
// The program's settings as plain values: what the settings file holds, read at start-up and
// written back when the main window closes (reading and writing the file is the main window's
// business). Each member names its section and key.

#include <array>
#include <cstdint>
#include <string>

namespace host {

// The ranges of the mosaic page's block size and the shape page's pen width and directions. The
// settings file's values are kept within them, as the drawing relies on them.
inline constexpr int32_t kMinMosaicBlock = 8;
inline constexpr int32_t kMaxMosaicBlock = 64;
inline constexpr int32_t kMinPenWidth = 1;
inline constexpr int32_t kMaxPenWidth = 16;
inline constexpr int32_t kDirections = 4;

// The delays before a capture grabs the screen that the settings offer, in seconds.
inline constexpr int32_t kCaptureDelays[] = {0, 3, 5, 10};

struct Settings {
  int32_t posTop = 80;                    // Pos/Top
  int32_t posLeft = 80;                   // Pos/Left
  int32_t windowMode = 0;                 // Mode/WindowMode: non-zero hides the menu bar
  int32_t resizeMode = 0;                 // Resize/Mode: 0 width, non-zero height
  int32_t resizeDot = 640;                // Resize/Dot
  int32_t comp = 60;                      // Mode/Comp: JPEG quality
  std::wstring susiePath;                 // Susie/Path: plug-in folder ending in a backslash
  std::wstring editPath = L"pbrush.exe";  // Edit/EditPath: the external editor
  int32_t printNum = 0;                   // Print/Num: printer index, -1 = none usable
  int32_t printManual = 0;                // Print/Manual
  int32_t printMulti = 100;               // Print/Multi: percent
  int32_t printLeft = 0;                  // Print/Left
  int32_t printTop = 0;                   // Print/Top
  std::array<std::wstring, 8> iconFiles;  // ICON/File0..File7
  int32_t undoLimit = 512;     // Undo/Limit: megabytes the undo history may hold, 0 = off
  int32_t mosaicMode = 0;      // Mosaic/Mode: 0 "ﾓｻﾞｲｸ", 1 "塗りつぶし"
  int32_t mosaicBlock = 16;    // Mosaic/Block: the block size in pixels
  int32_t mosaicColor = 0;     // Mosaic/Color: "塗りつぶし"'s colour as 0x00BBGGRR
  int32_t shapeWidth = 3;      // Shape/Width: the arrow's and the line's width in pixels
  int32_t shapeDirection = 0;  // Shape/Direction: the corner the arrow points to
  // Capture/Delay: seconds a capture waits before it grabs the screen, one of kCaptureDelays.
  int32_t captureDelay = 0;
  // Capture/Hotkey: the region capture's system-wide hotkey as a hotkey control gives it (virtual
  // key, modifier flags << 8); 0 = none.
  int32_t captureHotkey = 0;
};

}  // namespace host
