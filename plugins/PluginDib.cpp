#include "plugins/PluginDib.h"

#include <cstring>
#include <string>

#include "core/BmpFormat.h"
#include "core/Dib.h"
#include "core/Error.h"

namespace plugins {
namespace {

using core::bmp::Get16;
using core::bmp::Get32;
using core::bmp::kInfoHeaderSize;

[[noreturn]] void Refuse(std::string_view pluginName, const std::string& reason) {
  throw RefusedPicture(pluginName, reason);
}

constexpr size_t kMasksSize = 12;  // red, green and blue, after the header

bool ValidBitCount(int bits) {
  return bits == 1 || bits == 4 || bits == 8 || bits == 16 || bits == 24 || bits == 32;
}

}  // namespace

RefusedPicture::RefusedPicture(std::string_view pluginName, const std::string& reason)
    : core::Error("Susie Plugin [" + std::string(pluginName) +
                  "] の返した画像は使えません: " + reason) {}

core::Dib DecodePluginDib(std::span<const uint8_t> info, std::span<const uint8_t> bits,
                          std::string_view pluginName) {
  if (info.size() < kInfoHeaderSize) {
    Refuse(pluginName, "情報ブロックが " + std::to_string(info.size()) + " バイトしかありません");
  }
  const uint32_t headerSize = Get32(&info[0]);
  const int64_t width = static_cast<int32_t>(Get32(&info[4]));
  const int64_t height = static_cast<int32_t>(Get32(&info[8]));
  const int bitCount = Get16(&info[14]);
  const uint32_t compression = Get32(&info[16]);
  const uint32_t colorsUsed = Get32(&info[32]);
  if (headerSize != kInfoHeaderSize) {
    Refuse(pluginName, "ヘッダーのサイズが " + std::to_string(headerSize) + " バイトです");
  }
  const bool bitFields = compression == core::bmp::kBitFields && (bitCount == 16 || bitCount == 32);
  if (compression != core::bmp::kRgb && !bitFields) {
    Refuse(pluginName, "圧縮された画像です (圧縮形式 " + std::to_string(compression) + ")");
  }
  if (!ValidBitCount(bitCount)) {
    Refuse(pluginName, "ビット数が不正です (" + std::to_string(bitCount) + ")");
  }
  core::ChannelMasks masks = core::DefaultMasks(bitCount);
  if (bitFields) {
    // Without its masks a bit-field picture has no colours to give: refused, not guessed.
    if (info.size() < kInfoHeaderSize + kMasksSize) {
      Refuse(pluginName, "ビットフィールドのマスクがありません");
    }
    masks = {Get32(&info[kInfoHeaderSize]), Get32(&info[kInfoHeaderSize + 4]),
             Get32(&info[kInfoHeaderSize + 8])};
    if (masks == core::ChannelMasks{}) Refuse(pluginName, "ビットフィールドのマスクがありません");
    if (!core::bmp::ValidMask(masks.red, bitCount) ||
        !core::bmp::ValidMask(masks.green, bitCount) ||
        !core::bmp::ValidMask(masks.blue, bitCount)) {
      Refuse(pluginName, "ビットフィールドのマスクが不正です");
    }
  }
  const int64_t rows = height < 0 ? -height : height;
  const int64_t imageSize = core::DibImageSize(width, rows, bitCount);
  if (imageSize < 0) {
    Refuse(pluginName, "画像の大きさが不正か、大きすぎます (" + std::to_string(width) + " x " +
                           std::to_string(height) + ")");
  }
  int64_t colors = colorsUsed;
  if (colors == 0 && bitCount <= 8) colors = int64_t{1} << bitCount;
  const int64_t maxColors = bitCount <= 8 ? int64_t{1} << bitCount : 256;
  if (colors > maxColors) {
    Refuse(pluginName, "色数が不正です (" + std::to_string(colorsUsed) + ")");
  }
  const int64_t infoBytes =
      static_cast<int64_t>(kInfoHeaderSize + (bitFields ? kMasksSize : 0)) + 4 * colors;
  if (static_cast<int64_t>(info.size()) < infoBytes) {
    Refuse(pluginName, "情報ブロックが " + std::to_string(info.size()) + " バイトしかありません (" +
                           std::to_string(infoBytes) + " バイト必要)");
  }
  if (static_cast<int64_t>(bits.size()) < imageSize) {
    Refuse(pluginName, "画素データが " + std::to_string(bits.size()) + " バイトしかありません (" +
                           std::to_string(imageSize) + " バイト必要)");
  }

  core::Dib dib(static_cast<int>(width), static_cast<int>(rows), bitCount, core::Dib::Fill::None);
  const size_t stride = dib.Stride();
  for (int64_t y = 0; y < rows; ++y) {  // y counts the stored rows from the bottom
    const int64_t source = height < 0 ? rows - 1 - y : y;
    std::memcpy(dib.Bits() + stride * static_cast<size_t>(y),
                bits.data() + stride * static_cast<size_t>(source), stride);
  }
  dib.Masks() = masks;
  if (bitCount <= 8) {
    dib.Palette().resize(static_cast<size_t>(colors));
    std::memcpy(dib.Palette().data(), info.data() + kInfoHeaderSize,
                static_cast<size_t>(4 * colors));
  }
  dib.xPelsPerMeter = static_cast<int32_t>(Get32(&info[24]));
  dib.yPelsPerMeter = static_cast<int32_t>(Get32(&info[28]));
  return dib;
}

}  // namespace plugins
