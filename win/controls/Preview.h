#pragma once
// TPreview: shows a picture stretched to the control's own size, whatever its parent makes that.

#include <windows.h>

#include "win/Picture.h"

namespace win::controls {

inline constexpr const wchar_t* kPreviewClass = L"TPreview";

// The picture is owned by the caller and must outlive the control.
HWND CreatePreview(HWND parent, int id, const win::Picture* picture);

}  // namespace win::controls
