#include "win/Prompts.h"

#include <shellapi.h>

#include "win/FolderBrowser.h"
#include "win/Handles.h"
#include "win/Printers.h"

namespace win {
namespace {

// The DEVNAMES block that opens the print dialog on `printer`: the spooler as driver, the device's
// name, and no port, which the dialog looks up itself. Its offsets count characters.
UniqueGlobal MakeDevNames(const std::wstring& printer) {
  const std::wstring driver = L"winspool";
  constexpr size_t kHeaderChars = sizeof(DEVNAMES) / sizeof(wchar_t);
  const size_t chars = kHeaderChars + driver.size() + 1 + printer.size() + 1 + 1;
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, chars * sizeof(wchar_t)));
  GlobalLockView<DEVNAMES> names(memory.get());
  if (!names.get()) return {};
  DEVNAMES& header = *names.get();
  header.wDriverOffset = static_cast<WORD>(kHeaderChars);
  header.wDeviceOffset = static_cast<WORD>(header.wDriverOffset + driver.size() + 1);
  header.wOutputOffset = static_cast<WORD>(header.wDeviceOffset + printer.size() + 1);
  auto* text = reinterpret_cast<wchar_t*>(names.get());
  driver.copy(text + header.wDriverOffset, driver.size());
  printer.copy(text + header.wDeviceOffset, printer.size());
  return memory;
}

}  // namespace

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

std::optional<PrintSetup> SystemPrompts::PrintDialog(HWND owner, const std::wstring& printer) {
  PRINTDLGW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  // The copies and their collation go into the DEVMODE, so that the printer makes them.
  request.Flags = PD_USEDEVMODECOPIESANDCOLLATE;
  request.hDevNames = printer.empty() ? nullptr : MakeDevNames(printer).release();
  const bool confirmed = ::PrintDlgW(&request) != FALSE;
  // The dialog may have replaced both blocks; what it hands back is ours to free.
  UniqueGlobal devMode(request.hDevMode);
  UniqueGlobal devNames(request.hDevNames);
  if (!confirmed) return std::nullopt;
  PrintSetup setup;
  if (GlobalLockView<DEVNAMES> names(devNames.get()); names.get()) {
    setup.printer = reinterpret_cast<const wchar_t*>(names.get()) + names.get()->wDeviceOffset;
  }
  if (GlobalLockView<uint8_t> mode(devMode.get()); mode.get()) {
    setup.devMode.assign(mode.get(), mode.get() + mode.Size());
  }
  return setup;
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
