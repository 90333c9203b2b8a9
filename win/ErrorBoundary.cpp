#include "win/ErrorBoundary.h"

namespace win {

void ReportError(HWND owner, Prompts& prompts, const std::wstring& text) noexcept {
  try {
    prompts.ShowError(owner, text);
  } catch (...) {
    // Showing the error failed as well (no memory for the box): there is nobody left to tell.
  }
}

}  // namespace win
