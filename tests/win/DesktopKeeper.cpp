// Runs for the whole test run and keeps Wine's desktop process (explorer.exe) alive.
//
// wineserver closes the desktop one second after its last program leaves, so without a keeper each
// test program starts a new explorer.exe. That explorer inherits the test's output pipe, and CTest
// waits for the pipe to close: every test would take a second longer. Worse, a starting explorer
// takes over the clipboard from X and empties it, which races with a test that has just put data
// on it.
//
// scripts/test starts this program with its output in a file, waits for the line "ready" (the
// desktop and its clipboard manager exist) and ends it with `wineserver -k`.

#include <windows.h>

#include <cstdio>

int wmain() {
  // The first call that needs the desktop window connects this process to the desktop.
  if (GetDesktopWindow() == nullptr) {
    std::puts("no desktop");
    return 1;
  }
  // The X11 driver's clipboard thread runs in the desktop process and owns this window.
  bool ready = false;
  for (int i = 0; i < 200 && !ready; ++i) {
    ready = FindWindowW(L"__wine_clipboard_manager", nullptr) != nullptr;
    if (!ready) Sleep(50);
  }
  std::puts(ready ? "ready" : "no clipboard manager");
  std::fflush(stdout);
  Sleep(INFINITE);
  return 0;
}
