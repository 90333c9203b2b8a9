#pragma once
// The system clipboard as a picture source and target.

#include <windows.h>

#include <optional>

#include "core/Dib.h"

namespace win {

// OpenClipboard with a short retry, because another program may hold the clipboard for a moment;
// throws core::Error when it stays busy. Closes the clipboard when it goes.
class ClipboardSession {
 public:
  explicit ClipboardSession(HWND owner);
  ~ClipboardSession();
  ClipboardSession(const ClipboardSession&) = delete;
  ClipboardSession& operator=(const ClipboardSession&) = delete;
};

// True when the clipboard offers a picture: a bitmap (device-dependent or independent) or a
// metafile.
bool ClipboardHasPicture();

// Empties the clipboard and puts the picture on it as a packed DIB (CF_DIB), with its palette as
// CF_PALETTE when it has one. A packed DIB, unlike a DIB section, reaches other processes intact.
void PutPictureOnClipboard(HWND owner, const core::Dib& picture);

// The clipboard's picture: a DIB as it is (any depth, bit fields included), a device-dependent
// bitmap at its own depth, or a metafile drawn into a 24-bit bitmap of its size. Nothing when the
// clipboard holds no picture.
std::optional<core::Dib> ReadClipboardPicture(HWND owner);

}  // namespace win
