#pragma once
// Message handling outside the main loop.

namespace win {

// Dispatches every message waiting in the calling thread's queue, once, as the main loop would.
// A WM_QUIT found there is posted again, so the main loop still ends.
void ProcessPendingMessages();

}  // namespace win
