#pragma once
// Window classes registered once, and the object a window procedure serves: passed as the creation
// parameter, attached to the window at WM_NCCREATE and detached at WM_NCDESTROY, so no message
// after that reaches a dead object.

#include <windows.h>

namespace win {

// Call first in a window procedure. Returns the attached object, or null before WM_NCCREATE and
// from WM_NCDESTROY on (the object is still returned for WM_NCDESTROY itself).
template <typename T>
T* WindowObject(HWND window, UINT message, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* object = static_cast<T*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(object));
    return object;
  }
  auto* object = reinterpret_cast<T*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (message == WM_NCDESTROY) SetWindowLongPtrW(window, GWLP_USERDATA, 0);
  return object;
}

// Registers the window class unless the module already has a class of that name.
inline void RegisterClassOnce(const WNDCLASSEXW& windowClass) {
  WNDCLASSEXW existing{sizeof existing};
  if (!GetClassInfoExW(windowClass.hInstance, windowClass.lpszClassName, &existing)) {
    RegisterClassExW(&windowClass);
  }
}

}  // namespace win
