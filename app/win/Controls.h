#pragma once
// The main window's own control classes: a bevelled panel, a picture-only tool-bar button that
// takes no focus, a scrolling picture area and the picture control inside it. Each forwards what
// the user does to the top-level window as WM_COMMAND with its control ID, as standard controls do.

#include <windows.h>

#include "win/Picture.h"

namespace app::controls {

inline constexpr const wchar_t* kPanelClass = L"TPanel";
inline constexpr const wchar_t* kSpeedButtonClass = L"TSpeedButton";
inline constexpr const wchar_t* kScrollBoxClass = L"TScrollBox";
inline constexpr const wchar_t* kImageClass = L"TImage";

// Registers the classes once per module; later calls do nothing.
void RegisterClasses(HINSTANCE instance);

// Bevel flags for a panel: the DrawEdge edge to draw (0 = none).
HWND CreatePanel(HWND parent, int id, int x, int y, int width, int height, UINT edge);

// `glyphs` is a strip of 16 x 16 images, normal at 32 * index, disabled at 32 * index + 16, with
// magenta as the transparent colour. The strip is owned by the caller and must outlive the button.
HWND CreateSpeedButton(HWND parent, int id, int x, int y, int width, int height, HBITMAP glyphs,
                       int glyphIndex);

HWND CreateScrollBox(HWND parent, int id);
// Recomputes the scroll ranges after the picture inside changed its size.
void UpdateScrollBox(HWND scrollBox);
POINT ScrollBoxPosition(HWND scrollBox);

// A picture control that shows `picture` at its own size (the control follows the picture's size
// through UpdateImage). The picture is owned by the caller.
HWND CreateImage(HWND parent, int id, const win::Picture* picture);
void UpdateImage(HWND image);  // resize to the picture and repaint at once

}  // namespace app::controls
