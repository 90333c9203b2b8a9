#include "win/Prompts.h"

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

}  // namespace win
