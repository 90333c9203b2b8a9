#pragma once
// The picture sources of the clipboard and the work file: Capture (hide, wait for PrintScreen, take
// the screen picture when the clipboard watcher reports it), Clipboard load and Work-file load.

#include "host/Roles.h"

namespace acquire {

class PictureImport {
 public:
  PictureImport(host::PictureHost& picture, host::WindowServices& window)
      : picture_(picture), window_(window) {}

  // Empties the clipboard, hides the window and its taskbar button and waits for a picture.
  void Capture();
  // Called for every clipboard change; takes the picture while a capture is pending.
  void ClipboardChanged();
  // Takes the clipboard's picture now; beeps when there is none.
  void LoadClipboard();
  // Loads the work file; beeps when there is none.
  void LoadWorkFile();

 private:
  host::PictureHost& picture_;
  host::WindowServices& window_;
};

}  // namespace acquire
