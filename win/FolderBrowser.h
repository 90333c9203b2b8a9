#pragma once
// The shell's folder browser, rooted at the list of drives.

#include <windows.h>

#include <string>

namespace win {

// Shows the browser with `title` above the folder tree, preselecting `folder` when it names an
// existing folder and showing the selected folder's path as the status text. True when the user
// chose a folder of the file system; `folder` then holds its path. False, with `folder` unchanged,
// when the browser is cancelled or cannot be shown, and when the chosen item has no path (the
// list of drives itself, a printer): there is no folder to take.
bool BrowseForFolder(HWND owner, const std::wstring& title, std::wstring& folder);

}  // namespace win
