#pragma once
// A device-independent bitmap with the memory layout of a Windows DIB: rows bottom-up, each row
// padded to 4 bytes, 1/4/8/16/24/32 bits per pixel, a colour table for up to 8 bits per pixel and
// channel masks for 16 and 32 bits. A Dib either owns its pixels or is a view of memory owned by
// someone else (a DIB section), so GDI and our own code can work on the same pixels.

#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

namespace core {

struct RgbQuad {  // same layout as the Windows RGBQUAD
  uint8_t blue = 0;
  uint8_t green = 0;
  uint8_t red = 0;
  uint8_t reserved = 0;
  friend bool operator==(const RgbQuad&, const RgbQuad&) = default;
};

// Channel masks of a 16- or 32-bit pixel. The defaults are those Windows uses without BI_BITFIELDS.
struct ChannelMasks {
  uint32_t red = 0;
  uint32_t green = 0;
  uint32_t blue = 0;
  friend bool operator==(const ChannelMasks&, const ChannelMasks&) = default;
};
ChannelMasks DefaultMasks(int bitCount);  // 5-5-5 for 16, 8-8-8 for 32, zero otherwise

// A picture without its pixels: what it takes to allocate memory for them, here or as a DIB
// section, and to describe them to GDI.
struct DibFormat {
  int width = 0;
  int height = 0;
  int bitCount = 0;
  std::vector<RgbQuad> palette;  // the colour table of a 1/4/8-bit picture
  ChannelMasks masks;            // of a 16/32-bit picture; all zero for the defaults
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
};

// Largest picture we accept anywhere: every dimension and the byte size are checked against these
// before memory is allocated, so hostile headers cannot make us allocate gigabytes.
inline constexpr int64_t kMaxDimension = 65535;
inline constexpr int64_t kMaxPixelBytes = int64_t{1} << 30;  // 1 GiB of pixel data

// Bytes of one row of `width` pixels at `bitCount` bits, padded to 4; -1 if it does not fit
// kMaxPixelBytes. Never overflows for any int inputs.
int64_t DibStride(int64_t width, int bitCount);
// Total pixel bytes, or -1 when the dimensions are invalid or exceed the limits above.
int64_t DibImageSize(int64_t width, int64_t height, int bitCount);

class Dib {
 public:
  // Whether new pixels start as zero, or are left for a decoder that writes every byte itself
  // (saving a pass over a large picture).
  enum class Fill { Zero, None };

  Dib() = default;
  // Allocates the pixels; throws core::Error when the size is invalid or too large.
  Dib(int width, int height, int bitCount, Fill fill = Fill::Zero);
  // A view of pixels owned elsewhere (bottom-up rows at DibStride). The memory must outlive the
  // view.
  static Dib View(uint8_t* bits, int width, int height, int bitCount);

  Dib(Dib&&) noexcept = default;
  Dib& operator=(Dib&&) noexcept = default;
  Dib(const Dib&) = delete;
  Dib& operator=(const Dib&) = delete;
  Dib Clone() const;  // an owning deep copy

  bool Empty() const { return bits_ == nullptr; }
  int Width() const { return width_; }
  int Height() const { return height_; }
  int BitCount() const { return bitCount_; }
  size_t Stride() const { return stride_; }
  size_t ImageSize() const { return stride_ * static_cast<size_t>(height_); }

  uint8_t* Bits() { return bits_; }
  const uint8_t* Bits() const { return bits_; }
  // Row y counted from the top of the picture (y = 0 is the top row).
  uint8_t* Row(int y) { return bits_ + stride_ * static_cast<size_t>(height_ - 1 - y); }
  const uint8_t* Row(int y) const { return bits_ + stride_ * static_cast<size_t>(height_ - 1 - y); }

  std::vector<RgbQuad>& Palette() { return palette_; }
  const std::vector<RgbQuad>& Palette() const { return palette_; }
  ChannelMasks& Masks() { return masks_; }
  const ChannelMasks& Masks() const { return masks_; }
  // True when the masks differ from DefaultMasks (the file or clipboard needs BI_BITFIELDS).
  bool HasCustomMasks() const { return masks_ != DefaultMasks(bitCount_); }

  // Resolution in pixels per metre, kept so a picture read from a BMP is written back unchanged.
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;

 private:
  std::unique_ptr<uint8_t[]> owned_;
  uint8_t* bits_ = nullptr;
  int width_ = 0;
  int height_ = 0;
  int bitCount_ = 0;
  size_t stride_ = 0;
  std::vector<RgbQuad> palette_;
  ChannelMasks masks_;
};

}  // namespace core
