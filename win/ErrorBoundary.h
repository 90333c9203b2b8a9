#pragma once
// Every command runs inside Guarded: an error ends the command where it happened, its text is shown
// in the application's error box, and the program goes on. No exception reaches Windows: a callback
// that the system calls in the middle of one of its functions keeps its exception in a
// CallbackError, which throws it again once the system function has returned.

#include <exception>
#include <string_view>

#include "win/Prompts.h"

namespace win {

// Shows the error box; never throws, even when the text cannot be converted or shown.
void ReportError(HWND owner, Prompts& prompts, std::string_view utf8Text) noexcept;

// The text the error box shows for the exception being handled. Call only inside a catch block;
// the text lives as long as that exception.
const char* CurrentErrorText() noexcept;

// Returns true when the command ran to its end, false when it ended with an error.
template <typename F>
bool Guarded(HWND owner, Prompts& prompts, F&& command) noexcept {
  try {
    command();
    return true;
  } catch (...) {
    ReportError(owner, prompts, CurrentErrorText());
  }
  return false;
}

// Carries an exception across a system function that calls back into the program (an
// enumeration, the folder browser): the callback runs its body through Catch, and the caller
// calls Rethrow after the system function has returned.
class CallbackError {
 public:
  // The body's result, or `failed` once the body has thrown (the exception is kept, and a later
  // body does not run, so the system function can be told to stop).
  template <typename R, typename F>
  R Catch(R failed, F&& body) noexcept {
    if (error_) return failed;
    try {
      return body();
    } catch (...) {
      error_ = std::current_exception();
      return failed;
    }
  }
  // Throws the kept exception, if a body threw one.
  void Rethrow() const {
    if (error_) std::rethrow_exception(error_);
  }

 private:
  std::exception_ptr error_;
};

}  // namespace win
