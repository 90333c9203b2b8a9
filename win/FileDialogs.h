#pragma once
// The open dialog as the program shows it: an empty file name box, a filter of the caller's, the
// first entry chosen, names of any length.

#include <windows.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <string_view>

#include "win/Prompts.h"

namespace win {

// One entry of the dialog's file type list.
struct FileFilter {
  std::wstring_view description;
  std::wstring_view pattern;  // "*.bmp;*.dib"
};

// Shows the open dialog through `prompts`; the chosen path, or nothing when the user cancels.
std::optional<std::wstring> ChooseFileToOpen(HWND owner, Prompts& prompts,
                                             std::initializer_list<FileFilter> filters);

}  // namespace win
