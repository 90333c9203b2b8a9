#include "acquire/ScreenGrab.h"

#include <windows.h>

#include <cstring>

#include "core/Error.h"
#include "win/BitmapDc.h"

namespace acquire {
namespace {

// DwmGetWindowAttribute, looked up: the compositor's library is not on every system, and a
// program that links it would not start without it.
using DwmGetWindowAttributeFunction = HRESULT(WINAPI*)(HWND, DWORD, PVOID, DWORD);
constexpr DWORD kExtendedFrameBounds = 9;  // DWMWA_EXTENDED_FRAME_BOUNDS

bool CompositorFrame(HWND window, RECT& frame) {
  static const auto get = [] {
    HMODULE dwm = LoadLibraryExW(L"dwmapi.dll", nullptr, LOAD_LIBRARY_SEARCH_SYSTEM32);
    return dwm ? reinterpret_cast<DwmGetWindowAttributeFunction>(
                     reinterpret_cast<void*>(GetProcAddress(dwm, "DwmGetWindowAttribute")))
               : nullptr;
  }();
  return get && SUCCEEDED(get(window, kExtendedFrameBounds, &frame, sizeof frame)) &&
         frame.right > frame.left && frame.bottom > frame.top;
}

}  // namespace

PixelRect ToPixelRect(const RECT& rect) {
  return PixelRect{rect.left, rect.top, rect.right, rect.bottom};
}

PixelRect VirtualScreen() {
  const int left = GetSystemMetrics(SM_XVIRTUALSCREEN);
  const int top = GetSystemMetrics(SM_YVIRTUALSCREEN);
  return PixelRect{left, top, left + GetSystemMetrics(SM_CXVIRTUALSCREEN),
                   top + GetSystemMetrics(SM_CYVIRTUALSCREEN)};
}

PixelRect VisibleFrame(HWND window) {
  RECT frame{};
  if (!CompositorFrame(window, frame)) GetWindowRect(window, &frame);
  return Intersection(ToPixelRect(frame), VirtualScreen());
}

win::Picture GrabScreen(const PixelRect& area) {
  if (area.Empty()) throw core::Error("取込む範囲がありません。");
  win::Picture picture = win::Picture::Create(core::DibFormat{area.Width(), area.Height(), 24});
  {
    win::WindowDc screen(nullptr);
    win::BitmapDc target(picture.Bitmap());
    // CAPTUREBLT takes the layered windows (menus, tooltips, translucent windows) too.
    if (!BitBlt(target.get(), 0, 0, area.Width(), area.Height(), screen.get(), area.left, area.top,
                SRCCOPY | CAPTUREBLT)) {
      throw core::Error("画面を読み取れません。");
    }
  }
  GdiFlush();
  return picture;
}

win::Picture CutOut(const win::Picture& picture, const PixelRect& area) {
  const core::Dib& from = picture.Pixels();
  win::Picture part = win::Picture::Create(
      core::DibFormat{area.Width(), area.Height(), from.BitCount(), from.Palette()});
  const size_t pixelBytes = static_cast<size_t>(from.BitCount() / 8);
  const size_t rowBytes = static_cast<size_t>(area.Width()) * pixelBytes;
  for (int y = 0; y < area.Height(); ++y) {
    std::memcpy(part.Pixels().Row(y),
                from.Row(area.top + y) + static_cast<size_t>(area.left) * pixelBytes, rowBytes);
  }
  return part;
}

}  // namespace acquire
