// The PNG writer: our own framing around rows filtered here and compressed by libdeflate.

#include <libdeflate.h>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <exception>
#include <memory>
#include <new>
#include <string_view>
#include <system_error>
#include <thread>

#include "core/Error.h"
#include "core/PngCodec.h"

namespace core {

namespace {

// libdeflate's fastest level: on a screen shot and a photo its output is within 2 % of zlib's
// level 6 (libpng's default) after the same filtering, at a quarter of the time; its higher levels
// gain a percent or two for much more time (measured by capslate_bench).
constexpr int kDeflateLevel = 1;
// Zero bytes before each raw row (see FilterRow).
constexpr size_t kRowLead = 8;
// From this much filtered data on, the rows are filtered by two threads, each half of them: below
// it, starting a thread costs more than it saves.
constexpr size_t kTwoThreadsFrom = size_t{1} << 20;

enum Filter : uint8_t { kNone = 0, kSub = 1, kUp = 2, kAverage = 3, kPaeth = 4 };
constexpr int kFilters = 5;

// Eight bytes, and the same widened to 16 bits: GCC's and Clang's portable vector types, which
// become SSE2 on x86. Compilers do not vectorise the Paeth predictor's choice by themselves.
using Bytes8 = uint8_t __attribute__((vector_size(8)));
using Bytes16 = uint8_t __attribute__((vector_size(16)));
using Shorts8 = int16_t __attribute__((vector_size(16)));

Bytes16 Load16(const uint8_t* from) {
  Bytes16 bytes;
  std::memcpy(&bytes, from, sizeof bytes);
  return bytes;
}
void Store16(uint8_t* to, Bytes16 bytes) { std::memcpy(to, &bytes, sizeof bytes); }

Shorts8 Load8(const uint8_t* from) {
  Bytes8 bytes;
  std::memcpy(&bytes, from, sizeof bytes);
  return __builtin_convertvector(bytes, Shorts8);
}

Shorts8 Abs(Shorts8 v) { return v < 0 ? -v : v; }

// What each filter makes of eight bytes x, given left (a), above (b) and upper left (c); the
// residues are taken modulo 256 when stored. Paeth predicts by whichever of a, b and c is closest
// to a + b - c, preferring them in that order.
struct Residues {
  Shorts8 of[kFilters];
};
Residues Filtered(Shorts8 x, Shorts8 a, Shorts8 b, Shorts8 c) {
  const Shorts8 pa = Abs(b - c), pb = Abs(a - c), pc = Abs(a + b - c - c);
  const Shorts8 paeth = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
  return {{x, x - a, x - b, x - ((a + b) >> 1), x - paeth}};
}

// A residue's distance from zero as a signed byte, 0..128: the smaller the sum over a row, the
// better the row tends to compress (the heuristic libpng uses).
Shorts8 Cost(Shorts8 residue) {
  const Shorts8 wrapped = residue & 0xFF;
  return wrapped < 128 ? wrapped : 256 - wrapped;
}

// Copies a row of blue, green, red pixels as red, green, blue. Five pixels at a time with SSSE3's
// byte shuffle where the processor has it (every x86 processor of the last fifteen years), byte
// by byte elsewhere.
void RgbFromBgrBytewise(const uint8_t* __restrict bgr, uint8_t* __restrict rgb, size_t size) {
  for (size_t i = 0; i < size; i += 3) {
    rgb[i] = bgr[i + 2];
    rgb[i + 1] = bgr[i + 1];
    rgb[i + 2] = bgr[i];
  }
}
#if defined(__x86_64__) || defined(__i386__)
__attribute__((target("ssse3"))) void RgbFromBgrShuffled(const uint8_t* __restrict bgr,
                                                          uint8_t* __restrict rgb, size_t size) {
  const Bytes16 order = {2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15};
  size_t i = 0;
  for (; i + 16 <= size; i += 15) {  // the 16th byte is written again by the next step
    Bytes16 block;
    std::memcpy(&block, bgr + i, sizeof block);
    block = __builtin_shuffle(block, order);
    std::memcpy(rgb + i, &block, sizeof block);
  }
  RgbFromBgrBytewise(bgr + i, rgb + i, size - i);
}
void RgbFromBgr(const uint8_t* bgr, uint8_t* rgb, size_t size) {
  if (__builtin_cpu_supports("ssse3")) {
    RgbFromBgrShuffled(bgr, rgb, size);
  } else {
    RgbFromBgrBytewise(bgr, rgb, size);
  }
}
#else
void RgbFromBgr(const uint8_t* bgr, uint8_t* rgb, size_t size) { RgbFromBgrBytewise(bgr, rgb, size); }
#endif

// Writes the residues of one filter over a row of `size` bytes into `out`, 16 bytes at a time
// where the filter works on bytes alone. The average of two bytes rounded down is computed as
// (a & b) + ((a ^ b) >> 1), which cannot overflow a byte.
void WriteFiltered(Filter filter, const uint8_t* __restrict raw, const uint8_t* __restrict above,
                   size_t size, uint8_t* __restrict out) {
  size_t i = 0;
  switch (filter) {
    case kNone:
      std::memcpy(out, raw, size);
      return;
    case kSub:
      for (; i + 16 <= size; i += 16) Store16(out + i, Load16(raw + i) - Load16(raw + i - 3));
      for (; i < size; ++i) out[i] = static_cast<uint8_t>(raw[i] - raw[i - 3]);
      return;
    case kUp:
      for (; i + 16 <= size; i += 16) Store16(out + i, Load16(raw + i) - Load16(above + i));
      for (; i < size; ++i) out[i] = static_cast<uint8_t>(raw[i] - above[i]);
      return;
    case kAverage:
      // Each byte depends on the one three before it only through the raw row, not the output,
      // so blocks are independent.
      for (; i + 16 <= size; i += 16) {
        const Bytes16 a = Load16(raw + i - 3), b = Load16(above + i);
        Store16(out + i, Load16(raw + i) - ((a & b) + ((a ^ b) >> 1)));
      }
      for (; i < size; ++i) {
        out[i] = static_cast<uint8_t>(raw[i] - ((raw[i - 3] + above[i]) >> 1));
      }
      return;
    case kPaeth:
      break;
  }
  for (; i + 8 <= size; i += 8) {
    const Residues r = Filtered(Load8(raw + i), Load8(raw + i - 3), Load8(above + i),
                                Load8(above + i - 3));
    const Bytes8 bytes = __builtin_convertvector(r.of[kPaeth] & 0xFF, Bytes8);
    std::memcpy(out + i, &bytes, sizeof bytes);
  }
  for (; i < size; ++i) {
    const int a = raw[i - 3], b = above[i], c = above[i - 3];
    const int pa = std::abs(b - c), pb = std::abs(a - c), pc = std::abs(a + b - c - c);
    const int predicted = (pa <= pb && pa <= pc) ? a : (pb <= pc ? b : c);
    out[i] = static_cast<uint8_t>(raw[i] - predicted);
  }
}

// Filters one row of `size` bytes (3 per pixel) into `out`, given the raw row above (all zero for
// the first row), with the filter whose residues cost least, and returns that filter. `raw` and
// `above` start with 8 zero bytes before the row: the left neighbours of the first pixel, and a
// start for loads that reach back. A row equal to the one above (common in screen shots: flat
// backgrounds, margins) is all zeros under Up, which nothing beats. Otherwise the costs are summed
// over one block of 8 bytes in every 4: on screen shots and photos that chooses as well as the
// whole row at a quarter of the work.
Filter FilterRow(const uint8_t* raw, const uint8_t* above, size_t size, uint8_t* out) {
  if (std::memcmp(raw, above, size) == 0) {
    std::memset(out, 0, size);
    return kUp;
  }
  Shorts8 sums[kFilters] = {};
  uint32_t totals[kFilters] = {};
  int sinceFlush = 0;
  const auto flush = [&] {
    for (int f = 0; f < kFilters; ++f) {
      for (int lane = 0; lane < 8; ++lane) totals[f] += static_cast<uint16_t>(sums[f][lane]);
      sums[f] = Shorts8{};
    }
    sinceFlush = 0;
  };
  for (size_t i = 0; i + 8 <= size; i += 32) {
    const Residues r = Filtered(Load8(raw + i), Load8(raw + i - 3), Load8(above + i),
                                Load8(above + i - 3));
    for (int f = 0; f < kFilters; ++f) sums[f] += Cost(r.of[f]);
    // Each 16-bit lane grows by at most 128 a step: empty them before they could overflow.
    if (++sinceFlush == 255) flush();
  }
  flush();
  const Filter best = static_cast<Filter>(std::min_element(totals, totals + kFilters) - totals);
  WriteFiltered(best, raw, above, size, out);
  return best;
}

// Filters rows [first, last) of the picture, top row first, into their places in `filtered`: each
// row is its filter byte and then rowBytes residues.
void FilterRows(const Dib& src24, size_t first, size_t last, uint8_t* filtered) {
  const size_t rowBytes = static_cast<size_t>(src24.Width()) * 3;
  // Two raw rows in RGB order (this one and the one above), each after 8 zero bytes: the left
  // neighbours of its first pixel. Above the picture's first row are zeros.
  std::vector<uint8_t> scratch((kRowLead + rowBytes) * 2);
  uint8_t* raw = scratch.data() + kRowLead;
  uint8_t* above = raw + rowBytes + kRowLead;
  if (first > 0) RgbFromBgr(src24.Row(static_cast<int>(first - 1)), above, rowBytes);
  uint8_t* to = filtered + first * (rowBytes + 1);
  for (size_t y = first; y < last; ++y) {
    RgbFromBgr(src24.Row(static_cast<int>(y)), raw, rowBytes);
    to[0] = FilterRow(raw, above, rowBytes, to + 1);
    to += rowBytes + 1;
    std::swap(raw, above);
  }
}

// Filters every row into `filtered`: on a large picture the lower half on a second thread, when
// the machine has a second processor and a thread can be started.
void FilterPicture(const Dib& src24, uint8_t* filtered, size_t filteredSize) {
  const auto height = static_cast<size_t>(src24.Height());
  size_t split = height;
  std::exception_ptr helperFailure;
  std::jthread helper;  // joined when it goes out of scope, also if this thread throws
  if (filteredSize >= kTwoThreadsFrom && height >= 2 && std::thread::hardware_concurrency() >= 2) {
    try {
      helper = std::jthread([&src24, filtered, height, &helperFailure, half = height / 2] {
        try {
          FilterRows(src24, half, height, filtered);
        } catch (...) {
          helperFailure = std::current_exception();
        }
      });
      split = height / 2;
    } catch (const std::system_error&) {
      // No thread to be had: this one filters every row.
    }
  }
  FilterRows(src24, 0, split, filtered);
  if (helper.joinable()) helper.join();
  if (helperFailure) std::rethrow_exception(helperFailure);
}

void PutBigEndian(std::vector<uint8_t>& out, uint32_t value) {
  const uint8_t bytes[4] = {static_cast<uint8_t>(value >> 24), static_cast<uint8_t>(value >> 16),
                            static_cast<uint8_t>(value >> 8), static_cast<uint8_t>(value)};
  out.insert(out.end(), bytes, bytes + 4);
}

// Appends one chunk: length, type, data and the CRC of type and data.
void PutChunk(std::vector<uint8_t>& out, std::string_view type, const uint8_t* data, size_t size) {
  PutBigEndian(out, static_cast<uint32_t>(size));
  const size_t typeAt = out.size();
  out.insert(out.end(), type.begin(), type.end());
  if (size > 0) out.insert(out.end(), data, data + size);
  PutBigEndian(out, libdeflate_crc32(0, out.data() + typeAt, 4 + size));
}

struct CompressorDeleter {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};

}  // namespace

std::vector<uint8_t> EncodePng(const Dib& src24) {
  if (src24.BitCount() != 24 || src24.Empty()) throw Error("PNG に書けるのは 24 ビットの画像だけです");
  const auto width = static_cast<size_t>(src24.Width());
  const auto height = static_cast<size_t>(src24.Height());
  const size_t rowBytes = width * 3;
  const size_t filteredSize = (rowBytes + 1) * height;

  std::vector<uint8_t> file;
  try {
    std::unique_ptr<libdeflate_compressor, CompressorDeleter> compressor(
        libdeflate_alloc_compressor(kDeflateLevel));
    if (!compressor) throw std::bad_alloc();
    // The large buffers are left uninitialised: every byte used is written first, and pages that
    // the compressed data never reaches are never touched.
    std::unique_ptr<uint8_t[]> filtered(new uint8_t[filteredSize]);
    FilterPicture(src24, filtered.get(), filteredSize);

    const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), filteredSize);
    std::unique_ptr<uint8_t[]> compressed(new uint8_t[bound]);
    const size_t compressedSize =
        libdeflate_zlib_compress(compressor.get(), filtered.get(), filteredSize, compressed.get(), bound);
    if (compressedSize == 0) throw Error("PNG の圧縮に失敗しました");
    filtered.reset();

