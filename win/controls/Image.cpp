#include "win/controls/Image.h"

#include "win/Handles.h"
#include "win/controls/ControlSupport.h"
#include "win/controls/ScrollBox.h"

namespace win::controls {
namespace {

struct ImageState {
  const win::Picture* picture = nullptr;
  bool stretch = false;
};

void PaintStretched(HDC dc, HWND window, const win::Picture& picture) {
  RECT area;
  GetClientRect(window, &area);
  UniqueMemoryDc memory(CreateCompatibleDC(dc));
  Selection select(memory.get(), picture.Bitmap());
  SetStretchBltMode(dc, COLORONCOLOR);
  StretchBlt(dc, 0, 0, area.right, area.bottom, memory.get(), 0, 0, picture.Width(),
             picture.Height(), SRCCOPY);
}

LRESULT CALLBACK ImageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  ImageState* state = TrackState<ImageState>(window, message, lParam);
  if (!state) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT: {
      PaintDc paint(window);
      if (state->picture && !state->picture->Empty()) {
        PaletteSelection palette(paint.get(), state->picture->Palette(), FALSE);
        if (state->picture->Palette()) RealizePalette(paint.get());
        if (state->stretch) {
          PaintStretched(paint.get(), window, *state->picture);
        } else {
          state->picture->Draw(paint.get(), 0, 0);
        }
      }
      return 0;
    }
    case WM_ERASEBKGND:
      return 1;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

bool IsScrollBox(HWND window) {
  wchar_t name[32] = {};
  GetClassNameW(window, name, 32);
  return wcscmp(name, kScrollBoxClass) == 0;
}

}  // namespace

HWND CreateImage(HWND parent, int id, const win::Picture* picture) {
  RegisterControlClass(GetModuleHandleW(nullptr), kImageClass, ImageProc);
  const ImageState initial{picture, false};
  HWND image = CreateControl(kImageClass, 0, WS_CHILD | WS_VISIBLE | WS_CLIPSIBLINGS, 0, 0, 0, 0,
                             parent, id, &initial);
  if (image && IsScrollBox(parent)) SetScrollContent(parent, image);
  return image;
}

void UpdateImage(HWND image) {
  auto* state = StateOf<ImageState>(image);
  if (!state || !state->picture) return;
  SetWindowPos(image, nullptr, 0, 0, state->picture->Width(), state->picture->Height(),
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  if (IsScrollBox(GetParent(image))) UpdateScrollBox(GetParent(image));
  InvalidateRect(image, nullptr, FALSE);
  UpdateWindow(image);
}

HWND CreateStretchedImage(HWND parent, int id, const win::Picture* picture) {
  RegisterControlClass(GetModuleHandleW(nullptr), kImageClass, ImageProc);
  const ImageState initial{picture, true};
  return CreateControl(kImageClass, 0, WS_CHILD | WS_VISIBLE, 0, 0, 0, 0, parent, id, &initial);
}

}  // namespace win::controls
