#include "output/PictureSaver.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "core/BmpCodec.h"
#include "core/Convert24.h"
#include "core/JpegCodec.h"
#include "core/PathRules.h"
#include "win/Files.h"

namespace output {
namespace {

constexpr wchar_t kSaveFilter[] = L"jpegﾌｧｲﾙ\0*.jpg\0bmpﾌｧｲﾙ\0*.bmp\0";
constexpr DWORD kJpegEntry = 1;

std::vector<uint8_t> EncodeAsJpeg(const core::Dib& pixels, int32_t comp) {
  const int quality = core::JpegQualityFromSetting(comp);
  if (pixels.BitCount() == 24) return core::EncodeJpeg(pixels, quality);
  return core::EncodeJpeg(core::ConvertTo24(pixels), quality);
}

}  // namespace

void PictureSaver::Save() {
  if (host_.PictureState() != 2) {
    host_.Refuse();
    return;
  }
  std::wstring buffer = dialogFileName_;
  buffer.resize(std::max<size_t>(buffer.size() + 1, 32768), L'\0');
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = host_.Owner();
  request.lpstrFilter = kSaveFilter;
  request.nFilterIndex = dialogFilterIndex_;
  request.lpstrFile = buffer.data();
  request.nMaxFile = static_cast<DWORD>(buffer.size());
  request.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
  if (!host_.Prompts().GetSaveFileName(request)) return;
  buffer.resize(wcslen(buffer.c_str()));
  dialogFileName_ = buffer;
  dialogFilterIndex_ = request.nFilterIndex;

  std::wstring fileName = buffer;
  const bool jpeg = request.nFilterIndex == kJpegEntry;
  if (!core::HasExtension(fileName)) fileName += jpeg ? L".jpg" : L".bmp";
  host_.SetCurrentFileName(fileName);
  GdiFlush();
  const core::Dib& pixels = host_.Picture().Pixels();
  win::WriteFileReplacing(
      fileName, jpeg ? EncodeAsJpeg(pixels, host_.Settings().comp) : core::WriteBmp(pixels));
  host_.SetStatusText(L"ファイル保存が完了しました。");
}

}  // namespace output