    file.reserve(8 + 25 + 21 + 12 + compressedSize + 12);
    static constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
    file.insert(file.end(), kSignature, kSignature + 8);

    std::vector<uint8_t> header;
    PutBigEndian(header, static_cast<uint32_t>(width));
    PutBigEndian(header, static_cast<uint32_t>(height));
    // 8 bits per sample, RGB, deflate, adaptive filtering, not interlaced.
    header.insert(header.end(), {8, 2, 0, 0, 0});
    PutChunk(file, "IHDR", header.data(), header.size());

    if (src24.xPelsPerMeter > 0 && src24.yPelsPerMeter > 0) {
      std::vector<uint8_t> density;
      PutBigEndian(density, static_cast<uint32_t>(src24.xPelsPerMeter));
      PutBigEndian(density, static_cast<uint32_t>(src24.yPelsPerMeter));
      density.push_back(1);  // the unit is the metre
      PutChunk(file, "pHYs", density.data(), density.size());
    }
    // One IDAT chunk: a chunk may hold up to 2^31 - 1 bytes, far more than the largest picture
    // compresses to, and one chunk spares a copy.
    PutChunk(file, "IDAT", compressed.get(), compressedSize);
    PutChunk(file, "IEND", nullptr, 0);
  } catch (const std::bad_alloc&) {
    throw Error("メモリが足りないため PNG を書けません");
  }
  return file;
}

}  // namespace core
