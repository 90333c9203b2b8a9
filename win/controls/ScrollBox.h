#pragma once
// TScrollBox: a sunken area that scrolls the picture control inside it (and whatever lies on the
// picture) with its scroll bars, following the thumb while it is dragged.

#include <windows.h>

namespace win::controls {

inline constexpr const wchar_t* kScrollBoxClass = L"TScrollBox";
// The pixels one click on a scroll arrow moves the content; the crop's scrolling steps by it too.
inline constexpr int kScrollBoxLine = 8;

HWND CreateScrollBox(HWND parent, int id);
// The child whose size sets the scroll ranges (the picture control).
void SetScrollContent(HWND scrollBox, HWND content);
// Recomputes the scroll ranges after the content changed its size.
void UpdateScrollBox(HWND scrollBox);
// How far the content is scrolled: the picture pixel at the area's client (0, 0).
POINT ScrollBoxPosition(HWND scrollBox);
// Scrolls the content by whole pixels, as far as the scroll ranges allow.
void ScrollBoxScrollBy(HWND scrollBox, int dx, int dy);

}  // namespace win::controls
