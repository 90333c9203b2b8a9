#include "win/ErrorBoundary.h"

#include "win/Text.h"

namespace win {

void ReportError(HWND owner, Prompts& prompts, std::string_view utf8Text) noexcept {
  try {
    prompts.ShowError(owner, Widen(utf8Text));
  } catch (...) {
    // Converting or showing the text failed as well (no memory for it): nobody is left to tell.
  }
}

}  // namespace win
