#include "win/controls/Preview.h"

#include "win/Handles.h"
#include "win/controls/ControlSupport.h"

namespace win::controls {
namespace {

struct PreviewState {
  const win::Picture* picture = nullptr;
};

LRESULT CALLBACK PreviewProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  PreviewState* state = TrackState<PreviewState>(window, message, lParam);
  if (!state) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: {
      PaintDc paint(window);
      if (state->picture && !state->picture->Empty()) {
        RECT area;
        GetClientRect(window, &area);
        UniqueMemoryDc memory(CreateCompatibleDC(paint.get()));
        Selection select(memory.get(), state->picture->Bitmap());
        SetStretchBltMode(paint.get(), COLORONCOLOR);
        StretchBlt(paint.get(), 0, 0, area.right, area.bottom, memory.get(), 0, 0,
                   state->picture->Width(), state->picture->Height(), SRCCOPY);
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    case WM_SIZE:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace

HWND CreatePreview(HWND parent, int id, const win::Picture* picture) {
  RegisterControlClass(GetModuleHandleW(nullptr), kPreviewClass, PreviewProc);
  const PreviewState initial{picture};
  return CreateControl(kPreviewClass, 0, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, id, &initial);
}

}  // namespace win::controls
