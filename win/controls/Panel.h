#pragma once
// TPanel: a flat panel in the button face colour with an optional bevel. A click on its bare
// surface reaches the top-level window as WM_COMMAND with the panel's ID.

#include <windows.h>

namespace win::controls {

inline constexpr const wchar_t* kPanelClass = L"TPanel";

// `edge` is the DrawEdge edge of the bevel, 0 for none.
HWND CreatePanel(HWND parent, int id, int x, int y, int width, int height, UINT edge);

}  // namespace win::controls
