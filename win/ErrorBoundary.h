#pragma once
// Every command runs inside Guarded: an error ends the command where it happened, its text is shown
// in the application's error box, and the program goes on. No exception reaches Windows.

#include <exception>
#include <new>
#include <string>

#include "core/Error.h"
#include "win/Prompts.h"
#include "win/Text.h"

namespace win {

void ReportError(HWND owner, Prompts& prompts, const std::wstring& text) noexcept;

// Returns true when the command ran to its end, false when it ended with an error.
template <typename F>
bool Guarded(HWND owner, Prompts& prompts, F&& command) noexcept {
  try {
    command();
    return true;
  } catch (const std::bad_alloc&) {
    ReportError(owner, prompts, L"メモリが不足しています。");
  } catch (const std::exception& e) {
    ReportError(owner, prompts, Widen(e.what()));
  } catch (...) {
    ReportError(owner, prompts, L"予期しないエラーが発生しました。");
  }
  return false;
}

}  // namespace win
