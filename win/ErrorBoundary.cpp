#include "win/ErrorBoundary.h"

#include <new>

#include "win/Text.h"

namespace win {

void ReportError(HWND owner, Prompts& prompts, std::string_view utf8Text) noexcept {
  try {
    prompts.ShowError(owner, Widen(utf8Text));
  } catch (...) {
    // Converting or showing the text failed as well (no memory for it): nobody is left to tell.
  }
}

const char* CurrentErrorText() noexcept {
  try {
    throw;
  } catch (const std::bad_alloc&) {
    return "メモリが不足しています。";
  } catch (const std::exception& e) {
    return e.what();
  } catch (...) {
    return "予期しないエラーが発生しました。";
  }
}

}  // namespace win
