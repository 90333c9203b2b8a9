#include "tags/IconFile.h"

#include <windows.h>

#include "win/Text.h"

namespace tags {

win::UniqueIcon LoadPaletteIcon(int number, int size) {
  const std::wstring name = L"ICON" + std::to_wstring(number);
  return win::UniqueIcon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), name.c_str(), IMAGE_ICON, size, size, 0)));
}

win::UniqueIcon LoadIconFile(const std::wstring& path, int size) {
  return win::UniqueIcon(
      static_cast<HICON>(LoadImageW(nullptr, path.c_str(), IMAGE_ICON, size, size,
                                    LR_LOADFROMFILE | (size == 0 ? LR_DEFAULTSIZE : 0))));
}

std::string IconFileError(const std::wstring& path) {
  return "アイコンファイルを読み込めません。\n" + win::Narrow(path);
}

}  // namespace tags
