#pragma once
// Second processes that change or read the clipboard, as other programs (and PrintScreen) do, and
// a clipboard viewer in its own process for chain tests.

#include <windows.h>

#include <string>
#include <vector>

#include "WineTestSupport.h"
#include "core/Dib.h"

namespace winetest {

// Child modes registered by ClipboardChildren.cpp:
//   put-text TEXT           CF_UNICODETEXT
//   put-screen-bitmap W H   a device-dependent bitmap as CF_BITMAP, as PrintScreen leaves it,
//                           filled with PatternDib(W, H)
//   put-dib-file FILE       the packed DIB in FILE as CF_DIB, as a program that copies a picture
//   put-metafile W H        only an enhanced metafile: a red rectangle on W x H
//   put-metafilepict W H    only a Windows metafile (CF_METAFILEPICT): a red W x H rectangle
//   put-metafile-bounds L T R B  an enhanced metafile whose header claims these bounds
//   dump-clipboard-dib FILE the clipboard's CF_DIB bytes into FILE
//   viewer NAME             joins the viewer chain; see ViewerProcess
//   hold-clipboard NAME     keeps the clipboard open; see ClipboardHolder

// The clipboard's CF_DIB as another process reads it, through the dump-clipboard-dib child and the
// file `dumpFile`.
core::Dib ClipboardDibOfAnotherProcess(const std::wstring& dumpFile);

// A clipboard viewer in a second process. It joins the chain when started, counts the
// WM_DRAWCLIPBOARD messages it receives and writes the count to a file after each, and leaves the
// chain (ChangeClipboardChain with its own successor) when asked.
class ViewerProcess {
 public:
  explicit ViewerProcess(const std::wstring& folder);
  ~ViewerProcess();
  ViewerProcess(const ViewerProcess&) = delete;
  ViewerProcess& operator=(const ViewerProcess&) = delete;

  HWND Window() const { return window_; }
  int DrawClipboardCount() const;  // -1 while the file is not written yet
  void Leave();                    // leaves the chain and waits until it has

 private:
  std::wstring name_;
  std::wstring countFile_;
  UniqueHandle process_;
  UniqueHandle leaveEvent_;
  UniqueHandle leftEvent_;
  HWND window_ = nullptr;
};

// Another program that keeps the clipboard open, so that nobody else can open it, from its
// construction (which returns once the clipboard is held) until its destruction.
class ClipboardHolder {
 public:
  ClipboardHolder();
  ~ClipboardHolder();
  ClipboardHolder(const ClipboardHolder&) = delete;
  ClipboardHolder& operator=(const ClipboardHolder&) = delete;

 private:
  UniqueHandle process_;
  UniqueHandle heldEvent_;
  UniqueHandle releaseEvent_;
};

// Waits up to `ms` for `condition`, dispatching this thread's messages meanwhile.
template <typename F>
bool WaitFor(F condition, int ms = 5000) {
  for (int waited = 0; waited < ms; waited += 10) {
    if (condition()) return true;
    PumpMessages(10);
  }
  return condition();
}

}  // namespace winetest
