#pragma once
// The program's one error type: an exception that carries the text shown to the user.

#include <stdexcept>
#include <string>

namespace core {

class Error : public std::runtime_error {
 public:
  explicit Error(const std::string& utf8Message) : std::runtime_error(utf8Message) {}
};

}  // namespace core
