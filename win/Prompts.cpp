#include "win/Prompts.h"

#include <shellapi.h>

#include "win/FolderBrowser.h"
#include "win/Handles.h"
#include "win/Printers.h"

namespace win {

void SystemPrompts::Beep(UINT type) { MessageBeep(type); }

void SystemPrompts::ShowError(HWND owner, const std::wstring& text) {
  MessageBoxW(owner, text.c_str(), kApplicationTitle, MB_OK | MB_ICONERROR);
}

bool SystemPrompts::GetSaveFileName(OPENFILENAMEW& request) {
  return ::GetSaveFileNameW(&request) != FALSE;
}

bool SystemPrompts::GetOpenFileName(OPENFILENAMEW& request) {
  return ::GetOpenFileNameW(&request) != FALSE;
}

bool SystemPrompts::WinHelp(HWND owner, const std::wstring& helpFile, UINT command,
                            ULONG_PTR data) {
  return ::WinHelpW(owner, helpFile.c_str(), command, data) != FALSE;
}

bool SystemPrompts::ChooseFont(CHOOSEFONTW& request) { return ::ChooseFontW(&request) != FALSE; }

bool SystemPrompts::ChooseColor(CHOOSECOLORW& request) { return ::ChooseColorW(&request) != FALSE; }

bool SystemPrompts::PrintDialog(HWND owner) {
  PRINTDLGW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  const bool confirmed = ::PrintDlgW(&request) != FALSE;
  UniqueGlobal devMode(request.hDevMode);
  UniqueGlobal devNames(request.hDevNames);
  return confirmed;
}

std::vector<std::wstring> SystemPrompts::PrinterNames() { return win::PrinterNames(); }

bool SystemPrompts::ChooseFolder(HWND owner, const std::wstring& title, std::wstring& folder) {
  return BrowseForFolder(owner, title, folder);
}

DWORD SystemPrompts::StartProgram(HWND owner, const std::wstring& file,
                                  const std::wstring& parameters, const std::wstring& directory,
                                  int showCommand) {
  return SystemStartProgram(owner, file, parameters, directory, showCommand);
}

DWORD SystemStartProgram(HWND owner, const std::wstring& file, const std::wstring& parameters,
                         const std::wstring& directory, int showCommand) {
  SHELLEXECUTEINFOW request{sizeof request};
  // No box of the shell's own: the caller reports a failure with the reason.
  request.fMask = SEE_MASK_FLAG_NO_UI | SEE_MASK_NOASYNC;
  request.hwnd = owner;
  request.lpFile = file.c_str();
  request.lpParameters = parameters.empty() ? nullptr : parameters.c_str();
  request.lpDirectory = directory.empty() ? nullptr : directory.c_str();
  request.nShow = showCommand;
  if (ShellExecuteExW(&request)) return 0;
  const DWORD error = GetLastError();
  return error != 0 ? error : ERROR_FILE_NOT_FOUND;
}

}  // namespace win
