#include "win/FolderBrowser.h"

#include <shlobj.h>

#include <vector>

#include "win/ErrorBoundary.h"

namespace win {
namespace {

// An item list the shell allocated, freed with the shell's allocator.
struct ItemList {
  PIDLIST_ABSOLUTE items = nullptr;
  ~ItemList() { ILFree(items); }
};

// What the browser's callback works with.
struct BrowseContext {
  const std::wstring& folder;  // preselected when it exists
  CallbackError error;
};

bool IsExistingFolder(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY);
}

int CALLBACK BrowseCallback(HWND browser, UINT message, LPARAM item, LPARAM data) noexcept {
  auto& context = *reinterpret_cast<BrowseContext*>(data);
  return context.error.Catch(0, [&] {
    std::vector<wchar_t> status(MAX_PATH + 1, L'\0');
    if (message == BFFM_INITIALIZED && IsExistingFolder(context.folder)) {
      SendMessageW(browser, BFFM_SETSELECTIONW, TRUE,
                   reinterpret_cast<LPARAM>(context.folder.c_str()));
    } else if (message == BFFM_SELCHANGED) {
      SHGetPathFromIDListW(reinterpret_cast<PCIDLIST_ABSOLUTE>(item), status.data());
    }
    if (message == BFFM_INITIALIZED || message == BFFM_SELCHANGED) {
      SendMessageW(browser, BFFM_SETSTATUSTEXTW, 0, reinterpret_cast<LPARAM>(status.data()));
    }
    return 0;
  });
}

}  // namespace

bool BrowseForFolder(HWND owner, const std::wstring& title, std::wstring& folder) {
  ItemList drives;
  if (FAILED(SHGetSpecialFolderLocation(owner, CSIDL_DRIVES, &drives.items))) return false;
  std::vector<wchar_t> displayName(MAX_PATH, L'\0');
  BrowseContext context{folder, {}};
  BROWSEINFOW request{};
  request.hwndOwner = owner;
  request.pidlRoot = drives.items;
  request.pszDisplayName = displayName.data();
  request.lpszTitle = title.c_str();
  request.ulFlags = BIF_STATUSTEXT;
  request.lpfn = BrowseCallback;
  request.lParam = reinterpret_cast<LPARAM>(&context);
  ItemList chosen;
  chosen.items = SHBrowseForFolderW(&request);
  context.error.Rethrow();
  if (!chosen.items) return false;
  std::vector<wchar_t> path(32768, L'\0');
  if (!SHGetPathFromIDListEx(chosen.items, path.data(), static_cast<DWORD>(path.size()),
                             GPFIDL_DEFAULT)) {
    return false;
  }
  folder = path.data();
  return true;
}

}  // namespace win
