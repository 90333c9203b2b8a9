#include "win/Messages.h"

#include <windows.h>

namespace win {
namespace {

// Dispatches the queued messages from `first` to `last`. A window that never validates its update
// region would be painted forever; a bound ends it. Peeking also delivers messages other threads
// send, as any wait does.
void DispatchQueued(UINT first, UINT last) {
  MSG message;
  for (int i = 0; i < 256 && PeekMessageW(&message, nullptr, first, last, PM_REMOVE); ++i) {
    DispatchMessageW(&message);
  }
}

}  // namespace

void DispatchPaintMessages() { DispatchQueued(WM_PAINT, WM_PAINT); }

void DispatchWindowUpdates() {
  DispatchQueued(WM_SHOWWINDOW, WM_SHOWWINDOW);
  DispatchQueued(WM_WINDOWPOSCHANGING, WM_WINDOWPOSCHANGED);
  DispatchQueued(WM_NCPAINT, WM_NCPAINT);
  DispatchQueued(WM_SYNCPAINT, WM_SYNCPAINT);
  DispatchPaintMessages();
}

}  // namespace win
