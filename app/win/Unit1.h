#pragma once
// The main window, Form1 of class TForm1: one picture at a time and every command of the program.
// Its command handlers live in the subsystem folders (acquire/, output/, ...), each file
// implementing its own TForm1 members.

#include <windows.h>

#include <string>
#include <vector>

#include "acquire/NkClipDetector.h"
#include "app/Rw_ini.h"
#include "win/ErrorBoundary.h"
#include "win/Handles.h"
#include "win/Picture.h"
#include "win/Prompts.h"

namespace app {

struct FormOptions {
  std::wstring executablePath;          // decides the settings, help and work file names
  std::vector<std::wstring> arguments;  // the command line after the program name
  int showCommand = SW_SHOWNORMAL;      // how the program was started
  win::Prompts* prompts = nullptr;      // dialogs, beeps and boxes; never null
  bool quitOnClose = true;              // post WM_QUIT when the window is destroyed
};

class TForm1 {
 public:
  // Builds the window, hidden, and runs FormCreate.
  explicit TForm1(FormOptions options);
  ~TForm1();
  TForm1(const TForm1&) = delete;
  TForm1& operator=(const TForm1&) = delete;

  // Shows the window in the state that the show command asks for.
  void Show();
  HWND Handle() const { return window_.get(); }
  // The hidden owner that carries the taskbar button with the application title.
  HWND ApplicationHandle() const { return application_.get(); }

  // --- The window's state ---
  int PictureState = 0;  // 0 start picture, 1 capture pending, 2 a picture is present
  int CropState = 0;
  int FrameExtraHeight = 50;
  std::wstring CurrentFileName;
  Settings settings;
  win::Picture picture;  // the picture of Image1

  // --- Routines every picture source uses ---
  void AfterPictureLoad();
  void FitWindowToPicture();
  void SetStatusText(const std::wstring& text);
  std::wstring StatusText() const;
  // Decodes a picture file by its extension into Image1; throws core::Error.
  void LoadPictureFile(const std::wstring& fileName);

  // --- Command and event handlers ---
  void FormCreate();
  void FormClose();
  void mnuCaputureClick();
  void mnuReadClick();
  void mnuTmpReadClick();
  void mnuClipReadClick();
  void mnuWriteClick();
  void mnuPrintClick();
  void mnuExitClick();
  void mnuCutClick();
  void SpeedButton12Click();
  void mnuExtEditClick();
  void mnuAdjSzClick();
  void mnuSettingClick();
  void SpeedButton11Click();
  void smnuHideClick();
  void smnuDrawClick();
  void smnuMoveClick();
  void NkClipDetector1ClipChange();

  // --- Controls ---
  HMENU MainMenu1 = nullptr;
  HMENU PopupMenu1 = nullptr;
  HMENU PopupMenu2 = nullptr;
  HWND Panel1 = nullptr;
  HWND Panel2 = nullptr;
  HWND PageControl1 = nullptr;
  HWND TabSheet1 = nullptr;
  HWND TabSheet2 = nullptr;
  HWND TabSheet3 = nullptr;
  HWND TabSheet4 = nullptr;
  HWND Button1 = nullptr;
  HWND ScrollBox1 = nullptr;
  HWND Image1 = nullptr;
  HWND StatusBar1 = nullptr;
  HWND ToolTips = nullptr;
  acquire::TNkClipDetector NkClipDetector1;

  // File names the program derives from its executable.
  std::wstring SettingsFileName() const;
  std::wstring WorkFileName() const;

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  static LRESULT CALLBACK ApplicationProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
  void DispatchCommand(int id);
  // Runs a handler inside the error boundary.
  template <typename F>
  void Run(F&& handler) {
    win::Guarded(window_.get(), prompts_, std::forward<F>(handler));
  }

  void RegisterWindowClasses();
  void CreateControls();
  void CreateMenus();
  void CreateToolBar();
  void CreateLeftPanel();
  void AddHint(HWND control, const wchar_t* hint);
  void LayoutChildren();
  void ShowPage(int index);
  void LoadStartPicture();
  void OpenCommandLineFile();

  FormOptions options_;
  win::Prompts& prompts_;
  win::UniqueWindow application_;
  win::UniqueWindow window_;
  win::UniqueFont font_;
  win::UniqueBitmap toolGlyphs_;
  win::UniqueMenu mainMenu_;
  win::UniqueMenu popupMenu1_;
  win::UniqueMenu popupMenu2_;
  std::vector<HWND> pages_;
  std::wstring helpFileName_;  // set once help has been opened
  std::wstring saveDialogFileName_;   // the save dialog's name and type, kept for the next save
  DWORD saveDialogFilterIndex_ = 1;
};

}  // namespace app
