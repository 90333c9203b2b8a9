#include "tags/FileChoice.h"

#include <windows.h>
#include <commdlg.h>

#include <algorithm>

namespace tags {

std::optional<std::wstring> ChooseFileToOpen(host::FormHost& host, std::wstring_view filter) {
  // The dialog wants each description and pattern ended by a NUL, the whole by another.
  std::wstring filterList(filter);
  std::replace(filterList.begin(), filterList.end(), L'|', L'\0');
  filterList += L'\0';
  filterList += L'\0';
  std::wstring buffer(32768, L'\0');
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = host.Owner();
  request.lpstrFilter = filterList.c_str();
  request.nFilterIndex = 1;
  request.lpstrFile = buffer.data();
  request.nMaxFile = static_cast<DWORD>(buffer.size());
  request.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
  if (!host.Prompts().GetOpenFileName(request)) return std::nullopt;
  buffer.resize(wcslen(buffer.c_str()));
  return buffer;
}

}  // namespace tags
