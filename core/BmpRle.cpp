#include "core/BmpRle.h"

#include <algorithm>
#include <cstddef>

#include "core/Error.h"

namespace core::bmp {

namespace {

[[noreturn]] void Truncated() {
  throw Error("BMPファイルが壊れています: RLEデータが途中で切れています");
}

// Writes pixels at a moving position; anything outside the picture is dropped.
class RleCanvas {
 public:
  explicit RleCanvas(Dib& dib)
      : dib_(dib), width_(dib.Width()), height_(dib.Height()), four_(dib.BitCount() == 4) {}

  bool Done() const { return y_ >= height_; }
  void NextLine() {
    x_ = 0;
    ++y_;
  }
  void Move(int dx, int dy) {
    x_ += dx;
    y_ += dy;
  }
  // Pixel `i` of a run or literal block whose data byte is `value` (RLE4 packs two per byte).
  uint8_t Index(uint8_t value, int i) const {
    if (!four_) return value;
    return (i & 1) != 0 ? static_cast<uint8_t>(value & 0x0F) : static_cast<uint8_t>(value >> 4);
  }
  void Put(uint8_t index) {
    if (x_ < width_ && y_ < height_) {
      uint8_t* row =
          dib_.Bits() + dib_.Stride() * static_cast<size_t>(y_);  // y_ counts from the bottom
      if (four_) {
        uint8_t& byte = row[x_ >> 1];
        byte = (x_ & 1) != 0 ? static_cast<uint8_t>((byte & 0xF0) | index)
                             : static_cast<uint8_t>((byte & 0x0F) | (index << 4));
      } else {
        row[x_] = index;
      }
    }
    ++x_;
  }

 private:
  Dib& dib_;
  int64_t width_;
  int64_t height_;
  bool four_;
  int64_t x_ = 0;
  int64_t y_ = 0;
};

}  // namespace

void DecodeRle(std::span<const uint8_t> data, Dib& dib) {
  RleCanvas canvas(dib);
  size_t pos = 0;
  while (!canvas.Done()) {
    if (data.size() - pos < 2) Truncated();
    const uint8_t count = data[pos];
    const uint8_t value = data[pos + 1];
    pos += 2;
    if (count > 0) {  // a run of `count` pixels
      for (int i = 0; i < count; ++i) canvas.Put(canvas.Index(value, i));
      continue;
    }
    switch (value) {
      case 0:
        canvas.NextLine();
        break;
      case 1:
        return;  // end of bitmap
      case 2:
        if (data.size() - pos < 2) Truncated();
        canvas.Move(data[pos], data[pos + 1]);
        pos += 2;
        break;
      default: {  // `value` literal pixels, padded to a 16-bit boundary
        const bool four = dib.BitCount() == 4;
        const size_t bytes = four ? (size_t{value} + 1) / 2 : size_t{value};
        if (data.size() - pos < bytes) Truncated();
        for (int i = 0; i < value; ++i) canvas.Put(canvas.Index(data[pos + (four ? i / 2 : i)], i));
        pos += std::min(data.size() - pos, (bytes + 1) & ~size_t{1});
        break;
      }
    }
  }
}

}  // namespace core::bmp
