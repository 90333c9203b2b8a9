#pragma once
// The tooltips that show a window's control hints. Every window of the program that shows hints
// makes its tooltip window here, so they all show a hint as it is written: an "&" in a hint is a
// character, not the mark of an underlined letter.

#include <windows.h>

namespace win {

// A tooltip window owned by `owner`, destroyed with it; null when it cannot be made, and the
// window then shows no hints (the functions below do nothing with a null tooltip window).
HWND CreateToolTips(HWND owner);

// Shows `hint` over `control`, a child window at any depth inside `owner`. The tooltip keeps its
// own copy of the text.
void AddToolTip(HWND toolTips, HWND owner, HWND control, const wchar_t* hint);

// Shows `hint` over `area` of `window`'s client area, a tool known by `id` within that window.
void AddAreaToolTip(HWND toolTips, HWND window, UINT_PTR id, const RECT& area, const wchar_t* hint);
// Moves such an area, as when its window is laid out anew.
void MoveAreaToolTip(HWND toolTips, HWND window, UINT_PTR id, const RECT& area);

}  // namespace win
