#pragma once
// The seam between the program and what a test cannot answer through the screen: the common
// dialogs, the error box, beeps, the help viewer and the shell. The program uses SystemPrompts;
// the Windows tests install a scripted implementation that records every call.

#include <windows.h>
#include <commdlg.h>

#include <optional>
#include <string>
#include <vector>

#include "win/Printers.h"

namespace win {

class Prompts {
 public:
  virtual ~Prompts() = default;
  virtual void Beep(UINT type) = 0;
  // The application's error box: the text, the application title as caption.
  virtual void ShowError(HWND owner, const std::wstring& text) = 0;
  virtual bool GetSaveFileName(OPENFILENAMEW& request) = 0;
  virtual bool GetOpenFileName(OPENFILENAMEW& request) = 0;
  virtual bool WinHelp(HWND owner, const std::wstring& helpFile, UINT command, ULONG_PTR data) = 0;
  // The system's print dialog, opened on `printer` (the system's default printer when empty):
  // the printer and the settings (paper, orientation, copies ...) the user confirms there, or
  // nothing when the user cancels.
  virtual std::optional<PrintSetup> PrintDialog(HWND owner, const std::wstring& printer) = 0;
  // The names of the system's printers in its order; throws core::Error when unreadable.
  virtual std::vector<std::wstring> PrinterNames() = 0;
  // The shell's folder browser (see BrowseForFolder); true with `folder` chosen.
  virtual bool ChooseFolder(HWND owner, const std::wstring& title, std::wstring& folder) = 0;
  // Starts a program (or opens a document) without waiting for it; returns 0, or the Win32 error
  // code when it could not be started.
  virtual DWORD StartProgram(HWND owner, const std::wstring& file, const std::wstring& parameters,
                             const std::wstring& directory, int showCommand) = 0;
  // The font and colour dialogs; true when the user chose (the request then holds the choice).
  virtual bool ChooseFont(CHOOSEFONTW& request) = 0;
  virtual bool ChooseColor(CHOOSECOLORW& request) = 0;
};

class SystemPrompts : public Prompts {
 public:
  void Beep(UINT type) override;
  void ShowError(HWND owner, const std::wstring& text) override;
  bool GetSaveFileName(OPENFILENAMEW& request) override;
  bool GetOpenFileName(OPENFILENAMEW& request) override;
  bool WinHelp(HWND owner, const std::wstring& helpFile, UINT command, ULONG_PTR data) override;
  std::optional<PrintSetup> PrintDialog(HWND owner, const std::wstring& printer) override;
  std::vector<std::wstring> PrinterNames() override;
  bool ChooseFolder(HWND owner, const std::wstring& title, std::wstring& folder) override;
  DWORD StartProgram(HWND owner, const std::wstring& file, const std::wstring& parameters,
                     const std::wstring& directory, int showCommand) override;
  bool ChooseFont(CHOOSEFONTW& request) override;
  bool ChooseColor(CHOOSECOLORW& request) override;
};

// The system's way of starting a program, used by SystemPrompts and by test doubles that let the
// program really start.
DWORD SystemStartProgram(HWND owner, const std::wstring& file, const std::wstring& parameters,
                         const std::wstring& directory, int showCommand);

inline constexpr const wchar_t* kApplicationTitle = L"Capslate";

// A refused command: the question beep and nothing else.
inline void Refuse(Prompts& prompts) { prompts.Beep(MB_ICONQUESTION); }

}  // namespace win
