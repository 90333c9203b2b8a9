#pragma once
// Message handling outside the main loop.

namespace win {

// Dispatches every message waiting in the calling thread's queue, once, as the main loop would.
// A WM_QUIT found there is posted again, so the main loop still ends.
void ProcessPendingMessages();

// Paints what waits to be painted in the calling thread's windows, and nothing else: input, drops,
// commands and close requests stay queued for the main loop.
void DispatchPaintMessages();

}  // namespace win
