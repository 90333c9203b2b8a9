#pragma once
// TSpeedButton: a picture-only push button that never takes the keyboard focus; a click on it
// activates its window like any click does.
// A click reaches the top-level window as WM_COMMAND with the button's ID.

#include <windows.h>

namespace win::controls {

inline constexpr const wchar_t* kSpeedButtonClass = L"TSpeedButton";

// `glyphs` is a strip of 16 x 16 images, normal at 32 * index, disabled at 32 * index + 16, with
// magenta as the transparent colour. The strip is owned by the caller and must outlive the button.
HWND CreateSpeedButton(HWND parent, int id, int x, int y, int width, int height, HBITMAP glyphs,
                       int glyphIndex);

}  // namespace win::controls
