#pragma once
// The Cut command: a rectangle dragged over the picture becomes the new picture.

#include "host/FormHost.h"

namespace edit {

class Cropping {
 public:
  explicit Cropping(host::FormHost& host) : host_(host) {}

  // Refused without a picture.
  void Cut();

 private:
  host::FormHost& host_;
};

}  // namespace edit
