#include "edit/Resample.h"

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <vector>

#include "core/Error.h"

namespace edit {
namespace {

// trunc(index x scale), kept within 0 .. count - 1.
int SourceIndex(int index, double scale, int count) {
  const double at = static_cast<double>(index) * scale;
  if (!(at > 0)) return 0;
  return static_cast<int>(std::min<double>(at, count - 1));
}

}  // namespace

std::optional<PixelSize> FitPreview(PixelSize picture, PixelSize area) {
  if (picture.width == 0 || picture.height == 0) return std::nullopt;
  const double byWidth = static_cast<double>(picture.width) / area.width;
  const double byHeight = static_cast<double>(picture.height) / area.height;
  if (byWidth >= byHeight) {
    return PixelSize{area.width,
                     static_cast<int>(static_cast<double>(int64_t{picture.height} * area.width) /
                                      picture.width)};
  }
  return PixelSize{
      static_cast<int>(static_cast<double>(int64_t{picture.width} * area.height) / picture.height),
      area.height};
}

TypedPixels ParseTypedPixels(std::wstring_view text, int fallback) {
  while (!text.empty() && text.front() == L' ') text.remove_prefix(1);
  while (!text.empty() && text.back() == L' ') text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  if (text.empty()) return TypedPixels{fallback, true};
  // Digits beyond the largest number accepted only keep it beyond.
  int64_t magnitude = 0;
  for (const wchar_t c : text) {
    if (c < L'0' || c > L'9') return TypedPixels{fallback, true};
    magnitude = std::min<int64_t>(magnitude * 10 + (c - L'0'), int64_t{kMaxTypedPixels} + 1);
  }
  const int64_t value = negative ? -magnitude : magnitude;
  const int held = static_cast<int>(std::clamp<int64_t>(value, kMinTypedPixels, kMaxTypedPixels));
  return TypedPixels{held, held != value};
}

std::optional<PixelSize> SpecifiedSize(PixelSize picture, bool heightMode, int pixels) {
  if (picture.width == 0 || picture.height == 0) return std::nullopt;
  if (!heightMode) {
    return PixelSize{
        pixels, static_cast<int>(static_cast<double>(picture.height) / picture.width * pixels)};
  }
  return PixelSize{static_cast<int>(static_cast<double>(picture.width) / picture.height * pixels),
                   pixels};
}

double SamplingScale(PixelSize picture, PixelSize preview, int areaWidth) {
  if (preview.width > areaWidth) return static_cast<double>(picture.width) / preview.width;
  return static_cast<double>(picture.height) / preview.height;
}

void Resample(const core::Dib& source, core::Dib& target, double scale) {
  if (source.BitCount() != 24 || target.BitCount() != 24 || source.Empty() || target.Empty()) {
    throw core::Error("リサイズできない画像です。");
  }
  const int width = target.Width();
  // The byte offset of each destination column's source pixel, computed once for every row.
  std::vector<size_t> columnOffsets(static_cast<size_t>(width));
  for (int c = 0; c < width; ++c) {
    columnOffsets[static_cast<size_t>(c)] =
        static_cast<size_t>(SourceIndex(c, scale, source.Width())) * 3;
  }
  const size_t rowBytes = static_cast<size_t>(width) * 3;
  // Columns copied four bytes at a time: each store's fourth byte is overwritten by the next pixel,
  // so the last column is left out, and so are columns whose source is the last source pixel
  // (its fourth byte may lie past the picture's memory).
  const size_t sourceRowBytes = static_cast<size_t>(source.Width()) * 3;
  int wideColumns = 0;
  while (wideColumns + 1 < width &&
         columnOffsets[static_cast<size_t>(wideColumns)] + 4 <= sourceRowBytes) {
    ++wideColumns;
  }
  int previousSourceRow = -1;
  for (int r = 0; r < target.Height(); ++r) {  // bottom-up rows: r = 0 is the bottom row
    const int sourceRow = SourceIndex(r, scale, source.Height());
    uint8_t* out = target.Bits() + target.Stride() * static_cast<size_t>(r);
    if (sourceRow == previousSourceRow) {
      // Enlarging repeats source rows: the row is the one just made.
      std::memcpy(out, out - target.Stride(), rowBytes);
      continue;
    }
    previousSourceRow = sourceRow;
    const uint8_t* in = source.Bits() + source.Stride() * static_cast<size_t>(sourceRow);
    const size_t* offset = columnOffsets.data();
    int c = 0;
    for (; c < wideColumns; ++c, out += 3) std::memcpy(out, in + *offset++, 4);
    for (; c < width; ++c, out += 3) std::memcpy(out, in + *offset++, 3);
  }
}

}  // namespace edit
