#pragma once
// Icons of the icon palette: the built-in ones from the program's resources, and the user's icon
// files (".ico"), both at the standard icon size of the screen (32 x 32 at 96 DPI, 48 x 48 at 144).

#include <string>

#include "win/Handles.h"

namespace tags {

// The built-in icon resource "ICON<number>" (1..48); empty when the system makes no icon of it,
// as LoadIcon gives none, so its slot shows blank and the program still starts. (32-bit programs in
// Wine 8's WoW64 mode get no icon at all, not even IDI_APPLICATION.)
win::UniqueIcon LoadPaletteIcon(int number, int size);

// The icon of an icon file at `size` x `size` (0: the system's standard size), scaled when it has
// no image of that size; empty when the file is missing or holds no icon the system can read.
win::UniqueIcon LoadIconFile(const std::wstring& path, int size = 0);

// The text that reports an icon file that cannot be read.
std::string IconFileError(const std::wstring& path);

}  // namespace tags
