#include "plugins/PictureOpening.h"

#include <cwchar>
#include <optional>

#include "core/PathRules.h"
#include "plugins/SPIRules.h"
#include "win/FileDialogs.h"
#include "win/Handles.h"

namespace plugins {

win::Picture LoadPictureFile(const core::PictureFormats& formats, const std::wstring& fileName) {
  return win::Picture::FromDib(formats.Load(fileName));
}

std::wstring PictureOpening::BuildPatternList() const {
  std::vector<std::wstring> firstEntries;
  for (int i = 0; i < plugins_.Count(); ++i) {
    const std::vector<std::wstring>& entries = plugins_.Items(i).Extensions();
    if (!entries.empty()) firstEntries.push_back(entries.front());
  }
  return plugins::BuildPatternList(firstEntries);
}

bool PictureOpening::IsSupportedExt(const std::wstring& extension) const {
  return core::PatternListMentions(BuildPatternList(), extension);
}

win::Picture PictureOpening::LoadPictureFile(const std::wstring& fileName) const {
  return plugins::LoadPictureFile(picture_.PictureFormats(), fileName);
}

void PictureOpening::OpenFile(const std::wstring& fileName) {
  picture_.InstallPicture(LoadPictureFile(fileName));
  window_.SetStatusText(L"ファイル読込が完了しました。");
}

void PictureOpening::Open() {
  const std::wstring patterns = BuildPatternList();
  const std::wstring description = L"画像ﾌｧｲﾙ" + patterns;
  const std::optional<std::wstring> chosen =
      win::ChooseFileToOpen(window_.Owner(), window_.Prompts(), {{description, patterns}});
  if (!chosen) return;
  picture_.SetCurrentFileName(*chosen);
  OpenFile(*chosen);
}

void PictureOpening::DropFiles(HDROP drop) {
  win::UniqueDrop owner(drop);
  const UINT length = DragQueryFileW(drop, 0, nullptr, 0);
  if (length == 0) return;
  std::wstring fileName(length + 1, L'\0');
  DragQueryFileW(drop, 0, fileName.data(), length + 1);
  fileName.resize(length);
  if (!IsSupportedExt(core::ExtensionOf(fileName))) return;
  OpenFile(fileName);
}

void PictureOpening::OpenCommandLineFile(const std::vector<std::wstring>& arguments) {
  if (arguments.empty()) return;
  const std::wstring& fileName = arguments.front();
  if (!IsSupportedExt(core::ExtensionOf(fileName))) return;
  picture_.SetCurrentFileName(fileName);
  OpenFile(fileName);
}

}  // namespace plugins
