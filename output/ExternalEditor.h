#pragma once
// The External editor command: hands the picture to a paint program through the work file.

#include "host/FormHost.h"

namespace output {

class ExternalEditor {
 public:
  explicit ExternalEditor(host::FormHost& host) : host_(host) {}

  // Refused without a picture.
  void Open();

 private:
  host::FormHost& host_;
};

}  // namespace output
