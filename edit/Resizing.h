#pragma once
// The Resize command: the resize dialog, then the picture sampled to the preview's size.

#include "host/FormHost.h"

namespace edit {

class Resizing {
 public:
  explicit Resizing(host::FormHost& host) : host_(host) {}

  // Refused without a picture; a preview of no width or height is refused too, the picture
  // staying as it is.
  void Resize();

 private:
  host::FormHost& host_;
};

}  // namespace edit
