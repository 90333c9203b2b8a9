#include "tags/IconFile.h"

#include <windows.h>

#include "win/Text.h"

namespace tags {

win::UniqueIcon LoadPaletteIcon(int number) {
  const std::wstring name = L"ICON" + std::to_wstring(number);
  return win::UniqueIcon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
}

win::UniqueIcon LoadIconFile(const std::wstring& path) {
  return win::UniqueIcon(static_cast<HICON>(
      LoadImageW(nullptr, path.c_str(), IMAGE_ICON, 0, 0, LR_LOADFROMFILE | LR_DEFAULTSIZE)));
}

std::string IconFileError(const std::wstring& path) {
  return "アイコンファイルを読み込めません。\n" + win::Narrow(path);
}

}  // namespace tags
