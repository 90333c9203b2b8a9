#include "pngplugin/PngDecoder.h"

#include <png.h>

#include <algorithm>
#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <new>
#include <vector>

namespace pngplugin {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

// Ancillary chunks we never use, skipped unread apart from their CRC: colour management (so the
// pixels are the file's own values), text, histograms and the like. Each name ends in a NUL, as
// libpng wants them.
constexpr png_byte kSkippedChunks[] =
    "bKGD\0cHRM\0eXIf\0gAMA\0hIST\0iCCP\0iTXt\0oFFs\0pCAL\0pHYs\0sBIT\0sCAL\0sPLT\0sRGB\0sTER\0"
    "tEXt\0tIME\0zTXt";
constexpr int kSkippedChunkCount = static_cast<int>(sizeof kSkippedChunks / 5);
// Ancillary chunks that libpng keeps in memory (tRNS and PLTE are all that remain) are small; a
// hostile length is refused rather than allocated.
constexpr png_alloc_size_t kMaxChunkBytes = png_alloc_size_t{1} << 20;

}  // namespace

struct PngDecoder::Libpng {
  png_structp png = nullptr;
  png_infop info = nullptr;
  PngReader read;
  bool truncated = false;
  png_uint_32 height = 0;
  bool readingRows = false;   // DecodeInto has started on the rows
  bool rowsFinished = false;  // every row is in the caller's memory; the decoder stopped there
  char message[200] = {};     // libpng's text of the last fatal error

  ~Libpng() { png_destroy_read_struct(&png, &info, nullptr); }

  // libpng reports a fatal error by calling this, which must not return: it jumps back to the
  // Guarded call that made the libpng call.
  static void OnError(png_structp png, png_const_charp text) {
    auto* self = static_cast<Libpng*>(png_get_error_ptr(png));
    std::snprintf(self->message, sizeof self->message, "%s", text);
    png_longjmp(png, 1);
  }
  static void OnWarning(png_structp, png_const_charp) {}
  static void OnRead(png_structp png, png_bytep to, size_t size) {
    auto* self = static_cast<Libpng*>(png_get_io_ptr(png));
    // Once the last row is in, libpng goes on inflating the rest of the compressed stream, up to
    // its end, to check it, inside the call that read the last row: a small file may hold
    // gigabytes of compressed zeros there. It gets no more data; the rows are what we wanted.
    if (self->readingRows && (png_get_current_pass_number(png) >= 7 ||
                              png_get_current_row_number(png) >= self->height)) {
      self->rowsFinished = true;
      png_error(png, "rows finished");
    }
    if (!self->read(to, size)) {
      self->truncated = true;
      png_error(png, "unexpected end of file");
    }
  }

  // Calls body(); returns false when libpng raised a fatal error inside it. Jumping out of body
  // skips destructors, so a body holds only trivially destructible locals. Never inlined, so the
  // setjmp frame stays separate from the caller's.
  template <class Body>
  [[gnu::noinline]] bool Guarded(const Body& body) {
    if (setjmp(png_jmpbuf(png)) != 0) return false;
    body();
    return true;
  }

  PngError Failure() const {
    if (truncated) return PngError(PngFailure::kBroken, "PNG ファイルが途中で切れています");
    return PngError(PngFailure::kBroken,
                    std::string("PNG ファイルが壊れているため読み込めません (") + message + ")");
  }
};

