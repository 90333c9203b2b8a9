#pragma once
// TForm2, the settings dialog "設定": the menu bar choice, the external editor, the plug-in folder,
// the printer and its sizing on one page, and on the About page the product, its makers' links and
// the JPEG quality. It copies the settings into its controls when it is made and back on OK; the
// editor choice alone is written at once.

#include <windows.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "app/Rw_ini.h"
#include "app/win/FolderDialog.h"
#include "app/win/MailHP.h"
#include "win/Handles.h"
#include "win/ModalDialog.h"

namespace app {

class TForm2 : public win::ModalDialog {
 public:
  // Takes a new region capture hotkey (0 for none) for the program; false when another program
  // holds it.
  using HotkeyTaker = std::function<bool(int32_t hotkey)>;

  // Shows the dialog with its top-left at `position`; true when it closed with OK.
  static bool Execute(HWND owner, win::Prompts& prompts, Settings& settings, POINT position,
                      HotkeyTaker takeHotkey);

 private:
  TForm2(win::Prompts& prompts, Settings& settings, HotkeyTaker takeHotkey);

  void OnCreate() override;
  bool OnCommand(int id, int notification, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

  void FormCreate();
  void BitBtn1Click();
  void Button1Click();
  void Button2Click();
  void Label8Click() { MailAndHP1.OpenHomePage(); }
  void Label4Click() { MailAndHP1.SendMail(); }
  void ShowPage(int index);
  void ShowEditorName();
  HWND Add(const wchar_t* className, const wchar_t* text, DWORD style, int id, int x, int y,
           int width, int height, int page = -1, const wchar_t* hint = nullptr);
  // An up-down beside its number box, which shows `value` as it is, whatever the up-down's range:
  // OK with the box untouched stores the value unchanged. The arrows step from the value held to
  // the range.
  HWND AddUpDown(int id, HWND buddy, int minimum, int maximum, int step, int32_t value, int page,
                 const wchar_t* hint = nullptr);
  // The integer in a number box; throws core::Error "'%s' は整数ではありません" with its text, the
  // box focused.
  int32_t BoxInteger(int id);

  Settings& settings_;
  HotkeyTaker takeHotkey_;
  TFolderDialog FolderDialog1;
  TMailAndHP MailAndHP1;
  std::vector<std::pair<HWND, int>> pageControls_;  // every control of a page, with its page
  HWND PageControl1 = nullptr;
  POINT pageOrigin_{};  // the corner of the tab control's display area, in the dialog's pixels
  HWND ToolTips = nullptr;
  win::UniqueFont bold_;
  win::UniqueFont large_;
  win::UniqueFont siteName_;
  win::UniqueFont link_;
  win::UniqueBrush navy_;
};

}  // namespace app
