#pragma once
// The Cut command: a rectangle dragged over the picture becomes the new picture.

#include "host/FormHost.h"
#include "win/controls/ControlSupport.h"

namespace edit {

class Cropping {
 public:
  explicit Cropping(host::FormHost& host) : host_(host) {}

  // Refused without a picture.
  void Cut();
  // A press of any button on the picture (Image1MouseDown): no tag is active any more.
  void MouseDown(win::controls::MouseButton button, int x, int y);

 private:
  host::FormHost& host_;
};

}  // namespace edit
