#pragma once
// The External editor command: hands the picture to a paint program through the work file. The
// program is started without waiting for it and without taking the focus; the user saves in it and
// loads the work file back.

#include "host/Roles.h"

namespace output {

class ExternalEditor {
 public:
  ExternalEditor(host::PictureHost& picture, host::WindowServices& window)
      : picture_(picture), window_(window) {}

  // Refused without a picture. A work file that cannot be written or an editor that cannot be
  // started ends the command with an error naming it.
  void Open();

 private:
  host::PictureHost& picture_;
  host::WindowServices& window_;
};

}  // namespace output
