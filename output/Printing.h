#pragma once
// The Print command: the picture on one page of the configured printer, with the paper,
// orientation and copies chosen in the print dialog, fitted to the page width or at a fixed
// magnification, shifted by the configured offsets. On the way the work file is refreshed with
// the picture and the picture is read back from it.

#include "host/Roles.h"

namespace output {

class Printing {
 public:
  Printing(host::PictureHost& picture, host::WindowServices& window)
      : picture_(picture), window_(window) {}

  // Refused without a picture or without a usable printer (Print/Num = -1, or no printer list at
  // start-up). A printer that cannot be found or used, or a magnification or offsets that leave
  // no printable rectangle, end the command with an error saying so; nothing is printed or
  // reported as printed.
  void Print();

 private:
  host::PictureHost& picture_;
  host::WindowServices& window_;
};

}  // namespace output
