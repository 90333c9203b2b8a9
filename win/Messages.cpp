#include "win/Messages.h"

#include <windows.h>

namespace win {

void ProcessPendingMessages() {
  MSG message;
  while (PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
    if (message.message == WM_QUIT) {
      PostQuitMessage(static_cast<int>(message.wParam));
      return;
    }
    TranslateMessage(&message);
    DispatchMessageW(&message);
  }
}

void DispatchPaintMessages() {
  MSG message;
  // A window that never validates its update region would be painted forever; a bound ends it.
  for (int i = 0; i < 256 && PeekMessageW(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE); ++i) {
    DispatchMessageW(&message);
  }
}

}  // namespace win
