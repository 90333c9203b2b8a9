#include "plugins/BuiltInFormats.h"

#include "core/BmpCodec.h"
#include "core/JpegCodec.h"
#include "win/Files.h"

namespace plugins {

void RegisterBuiltInFormats(core::PictureFormats& formats) {
  const auto readBmp = [](const std::wstring& fileName) {
    return core::ReadBmp(win::ReadWholeFile(fileName));
  };
  const auto readJpeg = [](const std::wstring& fileName) {
    return core::DecodeJpeg(win::ReadWholeFile(fileName));
  };
  formats.Register({L"bmp", L"ビットマップ", "TBitmap", readBmp});
  // The open dialog offers "*.dib", so a file of that name must open too.
  formats.Register({L"dib", L"ビットマップ", "TBitmap", readBmp});
  formats.Register({L"jpeg", L"JPEG イメージファイル", "TJPEGImage", readJpeg});
  formats.Register({L"jpg", L"JPEG イメージファイル", "TJPEGImage", readJpeg});
}

}  // namespace plugins
