#pragma once
// Message handling outside the main loop, limited to what cannot start another command: input,
// drops, commands and close requests always stay queued for the main loop.

namespace win {

// Paints what waits to be painted in the calling thread's windows, and nothing else.
void DispatchPaintMessages();

// Handles what showing or hiding the calling thread's windows leaves queued: their paints and
// their own show, size and position messages.
void DispatchWindowUpdates();

}  // namespace win
