#pragma once
// The Save command: the picture as JPEG at the configured quality, as BMP in its own format or as
// lossless 24-bit PNG, the type chosen in the save dialog. The dialog keeps its name and type from
// one save to the next during a run.

#include <windows.h>

#include <string>

#include "host/FormHost.h"

namespace output {

class PictureSaver {
 public:
  explicit PictureSaver(host::FormHost& host) : host_(host) {}

  // Refused without a picture; a cancelled dialog changes nothing.
  void Save();

 private:
  host::FormHost& host_;
  std::wstring dialogFileName_;
  DWORD dialogFilterIndex_ = 1;
};

}  // namespace output
