// Reads BMP files and packed DIBs into a bottom-up Dib. Every offset and size comes from the input,
// so all of them are checked in int64_t arithmetic against the data and the limits of Dib.h before
// anything is allocated or read.

#include <algorithm>
#include <bit>
#include <cstring>
#include <optional>
#include <string>

#include "core/BmpCodec.h"
#include "core/BmpFormat.h"
#include "core/BmpRle.h"
#include "core/Error.h"

namespace core {

namespace {

using namespace bmp;

[[noreturn]] void Corrupt(const std::string& reason) {
  throw Error("BMPファイルが壊れています: " + reason);
}
[[noreturn]] void Unsupported(const std::string& reason) {
  throw Error("このBMP形式には対応していません: " + reason);
}

// The fields of any of the header variants, widened to one form.
struct DibHeader {
  int64_t headerSize = 0;
  bool os2Core = false;  // 12-byte header, 3-byte palette entries, 16-bit dimensions
  bool os2v2 = false;    // 16..64-byte header other than the Windows sizes
  int64_t width = 0;
  int64_t height = 0;  // absolute value
  bool topDown = false;
  int planes = 0;
  int bitCount = 0;
  uint32_t compression = kRgb;
  int32_t xPelsPerMeter = 0;
  int32_t yPelsPerMeter = 0;
  uint32_t colorsUsed = 0;
};

bool IsWindowsHeaderSize(int64_t size) {
  return size == 40 || size == 52 || size == 56 || size == 108 || size == 124;
}

DibHeader ParseHeader(std::span<const uint8_t> data, size_t pos) {
  if (data.size() - pos < 4) Corrupt("ヘッダーが途中で切れています");
  DibHeader h;
  h.headerSize = Get32(&data[pos]);
  h.os2Core = h.headerSize == int64_t{kCoreHeaderSize};
  h.os2v2 = h.headerSize >= 16 && h.headerSize <= 64 && !IsWindowsHeaderSize(h.headerSize);
  if (!h.os2Core && !h.os2v2 && !IsWindowsHeaderSize(h.headerSize)) {
    Corrupt("ヘッダーのサイズが不正です (" + std::to_string(h.headerSize) + " バイト)");
  }
  if (static_cast<int64_t>(data.size() - pos) < h.headerSize)
    Corrupt("ヘッダーが途中で切れています");
  const uint8_t* p = &data[pos];
  if (h.os2Core) {
    h.width = Get16(p + 4);
    h.height = Get16(p + 6);
    h.planes = Get16(p + 8);
    h.bitCount = Get16(p + 10);
    return h;
  }
  // OS/2 2.x headers may stop after any field; the missing ones are zero.
  uint8_t info[kInfoHeaderSize] = {};
  std::memcpy(info, p, static_cast<size_t>(std::min<int64_t>(h.headerSize, kInfoHeaderSize)));
  h.width = static_cast<int32_t>(Get32(info + 4));
  const int64_t height = static_cast<int32_t>(Get32(info + 8));
  h.topDown = height < 0;
  h.height = height < 0 ? -height : height;
  h.planes = Get16(info + 12);
  h.bitCount = Get16(info + 14);
  h.compression = Get32(info + 16);
  h.xPelsPerMeter = static_cast<int32_t>(Get32(info + 24));
  h.yPelsPerMeter = static_cast<int32_t>(Get32(info + 28));
  h.colorsUsed = Get32(info + 32);
  return h;
}

bool IsBitFields(uint32_t compression) {
  return compression == kBitFields || compression == kAlphaBitFields;
}

void Validate(const DibHeader& h) {
  if (h.os2v2 && h.compression == kBitFields) Unsupported("OS/2 のハフマン圧縮");
  if (h.os2v2 && h.compression == kJpeg) Unsupported("OS/2 のRLE24圧縮");
  if (h.compression == kJpeg) Unsupported("JPEG圧縮");
  if (h.compression == kPng) Unsupported("PNG圧縮");
  if (h.os2v2 && IsBitFields(h.compression)) Unsupported("OS/2 ヘッダーのビットフィールド");
  if (h.compression > kAlphaBitFields) {
    Unsupported("圧縮形式 " + std::to_string(h.compression));
  }
  if (h.planes != 1) Corrupt("プレーン数が不正です (" + std::to_string(h.planes) + ")");
  const int bits = h.bitCount;
  if (bits == 64) Unsupported("64ビットカラー");
  if (bits != 1 && bits != 2 && bits != 4 && bits != 8 && bits != 16 && bits != 24 && bits != 32) {
    Corrupt("ビット数が不正です (" + std::to_string(bits) + ")");
  }
  if ((h.compression == kRle8 && bits != 8) || (h.compression == kRle4 && bits != 4) ||
      (IsBitFields(h.compression) && bits != 16 && bits != 32)) {
    Corrupt("圧縮形式とビット数が合いません");
  }
  if (h.width <= 0 || h.height <= 0) Corrupt("画像の幅か高さが 0 以下です");
  if (h.topDown && (h.compression == kRle8 || h.compression == kRle4)) {
    Corrupt("RLE圧縮の画像は上から下への並びにできません");
  }
}

// Bit count of the Dib we decode into: 2-bit pictures are widened to 4 bits.
int OutputBitCount(int fileBits) { return fileBits == 2 ? 4 : fileBits; }

// Where the parts of the DIB lie, all as offsets into the data.
struct Layout {
  ChannelMasks masks;
  int64_t paletteStart = 0;
  int64_t paletteEntries = 0;  // entries we read, at most 2^bits
  int64_t bitsStart = 0;
};

// `fileBitsOffset` is the pixel offset of a BMP file header, or nothing for a packed DIB.
Layout LocateParts(std::span<const uint8_t> data, size_t headerPos, const DibHeader& h,
                   std::optional<int64_t> fileBitsOffset) {
  const int64_t size = static_cast<int64_t>(data.size());
  Layout layout;
  layout.masks = DefaultMasks(h.bitCount);
  int64_t masksEnd = static_cast<int64_t>(headerPos) + h.headerSize;
  if (IsBitFields(h.compression)) {
    // Headers of 52 bytes and more hold the masks; after a 40-byte header they follow it.
    int64_t masksPos = static_cast<int64_t>(headerPos) + 40;
    if (h.headerSize == 40) {
      masksEnd += h.compression == kAlphaBitFields ? 16 : 12;
      if (masksEnd > size) Corrupt("カラーマスクが途中で切れています");
    }
    layout.masks = {Get32(&data[static_cast<size_t>(masksPos)]),
                    Get32(&data[static_cast<size_t>(masksPos + 4)]),
                    Get32(&data[static_cast<size_t>(masksPos + 8)])};
    if (!ValidMask(layout.masks.red, h.bitCount) || !ValidMask(layout.masks.green, h.bitCount) ||
        !ValidMask(layout.masks.blue, h.bitCount)) {
      Corrupt("カラーマスクが不正です");
    }
  }

  const int64_t entrySize = h.os2Core ? 3 : 4;
  int64_t declared = h.colorsUsed;  // for 16/24/32 bits an optional table the pixels do not use
  if (h.bitCount <= 8) {
    const int64_t full = int64_t{1} << h.bitCount;
    declared = h.os2Core || h.colorsUsed == 0 ? full : h.colorsUsed;
    layout.paletteEntries = std::min(declared, full);
  }
  layout.paletteStart = masksEnd;
  if (fileBitsOffset && *fileBitsOffset != 0) {
    layout.bitsStart = *fileBitsOffset;
    if (layout.bitsStart < masksEnd) Corrupt("ピクセルデータの位置がヘッダーと重なっています");
    // The pixel offset also bounds the colour table: OS/2 files say its length only this way.
    layout.paletteEntries =
        std::min(layout.paletteEntries, (layout.bitsStart - layout.paletteStart) / entrySize);
  } else {
    layout.bitsStart = layout.paletteStart + declared * entrySize;  // < 2^35: no overflow
  }
  if (h.bitCount <= 8 && layout.paletteEntries == 0) Corrupt("カラーパレットがありません");
  if (layout.paletteStart + layout.paletteEntries * entrySize > size) {
    Corrupt("カラーパレットが途中で切れています");
  }
  if (layout.bitsStart > size) Corrupt("ピクセルデータの位置がファイルの外です");
  return layout;
}

std::vector<RgbQuad> ReadPalette(std::span<const uint8_t> data, const Layout& layout,
                                 bool os2Core) {
  if (layout.paletteEntries == 0) return {};
  std::vector<RgbQuad> palette(static_cast<size_t>(layout.paletteEntries));
  const size_t entrySize = os2Core ? 3 : 4;
  const uint8_t* p = &data[static_cast<size_t>(layout.paletteStart)];
  for (RgbQuad& entry : palette) {
    entry.blue = p[0];
    entry.green = p[1];
    entry.red = p[2];
    entry.reserved = os2Core ? 0 : p[3];
    p += entrySize;
  }
  return palette;
}

// Copies uncompressed rows into `dib`, flipping top-down pictures and widening 2-bit indices.
// `bits` holds at least `srcStride` * height bytes.
void CopyRows(std::span<const uint8_t> bits, int64_t srcStride, int bitCount, bool topDown,
              Dib& dib) {
  const int height = dib.Height();
  const int64_t width = dib.Width();
  for (int y = 0; y < height; ++y) {  // y counts rows from the bottom of the stored picture
    const uint8_t* src = bits.data() + static_cast<size_t>(srcStride) * static_cast<size_t>(y);
    uint8_t* dst = dib.Bits() + dib.Stride() * static_cast<size_t>(topDown ? height - 1 - y : y);
    if (bitCount != 2) {
      std::memcpy(dst, src, dib.Stride());
      continue;
    }
    for (int64_t x = 0; x < width; x += 2) {
      const uint8_t pair =
          static_cast<uint8_t>(src[x / 4] << ((x % 4) * 2));  // next two pixels on top
      dst[x / 2] = static_cast<uint8_t>(((pair >> 6) << 4) | ((pair >> 4) & 0x3));
    }
  }
}

// A new Dib for the decoder's picture; zeroed only where decoding leaves bytes unwritten.
Dib Decode(const BmpDecoder& decoder) {
  const DibFormat& f = decoder.Format();
  Dib dib(f.width, f.height, f.bitCount,
          decoder.WritesEveryByte() ? Dib::Fill::None : Dib::Fill::Zero);
  dib.Palette() = f.palette;
  dib.Masks() = f.masks;
  dib.xPelsPerMeter = f.xPelsPerMeter;
  dib.yPelsPerMeter = f.yPelsPerMeter;
  decoder.DecodeInto(dib);
  return dib;
}

}  // namespace

BmpDecoder::BmpDecoder(std::span<const uint8_t> data, size_t headerPos,
                       std::optional<int64_t> fileBitsOffset) {
  const DibHeader h = ParseHeader(data, headerPos);
  Validate(h);
  const int outBits = OutputBitCount(h.bitCount);
  if (h.width > kMaxDimension || h.height > kMaxDimension ||
      DibImageSize(h.width, h.height, outBits) < 0) {
    throw Error("画像が大きすぎます (" + std::to_string(h.width) + " x " +
                std::to_string(h.height) + ")");
  }
  const Layout layout = LocateParts(data, headerPos, h, fileBitsOffset);
  bits_ = data.subspan(static_cast<size_t>(layout.bitsStart));
  rle_ = h.compression == kRle4 || h.compression == kRle8;
  sourceStride_ = ((h.width * h.bitCount + 31) / 32) * 4;  // width <= 65535: no overflow
  if (!rle_ && static_cast<int64_t>(bits_.size()) / sourceStride_ < h.height) {
    Corrupt("ピクセルデータが途中で切れています");
  }
  bitCount_ = h.bitCount;
  topDown_ = h.topDown;
  format_.width = static_cast<int>(h.width);
  format_.height = static_cast<int>(h.height);
  format_.bitCount = outBits;
  format_.palette = ReadPalette(data, layout, h.os2Core);
  format_.masks = layout.masks;
  format_.xPelsPerMeter = h.xPelsPerMeter;
  format_.yPelsPerMeter = h.yPelsPerMeter;
}

BmpDecoder BmpDecoder::File(std::span<const uint8_t> file) {
  size_t pos = 0;
  // An OS/2 bitmap array holds several versions of a picture; the first one will do.
  if (file.size() >= kFileHeaderSize && file[0] == 'B' && file[1] == 'A') pos = kFileHeaderSize;
  if (file.size() - pos < kFileHeaderSize + 4 || file[pos] != 'B' || file[pos + 1] != 'M') {
    if (file.size() >= 2 && file[0] == 'B' && file[1] == 'M')
      Corrupt("ヘッダーが途中で切れています");
    throw Error("BMPファイルではありません");
  }
  const int64_t bitsOffset = Get32(&file[pos + 10]);
  return BmpDecoder(file, pos + kFileHeaderSize, bitsOffset);
}

BmpDecoder BmpDecoder::PackedDib(std::span<const uint8_t> packed) {
  return BmpDecoder(packed, 0, std::nullopt);
}

void BmpDecoder::DecodeInto(Dib& target) const {
  if (target.Empty() || target.Width() != format_.width || target.Height() != format_.height ||
      target.BitCount() != format_.bitCount) {
    throw Error("BMPの読み込み先の画像が合っていません");
  }
  if (rle_) {
    DecodeRle(bits_, target);
  } else {
    CopyRows(bits_, sourceStride_, bitCount_, topDown_, target);
  }
}

Dib ReadBmp(std::span<const uint8_t> file) { return Decode(BmpDecoder::File(file)); }

Dib ReadPackedDib(std::span<const uint8_t> packed) { return Decode(BmpDecoder::PackedDib(packed)); }

}  // namespace core
