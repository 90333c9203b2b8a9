#pragma once
// The system clipboard as a picture source and target.

#include <windows.h>

#include <optional>

#include "core/Dib.h"
#include "win/Picture.h"

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

// Puts the picture on the clipboard in place of what it held, as a packed DIB (CF_DIB), with its
// palette as CF_PALETTE when it has one. A packed DIB, unlike a DIB section, reaches other
// processes intact. The copy is made before the clipboard is emptied: when there is no memory for
// it, core::Error is thrown and the clipboard keeps what the user put there.
void PutPictureOnClipboard(HWND owner, const core::Dib& picture);

// The clipboard's picture, read in the form its owner put it there (the system converts it to
// the other bitmap forms only on request, at the cost of more copies): a DIB as it is (any depth,
// bit fields included), a device-dependent bitmap at 24 bits per pixel, a metafile drawn into a
// 24-bit picture of its size. The pixels go straight into the returned picture. Nothing when the
// clipboard holds no picture.
std::optional<Picture> ReadClipboardPicture(HWND owner);

}  // namespace win
