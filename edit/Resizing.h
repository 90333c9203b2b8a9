#pragma once
// The Resize command: the picture scaled to a given width or height.

#include "host/FormHost.h"

namespace edit {

class Resizing {
 public:
  explicit Resizing(host::FormHost& host) : host_(host) {}

  // Refused without a picture.
  void Resize();

 private:
  host::FormHost& host_;
};

}  // namespace edit
