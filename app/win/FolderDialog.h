#pragma once
// TFolderDialog: a folder chooser on the shell's folder browser, starting at the list of drives.

#include <windows.h>

#include <string>

#include "win/Prompts.h"

namespace app {

class TFolderDialog {
 public:
  explicit TFolderDialog(win::Prompts& prompts) : prompts_(prompts) {}

  // The chosen folder, without a trailing backslash except for a drive's root; preselected when
  // the chooser opens, if it exists.
  std::wstring Folder;
  std::wstring Title = L"フォルダーの選択";

  // The window the chooser belongs to (the settings dialog).
  HWND Owner = nullptr;

  // True when the user chose a folder.
  bool Execute() { return prompts_.ChooseFolder(Owner, Title, Folder); }

 private:
  win::Prompts& prompts_;
};

}  // namespace app