namespace {

PngError OutOfMemory() {
  return PngError(PngFailure::kTooLarge, "メモリが足りないため PNG を読み込めません");
}

// One pixel of 8-bit blue, green, red, alpha onto white: c * a + 255 * (1 - a), rounded.
void CompositeRow8(const uint8_t* bgra, uint8_t* bgr, int width) {
  for (int x = 0; x < width; ++x, bgra += 4, bgr += 3) {
    const unsigned alpha = bgra[3];
    const unsigned white = 255 * (255 - alpha) + 127;
    bgr[0] = static_cast<uint8_t>((bgra[0] * alpha + white) / 255);
    bgr[1] = static_cast<uint8_t>((bgra[1] * alpha + white) / 255);
    bgr[2] = static_cast<uint8_t>((bgra[2] * alpha + white) / 255);
  }
}

// The same for 16-bit samples (big-endian, as PNG stores them), composited at 16 bits and then
// reduced to 8 by rounding v / 257, so that no precision is lost before the blend.
void CompositeRow16(const uint8_t* bgra, uint8_t* bgr, int width) {
  for (int x = 0; x < width; ++x, bgra += 8, bgr += 3) {
    const uint64_t alpha = (unsigned{bgra[6]} << 8) | bgra[7];
    const uint64_t white = 65535 * (65535 - alpha) + 32767;
    for (int c = 0; c < 3; ++c) {
      const uint64_t sample = (unsigned{bgra[2 * c]} << 8) | bgra[2 * c + 1];
      const uint64_t blended = (sample * alpha + white) / 65535;
      bgr[c] = static_cast<uint8_t>((blended + 128) / 257);
    }
  }
}

}  // namespace

int PngHeader::BitsPerPixel() const {
  static constexpr int kChannels[7] = {1, 0, 3, 1, 2, 0, 4};
  return bitDepth * (colourType >= 0 && colourType <= 6 ? kChannels[colourType] : 0);
}

bool HasPngSignature(std::span<const uint8_t> data) {
  return data.size() >= sizeof kSignature && std::memcmp(data.data(), kSignature, 8) == 0;
}

PngDecoder::PngDecoder(std::span<const uint8_t> file)
    : PngDecoder([file, at = size_t{0}](uint8_t* to, size_t size) mutable {
        if (size > file.size() - at) return false;
        std::memcpy(to, file.data() + at, size);
        at += size;
        return true;
      }) {}

PngDecoder::PngDecoder(PngReader read) {
  uint8_t signature[sizeof kSignature] = {};
  if (!read(signature, sizeof signature) || !HasPngSignature(signature)) {
    throw PngError(PngFailure::kNotPng, "PNG ファイルではありません");
  }
  png_ = std::make_unique<Libpng>();
  Libpng& s = *png_;
  s.read = std::move(read);
  s.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &s, Libpng::OnError, Libpng::OnWarning);
  if (s.png == nullptr) throw OutOfMemory();
  s.info = png_create_info_struct(s.png);
  if (s.info == nullptr) throw OutOfMemory();

  const bool ok = s.Guarded([&] {
    png_set_read_fn(s.png, &s, Libpng::OnRead);
    png_set_sig_bytes(s.png, sizeof kSignature);
    // The size is checked below against our own limits, which are tighter than libpng's.
    png_set_user_limits(s.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
    png_set_chunk_malloc_max(s.png, kMaxChunkBytes);
    png_set_chunk_cache_max(s.png, 1000);
    // A CRC error is an error in any chunk read, not only in the critical ones.
    png_set_crc_action(s.png, PNG_CRC_ERROR_QUIT, PNG_CRC_ERROR_QUIT);
    png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, nullptr, 0);
    png_set_keep_unknown_chunks(s.png, PNG_HANDLE_CHUNK_NEVER, kSkippedChunks, kSkippedChunkCount);
    png_read_info(s.png, s.info);
  });
  if (!ok) throw s.Failure();

  header_.width =
      static_cast<int>(std::min<png_uint_32>(png_get_image_width(s.png, s.info), 0x7FFFFFFF));
  header_.height =
      static_cast<int>(std::min<png_uint_32>(png_get_image_height(s.png, s.info), 0x7FFFFFFF));
  header_.bitDepth = png_get_bit_depth(s.png, s.info);
  header_.colourType = png_get_color_type(s.png, s.info);
  header_.interlaced = png_get_interlace_type(s.png, s.info) != PNG_INTERLACE_NONE;
  if (core::DibImageSize(header_.width, header_.height, 24) < 0) {
    throw PngError(PngFailure::kTooLarge, "画像が大きすぎるため PNG を読み込めません (" +
                                              std::to_string(header_.width) + " x " +
                                              std::to_string(header_.height) + ")");
  }
}

PngDecoder::~PngDecoder() = default;

