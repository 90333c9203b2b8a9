// The Save command: the picture as JPEG at the configured quality, or as BMP in its own format.
#include "app/win/Unit1.h"
#include "core/BmpCodec.h"
#include "core/Convert24.h"
#include "core/JpegCodec.h"
#include "core/PathRules.h"
#include "win/Files.h"

namespace app {
namespace {

constexpr wchar_t kSaveFilter[] = L"jpegﾌｧｲﾙ\0*.jpg\0bmpﾌｧｲﾙ\0*.bmp\0";
constexpr DWORD kJpegEntry = 1;

std::vector<uint8_t> EncodeAsJpeg(const core::Dib& pixels, int32_t comp) {
  const int quality = core::JpegQualityFromSetting(comp);
  if (pixels.BitCount() == 24) return core::EncodeJpeg(pixels, quality);
  return core::EncodeJpeg(core::ConvertTo24(pixels), quality);
}

}  // namespace

void TForm1::mnuWriteClick() {
  if (PictureState != 2) {
    win::Refuse(prompts_);
    return;
  }
  // The dialog keeps the name and type of the previous save during this run.
  std::wstring buffer = saveDialogFileName_;
  buffer.resize(std::max<size_t>(buffer.size() + 1, 32768), L'\0');
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = Handle();
  request.lpstrFilter = kSaveFilter;
  request.nFilterIndex = saveDialogFilterIndex_;
  request.lpstrFile = buffer.data();
  request.nMaxFile = static_cast<DWORD>(buffer.size());
  request.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
  if (!prompts_.GetSaveFileName(request)) return;
  buffer.resize(wcslen(buffer.c_str()));
  saveDialogFileName_ = buffer;
  saveDialogFilterIndex_ = request.nFilterIndex;
  CurrentFileName = buffer;

  GdiFlush();
  std::vector<uint8_t> bytes;
  if (request.nFilterIndex == kJpegEntry) {
    if (!core::HasExtension(CurrentFileName)) CurrentFileName += L".jpg";
    bytes = EncodeAsJpeg(picture.Pixels(), settings.comp);
  } else {
    if (!core::HasExtension(CurrentFileName)) CurrentFileName += L".bmp";
    bytes = core::WriteBmp(picture.Pixels());
  }
  win::WriteFileReplacing(CurrentFileName, bytes);
  SetStatusText(L"ファイル保存が完了しました。");
}

}  // namespace app
