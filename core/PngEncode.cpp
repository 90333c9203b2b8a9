// The PNG writer: our own framing around rows filtered here and compressed by libdeflate (and, for
// the upper part of a large picture on a second thread, by zlib).

#include <libdeflate.h>
#include <zlib.h>

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
// zlib's fastest level, for the upper part of a large picture compressed on a second thread.
constexpr int kZlibLevel = 1;
// Zero bytes before each raw row (see FilterRow).
constexpr size_t kRowLead = 8;
// From this much filtered data on, two threads filter and compress the rows: below it, starting a
// thread costs more than it saves. Above the upper limit (pictures of some 18000 x 18000 pixels)
// one thread does it all, as zlib takes at most 4 GB per call.
constexpr size_t kTwoThreadsFrom = size_t{1} << 20;
constexpr size_t kTwoThreadsUpTo = size_t{1} << 30;
// The second thread takes the upper third of the rows: zlib compresses them, which is slower than
// libdeflate and makes a few percent more on photos, so it gets fewer rows than the thread that
// runs libdeflate (a third balances the two on screen shots and photos).
constexpr size_t kZlibRowsOneIn = 3;

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
#ifndef __clang__
  const Bytes16 order = {2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15};
#endif
  size_t i = 0;
  for (; i + 16 <= size; i += 15) {  // the 16th byte is written again by the next step
    Bytes16 block;
    std::memcpy(&block, bgr + i, sizeof block);
#ifdef __clang__  // the fuzz build: clang's shuffle takes the order as constants
    block =
        __builtin_shufflevector(block, block, 2, 1, 0, 5, 4, 3, 8, 7, 6, 11, 10, 9, 14, 13, 12, 15);
#else
    block = __builtin_shuffle(block, order);
#endif
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
void RgbFromBgr(const uint8_t* bgr, uint8_t* rgb, size_t size) {
  RgbFromBgrBytewise(bgr, rgb, size);
}
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
    const Residues r =
        Filtered(Load8(raw + i), Load8(raw + i - 3), Load8(above + i), Load8(above + i - 3));
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
    const Residues r =
        Filtered(Load8(raw + i), Load8(raw + i - 3), Load8(above + i), Load8(above + i - 3));
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

// A piece of the zlib stream, which one IDAT chunk carries.
struct Piece {
  std::unique_ptr<uint8_t[]> data;
  size_t size = 0;
};

struct CompressorDeleter {
  void operator()(libdeflate_compressor* c) const { libdeflate_free_compressor(c); }
};
using Compressor = std::unique_ptr<libdeflate_compressor, CompressorDeleter>;

Compressor NewCompressor() {
  Compressor compressor(libdeflate_alloc_compressor(kDeflateLevel));
  if (!compressor) throw std::bad_alloc();
  return compressor;
}

// The whole zlib stream of `size` bytes in one piece, by libdeflate.
Piece ZlibWhole(const uint8_t* in, size_t size) {
  const Compressor compressor = NewCompressor();
  const size_t bound = libdeflate_zlib_compress_bound(compressor.get(), size);
  Piece piece{std::unique_ptr<uint8_t[]>(new uint8_t[bound])};
  piece.size = libdeflate_zlib_compress(compressor.get(), in, size, piece.data.get(), bound);
  if (piece.size == 0) throw Error("PNG の圧縮に失敗しました");
  return piece;
}

// The start of a zlib stream: its header and the deflate blocks of `size` bytes, none of them
// final, ending on a byte boundary (zlib's sync flush: an empty stored block), so that another
// compressor's blocks may follow. Compressed by zlib, as libdeflate always ends with a final block.
Piece ZlibStart(const uint8_t* in, size_t size) {
  z_stream z{};
  if (deflateInit2(&z, kZlibLevel, Z_DEFLATED, -15, 8, Z_DEFAULT_STRATEGY) != Z_OK) {
    throw std::bad_alloc();
  }
  struct End {
    z_stream* z;
    ~End() { deflateEnd(z); }
  } end{&z};
  // deflateBound counts the end of a finished stream; a sync flush adds at most an empty stored
  // block and the bits that pad the last block to a byte.
  const size_t room = deflateBound(&z, static_cast<uLong>(size)) + 16;
  Piece piece{std::unique_ptr<uint8_t[]>(new uint8_t[2 + room])};
  piece.data[0] = 0x78;  // deflate with a 32 KB window
  piece.data[1] = 0x01;  // the fastest level; the two bytes are a multiple of 31
  z.next_in = const_cast<Bytef*>(in);
  z.avail_in = static_cast<uInt>(size);
  z.next_out = piece.data.get() + 2;
  z.avail_out = static_cast<uInt>(room);
  // Everything in one call: all the output fits, so zlib returns only when it is done.
  if (deflate(&z, Z_SYNC_FLUSH) != Z_OK || z.avail_in != 0 || z.avail_out == 0) {
    throw Error("PNG の圧縮に失敗しました");
  }
  piece.size = 2 + room - z.avail_out;
  return piece;
}

// The rest of a zlib stream after ZlibStart: the deflate blocks of `size` bytes, the last one
// final, and room for the 4-byte Adler-32 that ends the stream, which the caller writes.
Piece ZlibEnd(const uint8_t* in, size_t size) {
  const Compressor compressor = NewCompressor();
  const size_t bound = libdeflate_deflate_compress_bound(compressor.get(), size);
  Piece piece{std::unique_ptr<uint8_t[]>(new uint8_t[bound + 4])};
  piece.size = libdeflate_deflate_compress(compressor.get(), in, size, piece.data.get(), bound);
  if (piece.size == 0) throw Error("PNG の圧縮に失敗しました");
  return piece;
}

void PutBigEndianAt(uint8_t* at, uint32_t value) {
  for (int i = 0; i < 4; ++i) at[i] = static_cast<uint8_t>(value >> (24 - 8 * i));
}

// Filters every row into `filtered` and compresses them, as the pieces of one zlib stream. A large
// picture is done by two threads, when the machine has a second processor and a thread can be
// started: the upper rows by zlib on the second thread, the rest by libdeflate on this one (a
// deflate stream cannot be cut into pieces that libdeflate compresses apart: it always ends with
// a final block). Each thread filters its own rows first.
std::vector<Piece> FilterAndCompress(const Dib& src24, uint8_t* filtered, size_t filteredSize) {
  const auto height = static_cast<size_t>(src24.Height());
  const size_t rowSize = filteredSize / height;
  std::vector<Piece> pieces;
  const size_t split = height / kZlibRowsOneIn;
  if (filteredSize >= kTwoThreadsFrom && filteredSize <= kTwoThreadsUpTo && split > 0 &&
      std::thread::hardware_concurrency() >= 2) {
    Piece upper;
    uint32_t upperAdler = 1;
    std::exception_ptr helperFailure;
    std::jthread helper;  // joined when it goes out of scope, also if this thread throws
    try {
      helper = std::jthread([&] {
        try {
          FilterRows(src24, 0, split, filtered);
          upperAdler = libdeflate_adler32(1, filtered, split * rowSize);
          upper = ZlibStart(filtered, split * rowSize);
        } catch (...) {
          helperFailure = std::current_exception();
        }
      });
    } catch (const std::system_error&) {
      // No thread to be had: this one does it all, below.
    }
    if (helper.joinable()) {
      const uint8_t* lower = filtered + split * rowSize;
      const size_t lowerSize = filteredSize - split * rowSize;
      FilterRows(src24, split, height, filtered);
      Piece rest = ZlibEnd(lower, lowerSize);
      const uint32_t lowerAdler = libdeflate_adler32(1, lower, lowerSize);
      helper.join();
      if (helperFailure) std::rethrow_exception(helperFailure);
      PutBigEndianAt(rest.data.get() + rest.size,
                     static_cast<uint32_t>(
                         adler32_combine(upperAdler, lowerAdler, static_cast<z_off_t>(lowerSize))));
      rest.size += 4;
      pieces.push_back(std::move(upper));
      pieces.push_back(std::move(rest));
      return pieces;
    }
  }
  FilterRows(src24, 0, height, filtered);
  pieces.push_back(ZlibWhole(filtered, filteredSize));
  return pieces;
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

}  // namespace

std::vector<uint8_t> EncodePng(const Dib& src24) {
  if (src24.BitCount() != 24 || src24.Empty())
    throw Error("PNG に書けるのは 24 ビットの画像だけです");
  const auto width = static_cast<size_t>(src24.Width());
  const auto height = static_cast<size_t>(src24.Height());
  const size_t rowBytes = width * 3;
  const size_t filteredSize = (rowBytes + 1) * height;

  std::vector<uint8_t> file;
  try {
    // The filtered rows are left uninitialised: every byte is written before it is read.
    std::unique_ptr<uint8_t[]> filtered(new uint8_t[filteredSize]);
    const std::vector<Piece> idat = FilterAndCompress(src24, filtered.get(), filteredSize);
    filtered.reset();

    size_t compressedSize = 0;
    for (const Piece& piece : idat) compressedSize += piece.size;
    file.reserve(8 + 25 + 21 + 12 * idat.size() + compressedSize + 12);
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
    // One IDAT chunk per piece of the zlib stream: a chunk may hold up to 2^31 - 1 bytes, far more
    // than the largest picture compresses to, and a chunk per piece spares a copy.
    for (const Piece& piece : idat) PutChunk(file, "IDAT", piece.data.get(), piece.size);
    PutChunk(file, "IEND", nullptr, 0);
  } catch (const std::bad_alloc&) {
    throw Error("メモリが足りないため PNG を書けません");
  }
  return file;
}

}  // namespace core
