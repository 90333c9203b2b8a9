#include "output/PictureSaver.h"

#include <algorithm>
#include <cwchar>
#include <vector>

#include "core/BmpCodec.h"
#include "core/Convert24.h"
#include "core/JpegCodec.h"
#include "core/PathRules.h"
#include "core/PngCodec.h"
#include "win/Files.h"

namespace output {
namespace {

constexpr wchar_t kSaveFilter[] = L"jpegﾌｧｲﾙ\0*.jpg\0bmpﾌｧｲﾙ\0*.bmp\0pngﾌｧｲﾙ\0*.png\0";
// The filter's entries, counted from 1 as the dialog counts them.
constexpr DWORD kJpegEntry = 1;
constexpr DWORD kPngEntry = 3;

std::vector<uint8_t> EncodeAsJpeg(const core::Dib& pixels, int32_t comp) {
  const int quality = core::JpegQualityFromSetting(comp);
  if (pixels.BitCount() == 24) return core::EncodeJpeg(pixels, quality);
  return core::EncodeJpeg(core::ConvertTo24(pixels), quality);
}

std::vector<uint8_t> EncodeAsPng(const core::Dib& pixels) {
  if (pixels.BitCount() == 24) return core::EncodePng(pixels);
  return core::EncodePng(core::ConvertTo24(pixels));
}

// The file's bytes in the format of the chosen entry, and the extension a name without one gets.
struct Format {
  const wchar_t* extension;
  std::vector<uint8_t> (*encode)(const core::Dib& pixels, int32_t comp);
};
Format FormatOfEntry(DWORD entry) {
  if (entry == kJpegEntry) return {L".jpg", EncodeAsJpeg};
  if (entry == kPngEntry)
    return {L".png", [](const core::Dib& p, int32_t) { return EncodeAsPng(p); }};
  return {L".bmp", [](const core::Dib& p, int32_t) { return core::WriteBmp(p); }};
}

}  // namespace

void PictureSaver::Save() {
  if (!picture_.RequirePicture()) return;
  std::wstring buffer = dialogFileName_;
  buffer.resize(std::max<size_t>(buffer.size() + 1, 32768), L'\0');
  OPENFILENAMEW request{};
  request.lStructSize = sizeof request;
  request.hwndOwner = window_.Owner();
  request.lpstrFilter = kSaveFilter;
  request.nFilterIndex = dialogFilterIndex_;
  request.lpstrFile = buffer.data();
  request.nMaxFile = static_cast<DWORD>(buffer.size());
  request.Flags = OFN_HIDEREADONLY | OFN_EXPLORER | OFN_ENABLESIZING;
  if (!window_.Prompts().GetSaveFileName(request)) return;
  buffer.resize(wcslen(buffer.c_str()));
  dialogFileName_ = buffer;
  dialogFilterIndex_ = request.nFilterIndex;

  std::wstring fileName = buffer;
  const Format format = FormatOfEntry(request.nFilterIndex);
  if (!core::HasExtension(fileName)) fileName += format.extension;
  picture_.SetCurrentFileName(fileName);
  GdiFlush();
  win::WriteFileReplacing(fileName,
                          format.encode(picture_.Picture().Pixels(), window_.Settings().comp));
  window_.SetStatusText(L"ファイル保存が完了しました。");
}

}  // namespace output
