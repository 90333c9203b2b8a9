#pragma once
// TImage: shows a picture at its own size, the control following the picture's size, or
// stretched to the control's size.

#include <windows.h>

#include "win/Picture.h"

namespace win::controls {

inline constexpr const wchar_t* kImageClass = L"TImage";

// The picture is owned by the caller and must outlive the control. Inside a scroll box the control
// becomes the box's content, whose size sets the scroll ranges.
HWND CreateImage(HWND parent, int id, const win::Picture* picture);
// Resizes the control to its picture and repaints it at once.
void UpdateImage(HWND image);

// A picture control that stretches its picture to the control's own size, whatever that is (a
// preview). Its size is set by its parent.
HWND CreateStretchedImage(HWND parent, int id, const win::Picture* picture);

}  // namespace win::controls
