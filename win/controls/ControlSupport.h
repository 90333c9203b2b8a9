#pragma once
// What the generic controls share: their per-window state, attached at creation and deleted with
// the window; registering a class once per module; forwarding of child notifications to the
// top-level window; and press-and-release click tracking.

#include <windows.h>

#include <new>

namespace win::controls {

enum class MouseButton { Left, Right, Middle };

// The button of a WM_xBUTTONDOWN or WM_xBUTTONUP message.
MouseButton ButtonOfMessage(UINT message);

// Registers a window class once per module; later calls do nothing.
void RegisterControlClass(HINSTANCE instance, const wchar_t* name, WNDPROC proc, UINT style = 0);

// Creates a child control of a class of ours, passing `initial` to its state.
HWND CreateControl(const wchar_t* className, DWORD exStyle, DWORD style, int x, int y, int width,
                   int height, HWND parent, int id, const void* initial);

template <typename State>
State* StateOf(HWND window) {
  return reinterpret_cast<State*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

// Creates the window's state as a copy of the creation parameter at WM_NCCREATE and deletes it at
// WM_NCDESTROY; returns the current state for every other message (null for WM_NCDESTROY).
template <typename State>
State* TrackState(HWND window, UINT message, LPARAM lParam) noexcept {
  if (message == WM_NCCREATE) {
    auto* create = reinterpret_cast<CREATESTRUCTW*>(lParam);
    auto* state = new (std::nothrow) State(*static_cast<const State*>(create->lpCreateParams));
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(state));
    return state;
  }
  State* state = StateOf<State>(window);
  if (message == WM_NCDESTROY) {
    delete state;
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    return nullptr;
  }
  return state;
}

// Sends WM_COMMAND (BN_CLICKED) with the control's ID to the top-level window.
void SendCommandToTop(HWND control);

// Notifications that standard child controls send to their parent go on to the top-level window,
// so controls inside panels and pages reach the form like those placed on it directly. Returns
// true (with the top-level window's answer) when the message was such a notification.
bool ForwardToTop(HWND window, UINT message, WPARAM wParam, LPARAM lParam, LRESULT& result);

// Press and release inside the control, as a button click.
struct ClickTracker {
  bool pressed = false;

  void Down(HWND window);
  // True when this release completes a click that started inside the control.
  bool Up(HWND window, LPARAM lParam);
};

}  // namespace win::controls
