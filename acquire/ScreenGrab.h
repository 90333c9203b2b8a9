#pragma once
// Reading the screen: the rectangle of all monitors, a window's visible frame, and a copy of the
// screen's pixels. Every rectangle is in physical screen pixels, as the program (aware of each
// monitor's resolution) sees the screen.

#include <windows.h>

#include "acquire/CaptureGeometry.h"
#include "win/Picture.h"

namespace acquire {

PixelRect ToPixelRect(const RECT& rect);

// Every monitor of the virtual screen.
PixelRect VirtualScreen();

// The frame of a top-level window as it shows on the screen: the bounds the desktop compositor
// draws, without the invisible resize border, where there is one; its window rectangle otherwise.
// Clipped to the virtual screen.
PixelRect VisibleFrame(HWND window);

// The screen's pixels in `area` as a 24-bit picture, layered windows included. Throws core::Error
// when the area is empty or the memory cannot be had.
win::Picture GrabScreen(const PixelRect& area);

// The part `area` of a picture (in its pixels) as a picture of its own.
win::Picture CutOut(const win::Picture& picture, const PixelRect& area);

}  // namespace acquire
