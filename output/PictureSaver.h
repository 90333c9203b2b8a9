#pragma once
// The Save command: the picture as JPEG at the configured quality, as BMP in its own format or as
// lossless 24-bit PNG, the type chosen in the save dialog. The dialog keeps its name and type from
// one save to the next during a run.

#include <windows.h>

#include <string>

#include "host/Roles.h"

namespace output {

class PictureSaver {
 public:
  PictureSaver(host::PictureHost& picture, host::WindowServices& window)
      : picture_(picture), window_(window) {}

  // Refused without a picture; a cancelled dialog changes nothing.
  void Save();

 private:
  host::PictureHost& picture_;
  host::WindowServices& window_;
  std::wstring dialogFileName_;
  DWORD dialogFilterIndex_ = 1;
};

}  // namespace output
