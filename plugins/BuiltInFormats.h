#pragma once
// The picture formats the program reads itself: Windows bitmaps (".bmp", ".dib") and JPEG.

#include "core/PictureFormats.h"

namespace plugins {

inline constexpr const wchar_t* kBuiltInPatterns = L"*.bmp;*.dib;*.jpg;*.jpeg";

void RegisterBuiltInFormats(core::PictureFormats& formats);

}  // namespace plugins
