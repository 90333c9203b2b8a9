#pragma once
// TSpeedButton: a picture-only push button that never takes the keyboard focus; a click on it
// activates its window like any click does.
// A click reaches the top-level window as WM_COMMAND with the button's ID.

#include <windows.h>

namespace win::controls {

inline constexpr const wchar_t* kSpeedButtonClass = L"TSpeedButton";

// `glyphs` is a strip of square images as high as the strip (n x n), normal at 2n * index,
// disabled at 2n * index + n, with magenta as the transparent colour. The strip is owned by the
// caller and must outlive the button. The glyph is drawn in the middle of the button.
HWND CreateSpeedButton(HWND parent, int id, int x, int y, int width, int height, HBITMAP glyphs,
                       int glyphIndex);
// Gives the button another strip of the same glyphs (for another screen resolution).
void SetSpeedButtonGlyphs(HWND button, HBITMAP glyphs);

// The program's strip of glyphs for a screen of `dpi` dots per inch: the bitmap resource `name`
// holds them at 16 x 16 pixels, `name` followed by 24 and 32 larger; the largest that is no larger
// than 16 pixels scaled to `dpi` is loaded.
HBITMAP LoadGlyphStrip(const wchar_t* name, int dpi);

}  // namespace win::controls
