#include "win/Dpi.h"

namespace win {
namespace {

// The per-monitor functions are looked up, since older systems do not have them.
template <typename Function>
Function UserFunction(const char* name) {
  HMODULE user = GetModuleHandleW(L"user32.dll");
  return user ? reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(user, name)))
              : nullptr;
}

using GetDpiForWindowFunction = UINT(WINAPI*)(HWND);
using GetSystemMetricsForDpiFunction = int(WINAPI*)(int, UINT);

}  // namespace

int SystemDpi() {
  HDC screen = GetDC(nullptr);
  const int dpi = screen ? GetDeviceCaps(screen, LOGPIXELSY) : core::kDesignDpi;
  if (screen) ReleaseDC(nullptr, screen);
  return dpi > 0 ? dpi : core::kDesignDpi;
}

int WindowDpi(HWND window) {
  static const auto getDpiForWindow = UserFunction<GetDpiForWindowFunction>("GetDpiForWindow");
  if (getDpiForWindow && window) {
    if (const UINT dpi = getDpiForWindow(window)) return static_cast<int>(dpi);
  }
  return SystemDpi();
}

int IconSizeForDpi(int dpi) {
  static const auto forDpi = UserFunction<GetSystemMetricsForDpiFunction>("GetSystemMetricsForDpi");
  if (forDpi) {
    if (const int size = forDpi(SM_CXICON, static_cast<UINT>(dpi)); size > 0) return size;
  }
  // Without it the program is aware of the system's resolution alone.
  if (dpi == SystemDpi()) return GetSystemMetrics(SM_CXICON);
  return core::ScaleToDpi(32, dpi);
}

}  // namespace win
