#pragma once
// The External editor command: hands the picture to a paint program through the work file. The
// program is started without waiting for it and without taking the focus; the user saves in it and
// loads the work file back.

#include "host/FormHost.h"

namespace output {

class ExternalEditor {
 public:
  explicit ExternalEditor(host::FormHost& host) : host_(host) {}

  // Refused without a picture. A work file that cannot be written or an editor that cannot be
  // started ends the command with an error naming it.
  void Open();

 private:
  host::FormHost& host_;
};

}  // namespace output
