#pragma once
// The shell's folder browser, rooted at the list of drives.

#include <windows.h>

#include <string>

namespace win {

// Shows the browser with `title` above the folder tree, preselecting `folder` when it names an
// existing folder and showing the selected folder's path as the status text. True when the user
// chose a folder; `folder` then holds its file-system path (unchanged when it has none). False
// when the browser is cancelled or cannot be shown.
bool BrowseForFolder(HWND owner, const std::wstring& title, std::wstring& folder);

}  // namespace win
