#pragma once
// Real mouse input for the GUI tests: the pointer moved and the buttons pressed through SendInput,
// so the system hit-tests, captures and routes them as it does a user's mouse. Each step dispatches
// the calling thread's messages before it returns.

#include <windows.h>

#include <functional>
#include <initializer_list>

#include "WineTestSupport.h"

namespace winetest {

inline void PointerTo(HWND window, POINT client) {
  ClientToScreen(window, &client);
  MoveMouseTo(client);
  PumpMessages(15);
}

inline void Button(DWORD flag) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dwFlags = flag;
  SendInput(1, &input, sizeof input);
  PumpMessages(15);
}

inline void LeftDown() { Button(MOUSEEVENTF_LEFTDOWN); }
inline void LeftUp() { Button(MOUSEEVENTF_LEFTUP); }
inline void RightDown() { Button(MOUSEEVENTF_RIGHTDOWN); }
inline void RightUp() { Button(MOUSEEVENTF_RIGHTUP); }

// A left-button drag from one client point of `window` over the others to the last.
inline void LeftDrag(HWND window, std::initializer_list<POINT> path) {
  bool first = true;
  for (POINT at : path) {
    PointerTo(window, at);
    if (first) LeftDown();
    first = false;
  }
  LeftUp();
}

// Whether a context menu has opened since the last check, closing any that is open.
inline bool& ContextMenuOpened() {
  static bool opened;
  return opened;
}

inline void CALLBACK CloseContextMenu(HWND, UINT, UINT_PTR, DWORD) {
  if (HWND menu = FindWindowW(L"#32768", nullptr); menu && IsWindowVisible(menu)) {
    ContextMenuOpened() = true;
    EndMenu();
  }
}

// Runs `action` and tells whether it opened a context menu; a menu that opens is closed again.
inline bool OpensAMenu(const std::function<void()>& action) {
  ContextMenuOpened() = false;
  const UINT_PTR timer = SetTimer(nullptr, 0, 30, CloseContextMenu);
  action();
  PumpMessages(150);
  KillTimer(nullptr, timer);
  return ContextMenuOpened();
}

}  // namespace winetest
