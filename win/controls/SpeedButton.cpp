#include "win/controls/SpeedButton.h"

#include <windowsx.h>

#include <string>

#include "core/DpiScale.h"
#include "win/Handles.h"
#include "win/controls/ControlSupport.h"

namespace win::controls {
namespace {

constexpr int kGlyphSize = 16;
// The sizes the glyph strips are drawn at besides 16 x 16, largest first.
constexpr int kLargerGlyphSizes[] = {32, 24};
constexpr COLORREF kGlyphTransparent = RGB(255, 0, 255);

struct SpeedButtonState {
  HBITMAP glyphs = nullptr;
  int glyphIndex = 0;
  ClickTracker click;
  bool showPressed = false;
};

void PaintSpeedButton(HWND window, const SpeedButtonState& state) {
  PaintDc paint(window);
  RECT area;
  GetClientRect(window, &area);
  DrawFrameControl(paint.get(), &area, DFC_BUTTON,
                   DFCS_BUTTONPUSH | (state.showPressed ? DFCS_PUSHED : 0));
  if (!state.glyphs) return;
  BITMAP strip{};
  GetObjectW(state.glyphs, sizeof strip, &strip);
  const int size = strip.bmHeight;
  const bool enabled = IsWindowEnabled(window);
  const int source = state.glyphIndex * 2 * size + (enabled ? 0 : size);
  const int shift = state.showPressed ? 1 : 0;
  const int x = (area.right - size) / 2 + shift;
  const int y = (area.bottom - size) / 2 + shift;
  UniqueMemoryDc memory(CreateCompatibleDC(paint.get()));
  Selection select(memory.get(), state.glyphs);
  TransparentBlt(paint.get(), x, y, size, size, memory.get(), source, 0, size, size,
                 kGlyphTransparent);
}

void ShowPressed(HWND window, SpeedButtonState& state, bool pressed) {
  if (state.showPressed == pressed) return;
  state.showPressed = pressed;
  InvalidateRect(window, nullptr, FALSE);
}

LRESULT CALLBACK SpeedButtonProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) noexcept {
  SpeedButtonState* state = TrackState<SpeedButtonState>(window, message, lParam);
  if (!state) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_PAINT:
      PaintSpeedButton(window, *state);
      return 0;
    case WM_ERASEBKGND:
      return 1;
    case WM_ENABLE:
      InvalidateRect(window, nullptr, FALSE);
      return 0;
    case WM_LBUTTONDOWN:
    case WM_LBUTTONDBLCLK:
      state->click.Down(window);
      ShowPressed(window, *state, true);
      return 0;
    case WM_MOUSEMOVE:
      if (state->click.pressed) {
        RECT area;
        GetClientRect(window, &area);
        ShowPressed(window, *state,
                    PtInRect(&area, POINT{GET_X_LPARAM(lParam), GET_Y_LPARAM(lParam)}) != FALSE);
      }
      return 0;
    case WM_LBUTTONUP: {
      const bool clicked = state->click.Up(window, lParam);
      ShowPressed(window, *state, false);
      if (clicked) SendCommandToTop(window);
      return 0;
    }
    case WM_CAPTURECHANGED:
      state->click.pressed = false;
      ShowPressed(window, *state, false);
      break;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace

HWND CreateSpeedButton(HWND parent, int id, int x, int y, int width, int height, HBITMAP glyphs,
                       int glyphIndex) {
  RegisterControlClass(GetModuleHandleW(nullptr), kSpeedButtonClass, SpeedButtonProc, CS_DBLCLKS);
  const SpeedButtonState initial{glyphs, glyphIndex, {}, false};
  return CreateControl(kSpeedButtonClass, 0, WS_CHILD | WS_VISIBLE, x, y, width, height, parent, id,
                       &initial);
}

void SetSpeedButtonGlyphs(HWND button, HBITMAP glyphs) {
  if (auto* state = StateOf<SpeedButtonState>(button)) {
    state->glyphs = glyphs;
    InvalidateRect(button, nullptr, FALSE);
  }
}

HBITMAP LoadGlyphStrip(const wchar_t* name, int dpi) {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  const int wanted = core::ScaleToDpi(kGlyphSize, dpi);
  for (int size : kLargerGlyphSizes) {
    if (size > wanted) continue;
    const std::wstring sized = name + std::to_wstring(size);
    if (auto strip =
            static_cast<HBITMAP>(LoadImageW(instance, sized.c_str(), IMAGE_BITMAP, 0, 0, 0))) {
      return strip;
    }
  }
  return static_cast<HBITMAP>(LoadImageW(instance, name, IMAGE_BITMAP, 0, 0, 0));
}

}  // namespace win::controls
