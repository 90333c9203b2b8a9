#include "core/MetafileDib.h"

#include <algorithm>

namespace core::metafile {
namespace {

constexpr uint32_t kCoreHeader = 12;
constexpr uint32_t kInfoHeader = 40;
constexpr uint32_t kRgb = 0;
constexpr uint32_t kBitFields = 3;
constexpr uint32_t kPaletteColors = 1;  // DIB_PAL_COLORS: the table holds palette indices
constexpr int64_t kMaxSide = 65535;
// 64 million pixels: a quarter of a gigabyte once GDI converts them to 32 bits.
constexpr double kMaxPixels = 64.0 * 1024 * 1024;

}  // namespace

DibLayout CheckDibHeader(const Record& record, uint64_t at, uint64_t available, uint32_t usage) {
  auto fail = [&] { record.Fail(MetafileFault::Bitmap); };
  if (available < 4 || usage > kPaletteColors) fail();
  record.Need(at, available);
  const uint32_t size = record.U32(at);
  if (size != kCoreHeader && size != kInfoHeader && size != 52 && size != 56 && size != 108 &&
      size != 124) {
    fail();
  }
  if (available < size) fail();
  int64_t width = 0, height = 0;
  uint32_t planes = 0, bitCount = 0, compression = kRgb, colorsUsed = 0;
  if (size == kCoreHeader) {
    width = record.U16(at + 4);
    height = record.U16(at + 6);
    planes = record.U16(at + 8);
    bitCount = record.U16(at + 10);
  } else {
    width = record.S32(at + 4);
    height = record.S32(at + 8);
    planes = record.U16(at + 12);
    bitCount = record.U16(at + 14);
    compression = record.U32(at + 16);
    colorsUsed = record.U32(at + 32);
  }
  height = height < 0 ? -height : height;
  if (planes != 1 || width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide) fail();
  if (bitCount != 1 && bitCount != 4 && bitCount != 8 && bitCount != 16 && bitCount != 24 &&
      bitCount != 32) {
    fail();
  }
  // Run-length, JPEG and PNG bitmaps are refused: their rows cannot be checked before decoding.
  if (compression != kRgb && !(compression == kBitFields && (bitCount == 16 || bitCount == 32))) {
    fail();
  }
  const uint32_t tableMax = bitCount <= 8 ? 1u << bitCount : 256;
  if (colorsUsed > tableMax) fail();
  const uint64_t colors = colorsUsed != 0 ? colorsUsed : (bitCount <= 8 ? 1u << bitCount : 0);
  const uint64_t entry = usage == kPaletteColors ? 2 : (size == kCoreHeader ? 3 : 4);
  const uint64_t masks = compression == kBitFields ? 12 : 0;
  DibLayout layout;
  layout.headerBytes =
      (size == kCoreHeader ? size : std::max<uint64_t>(size, kInfoHeader + masks)) + colors * entry;
  if (layout.headerBytes > available) fail();
  const uint64_t stride = (static_cast<uint64_t>(width) * bitCount + 31) / 32 * 4;
  layout.bitsBytes = stride * static_cast<uint64_t>(height);
  layout.pixels = static_cast<double>(width) * static_cast<double>(height);
  layout.height = height;
  if (layout.pixels > kMaxPixels) fail();
  return layout;
}

DibLayout CheckPackedDib(const Record& record, uint64_t at, uint32_t usage) {
  if (at > record.Size()) record.Fail(MetafileFault::RecordSize);
  const uint64_t available = record.Size() - at;
  const DibLayout layout = CheckDibHeader(record, at, available, usage);
  if (layout.bitsBytes > available - layout.headerBytes) record.Fail(MetafileFault::Bitmap);
  return layout;
}

}  // namespace core::metafile
