#include "win/FileDialogs.h"

#include <windows.h>
#include <commdlg.h>

#include <cwchar>

namespace win {

std::optional<std::wstring> ChooseFileToOpen(HWND owner, Prompts& prompts,
                                             std::initializer_list<FileFilter> filters) {
  // Each description and pattern ended by a NUL, the whole list by another.
  std::wstring filterList;
  for (const FileFilter& filter : filters) {
    filterList.append(filter.description).push_back(L'\0');
    filterList.append(filter.pattern).push_back(L'\0');
  }
  filterList.push_back(L'\0');
  std::wstring buffer(32768, L'\0');
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = owner;
  request.lpstrFilter = filterList.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = buffer.data();
  request.nMaxFile = static_cast<DWORD>(buffer.size());
  request.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
  if (!prompts.GetOpenFileName(request)) return std::nullopt;
  buffer.resize(wcslen(buffer.c_str()));
  return buffer;
}

}  // namespace win
