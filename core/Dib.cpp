#include "core/Dib.h"

#include <cstring>

#include "core/Error.h"

namespace core {

ChannelMasks DefaultMasks(int bitCount) {
  if (bitCount == 16) return {0x7C00, 0x03E0, 0x001F};
  if (bitCount == 32) return {0x00FF0000, 0x0000FF00, 0x000000FF};
  return {};
}

static bool ValidBitCount(int bitCount) {
  return bitCount == 1 || bitCount == 4 || bitCount == 8 || bitCount == 16 || bitCount == 24 ||
         bitCount == 32;
}

int64_t DibStride(int64_t width, int bitCount) {
  if (width <= 0 || width > kMaxDimension || !ValidBitCount(bitCount)) return -1;
  const int64_t bits = width * bitCount;  // at most 65535 * 32: no overflow in 64 bits
  return ((bits + 31) / 32) * 4;
}

int64_t DibImageSize(int64_t width, int64_t height, int bitCount) {
  const int64_t stride = DibStride(width, bitCount);
  if (stride < 0 || height <= 0 || height > kMaxDimension) return -1;
  const int64_t size = stride * height;  // at most ~2^18 * 2^16: no overflow in 64 bits
  return size > kMaxPixelBytes ? -1 : size;
}

Dib::Dib(int width, int height, int bitCount, Fill fill) {
  const int64_t size = DibImageSize(width, height, bitCount);
  if (size < 0) {
    throw Error("画像のサイズが不正か、大きすぎます (" + std::to_string(width) + " x " +
                std::to_string(height) + ", " + std::to_string(bitCount) + " bpp)");
  }
  const auto bytes = static_cast<size_t>(size);
  owned_.reset(fill == Fill::Zero ? new uint8_t[bytes]() : new uint8_t[bytes]);
  bits_ = owned_.get();
  width_ = width;
  height_ = height;
  bitCount_ = bitCount;
  stride_ = static_cast<size_t>(DibStride(width, bitCount));
  masks_ = DefaultMasks(bitCount);
}

Dib Dib::View(uint8_t* bits, int width, int height, int bitCount) {
  if (bits == nullptr || DibImageSize(width, height, bitCount) < 0) {
    throw Error("画像のサイズが不正です");
  }
  Dib view;
  view.bits_ = bits;
  view.width_ = width;
  view.height_ = height;
  view.bitCount_ = bitCount;
  view.stride_ = static_cast<size_t>(DibStride(width, bitCount));
  view.masks_ = DefaultMasks(bitCount);
  return view;
}

Dib Dib::Clone() const {
  if (Empty()) return {};
  Dib copy(width_, height_, bitCount_);
  std::memcpy(copy.bits_, bits_, ImageSize());
  copy.palette_ = palette_;
  copy.masks_ = masks_;
  copy.xPelsPerMeter = xPelsPerMeter;
  copy.yPelsPerMeter = yPelsPerMeter;
  return copy;
}

}  // namespace core
