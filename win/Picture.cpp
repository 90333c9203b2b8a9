#include "win/Picture.h"

#include <algorithm>
#include <cstring>
#include <string>

#include "core/Convert24.h"
#include "core/Error.h"

namespace win {
UniquePalette MakePalette(const std::vector<core::RgbQuad>& colours) {
  if (colours.empty()) return {};
  std::vector<uint8_t> storage(sizeof(LOGPALETTE) + colours.size() * sizeof(PALETTEENTRY));
  auto* log = reinterpret_cast<LOGPALETTE*>(storage.data());
  log->palVersion = 0x300;
  log->palNumEntries = static_cast<WORD>(colours.size());
  for (size_t i = 0; i < colours.size(); ++i) {
    log->palPalEntry[i] = PALETTEENTRY{colours[i].red, colours[i].green, colours[i].blue, 0};
  }
  return UniquePalette(CreatePalette(log));
}

std::vector<uint8_t> MakeBitmapInfo(const core::Dib& dib) {
  return MakeBitmapInfo(dib.Width(), dib.Height(), dib.BitCount(), dib.Palette(), dib.Masks(),
                        dib.xPelsPerMeter, dib.yPelsPerMeter);
}

std::vector<uint8_t> MakeBitmapInfo(int width, int height, int bitCount,
                                    const std::vector<core::RgbQuad>& palette,
                                    const core::ChannelMasks& channelMasks, int32_t xPelsPerMeter,
                                    int32_t yPelsPerMeter) {
  const bool masks =
      (bitCount == 16 || bitCount == 32) && channelMasks != core::DefaultMasks(bitCount);
  const size_t extra = masks ? 3 * sizeof(DWORD) : palette.size() * sizeof(RGBQUAD);
  std::vector<uint8_t> info(sizeof(BITMAPINFOHEADER) + extra);
  auto* header = reinterpret_cast<BITMAPINFOHEADER*>(info.data());
  header->biSize = sizeof(BITMAPINFOHEADER);
  header->biWidth = width;
  header->biHeight = height;
  header->biPlanes = 1;
  header->biBitCount = static_cast<WORD>(bitCount);
  header->biCompression = masks ? BI_BITFIELDS : BI_RGB;
  header->biSizeImage =
      static_cast<DWORD>(std::max<int64_t>(0, core::DibImageSize(width, height, bitCount)));
  header->biXPelsPerMeter = xPelsPerMeter;
  header->biYPelsPerMeter = yPelsPerMeter;
  header->biClrUsed = masks ? 0 : static_cast<DWORD>(palette.size());
  uint8_t* tail = info.data() + sizeof(BITMAPINFOHEADER);
  if (masks) {
    const DWORD values[3] = {channelMasks.red, channelMasks.green, channelMasks.blue};
    std::memcpy(tail, values, sizeof values);
  } else if (!palette.empty()) {
    std::memcpy(tail, palette.data(), extra);
  }
  return info;
}

Picture Picture::CreateSection(int width, int height, int bitCount,
                               const std::vector<core::RgbQuad>& palette,
                               const core::ChannelMasks& masks) {
  if (core::DibImageSize(width, height, bitCount) < 0) {
    throw core::Error("画像のサイズが不正か、大きすぎます (" + std::to_string(width) + " x " +
                      std::to_string(height) + ")。");
  }
  std::vector<uint8_t> info = MakeBitmapInfo(width, height, bitCount, palette, masks, 0, 0);
  void* bits = nullptr;
  Picture picture;
  picture.bitmap_.reset(CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(info.data()),
                                         DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!picture.bitmap_ || bits == nullptr) {
    throw core::Error("画像用のメモリを確保できません (" + std::to_string(width) + " x " +
                      std::to_string(height) + ")。");
  }
  picture.pixels_ = core::Dib::View(static_cast<uint8_t*>(bits), width, height, bitCount);
  picture.pixels_.Palette() = palette;
  picture.pixels_.Masks() = masks;
  picture.palette_ = MakePalette(palette);
  return picture;
}

Picture Picture::Create(const core::DibFormat& format) {
  const core::ChannelMasks masks =
      format.masks == core::ChannelMasks{} ? core::DefaultMasks(format.bitCount) : format.masks;
  Picture picture =
      CreateSection(format.width, format.height, format.bitCount, format.palette, masks);
  picture.pixels_.xPelsPerMeter = format.xPelsPerMeter;
  picture.pixels_.yPelsPerMeter = format.yPelsPerMeter;
  return picture;
}

Picture Picture::FromDib(const core::Dib& dib) {
  Picture picture = Create({dib.Width(), dib.Height(), dib.BitCount(), dib.Palette(), dib.Masks(),
                            dib.xPelsPerMeter, dib.yPelsPerMeter});
  std::memcpy(picture.pixels_.Bits(), dib.Bits(), dib.ImageSize());
  return picture;
}

void Picture::ConvertTo24() {
  if (Empty() || pixels_.BitCount() == 24) return;
  GdiFlush();
  Picture converted = CreateSection(Width(), Height(), 24, {}, core::DefaultMasks(24));
  converted.pixels_.xPelsPerMeter = pixels_.xPelsPerMeter;
  converted.pixels_.yPelsPerMeter = pixels_.yPelsPerMeter;
  core::ConvertTo24(pixels_, converted.pixels_);
  *this = std::move(converted);
}

void Picture::Draw(HDC dc, int x, int y) const {
  if (Empty()) return;
  UniqueMemoryDc memory(CreateCompatibleDC(dc));
  Selection select(memory.get(), bitmap_.get());
  BitBlt(dc, x, y, Width(), Height(), memory.get(), 0, 0, SRCCOPY);
}

}  // namespace win
