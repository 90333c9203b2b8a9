#pragma once
// Every command runs inside Guarded: an error ends the command where it happened, its text is shown
// in the application's error box, and the program goes on. No exception reaches Windows.

#include <exception>
#include <new>
#include <string>
#include <string_view>

#include "core/Error.h"
#include "win/Prompts.h"

namespace win {

// Shows the error box; never throws, even when the text cannot be converted or shown.
void ReportError(HWND owner, Prompts& prompts, std::string_view utf8Text) noexcept;

// Returns true when the command ran to its end, false when it ended with an error.
template <typename F>
bool Guarded(HWND owner, Prompts& prompts, F&& command) noexcept {
  try {
    command();
    return true;
  } catch (const std::bad_alloc&) {
    ReportError(owner, prompts, "メモリが不足しています。");
  } catch (const std::exception& e) {
    ReportError(owner, prompts, e.what());
  } catch (...) {
    ReportError(owner, prompts, "予期しないエラーが発生しました。");
  }
  return false;
}

}  // namespace win
