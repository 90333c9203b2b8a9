#pragma once
// The Print command.

#include "host/FormHost.h"

namespace output {

class Printing {
 public:
  explicit Printing(host::FormHost& host) : host_(host) {}

  // Refused without a picture or without a usable printer (Print/Num = -1).
  void Print();

 private:
  host::FormHost& host_;
};

}  // namespace output
