#include "win/FolderBrowser.h"

#include <shlobj.h>

#include <vector>

namespace win {
namespace {

// An item list the shell allocated, freed with the shell's allocator.
struct ItemList {
  PIDLIST_ABSOLUTE items = nullptr;
  ~ItemList() { ILFree(items); }
};

bool IsExistingFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM item, LPARAM data) {
  const auto* folder = reinterpret_cast<const std::wstring*>(data);
  std::vector<wchar_t> status(MAX_PATH + 1, L'\0');
  if (message == BFFM_INITIALIZED && IsExistingFolder(*folder)) {
    SendMessageW(browser, BFFM_SETSELECTIONW, TRUE, reinterpret_cast<LPARAM>(folder->c_str()));
  } else if (message == BFFM_SELCHANGED) {
    SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(item), status.data());
  }
  if (message == BFFM_INITIALIZED || message == BFFM_SELCHANGED) {
    SendMessageW(browser, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(status.data()));
  }
  return 0;
}

}  // namespace

bool BrowseForFolder(HWND owner, const std::wstring& title, std::wstring& folder) {
  ItemList drives;
  if (FAILED(SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, &drives.items))) return false;
  std::vector<wchar_t> displayName(MAX_PATH, L'\0');
  BROWSEINFOW request{};
  request.hwndOwner = owner;
  request.pidlRoot = drives.items;
  request.pszDisplayName = displayName.data();
  request.lpszTitle = title.c_str();
  request.ulFlags = BIF_STATUSTEXT;
  request.lpfn = BrowseCallback;
  request.lParam = reinterpret_cast<LPARAM>(&folder);
  ItemList chosen;
  chosen.items = SHBrowseForFolderW(&request);
  if (!chosen.items) return false;
  std::vector<wchar_t> path(32768, L'\0');
  if (SHGetPathFromIDListEx(chosen.items, path.data(), static_cast<DWORD>(path.size()),
                            GPFIDL_DEFAULT)) {
    folder = path.data();
  }
  return true;
}

}  // namespace win
