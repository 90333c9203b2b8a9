#pragma once
// The Resize command: the resize dialog, then the picture sampled to the preview's size.

#include "host/Roles.h"

namespace edit {

class Resizing {
 public:
  Resizing(host::PictureHost& picture, host::WindowServices& window)
      : picture_(picture), window_(window) {}

  // Refused without a picture; a preview of no width or height is refused too, the picture
  // staying as it is.
  void Resize();

 private:
  host::PictureHost& picture_;
  host::WindowServices& window_;
};

}  // namespace edit