void PngDecoder::DecodeInto(core::Dib& target, const PngProgress& progress) {
  if (target.BitCount() != 24 || target.Width() != header_.width ||
      target.Height() != header_.height) {
    throw core::Error("PNG の展開先が画像のサイズと合いません");
  }
  Libpng& s = *png_;
  const bool alpha = (header_.colourType & PNG_COLOR_MASK_ALPHA) != 0 ||
                     png_get_valid(s.png, s.info, PNG_INFO_tRNS) != 0;
  int passes = 1;
  size_t rowBytes = 0;
  if (!s.Guarded([&] {
        // Palettes, grey levels of fewer than 8 bits and tRNS become 8-bit RGB(A); 16-bit samples
        // are kept where they are blended with white, and rounded to 8 bits elsewhere.
        png_set_expand(s.png);
        if (header_.bitDepth == 16 && !alpha) png_set_scale_16(s.png);
        png_set_gray_to_rgb(s.png);
        png_set_bgr(s.png);
        passes = png_set_interlace_handling(s.png);
        png_read_update_info(s.png, s.info);
        rowBytes = png_get_rowbytes(s.png, s.info);
      })) {
    throw s.Failure();
  }
  const int width = header_.width;
  const int height = header_.height;
  const size_t expected =
      size_t(width) * (alpha ? 4 : 3) * (header_.bitDepth == 16 && alpha ? 2 : 1);
  if (rowBytes != expected) throw core::Error("PNG の変換結果が想定と異なります");

  // Pictures with alpha are decoded into rows of their own and blended into the target: one row,
  // or the whole picture when it is interlaced (each pass adds pixels to rows decoded before).
  std::vector<uint8_t> decoded;
  try {
    if (alpha) {
      const uint64_t bytes = uint64_t{rowBytes} * (passes > 1 ? uint64_t(height) : 1);
      if (bytes > uint64_t(core::kMaxPixelBytes)) {
        throw PngError(PngFailure::kTooLarge, "画像が大きすぎるため PNG を読み込めません");
      }
      decoded.resize(static_cast<size_t>(bytes));
    }
  } catch (const std::bad_alloc&) {
    throw OutOfMemory();
  }
  const auto blend = [&](const uint8_t* from, int y) {
    if (header_.bitDepth == 16) {
      CompositeRow16(from, target.Row(y), width);
    } else {
      CompositeRow8(from, target.Row(y), width);
    }
  };

  const int total = passes * height;
  int done = 0;
  int reportedPercent = -1;
  s.height = static_cast<png_uint_32>(height);
  s.readingRows = true;
  for (int pass = 0; pass < passes; ++pass) {
    for (int y = 0; y < height; ++y, ++done) {
      uint8_t* row =
          !alpha ? target.Row(y) : decoded.data() + (passes > 1 ? rowBytes * size_t(y) : 0);
      // The stop after the last row ends the last call, with the row already in place.
      if (!s.Guarded([&] { png_read_row(s.png, row, nullptr); }) && !s.rowsFinished) {
        throw s.Failure();
      }
      if (alpha && passes == 1) blend(row, y);
      const int percent = static_cast<int>(int64_t{done} * 100 / total);
      if (progress && percent != reportedPercent) {
        reportedPercent = percent;
        if (!progress(done, total))
          throw PngError(PngFailure::kStopped, "PNG の読み込みを中止しました");
      }
    }
  }
  if (alpha && passes > 1) {
    for (int y = 0; y < height; ++y) blend(decoded.data() + rowBytes * size_t(y), y);
  }
  const size_t padding = target.Stride() - size_t(width) * 3;
  for (int y = 0; y < height && padding > 0; ++y) {
    std::memset(target.Row(y) + size_t(width) * 3, 0, padding);
  }
  if (progress && !progress(total, total)) {
    throw PngError(PngFailure::kStopped, "PNG の読み込みを中止しました");
  }
}

core::Dib DecodePng(std::span<const uint8_t> file) {
  PngDecoder decoder(file);
  core::Dib dib;
  try {
    dib = core::Dib(decoder.Header().width, decoder.Header().height, 24, core::Dib::Fill::None);
  } catch (const std::bad_alloc&) {
    throw OutOfMemory();
  }
  decoder.DecodeInto(dib);
  return dib;
}

}  // namespace pngplugin
