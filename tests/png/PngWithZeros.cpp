#include "tests/png/PngWithZeros.h"

#include <zlib.h>

#include <algorithm>
#include <cstring>
#include <stdexcept>
#include <string>

namespace pngtest {
namespace {

void Put32(std::vector<uint8_t>& out, uint32_t value) {
  for (int shift = 24; shift >= 0; shift -= 8) out.push_back(static_cast<uint8_t>(value >> shift));
}

void AppendChunk(std::vector<uint8_t>& png, const char* type, const std::vector<uint8_t>& data) {
  Put32(png, static_cast<uint32_t>(data.size()));
  const size_t typeAt = png.size();
  png.insert(png.end(), type, type + 4);
  png.insert(png.end(), data.begin(), data.end());
  Put32(png, static_cast<uint32_t>(
                 crc32(0, png.data() + typeAt, static_cast<uInt>(png.size() - typeAt))));
}

// Feeds `size` bytes of `input` (or of zeros, when it is null) to the stream.
void Deflate(z_stream& z, const uint8_t* input, size_t size, std::vector<uint8_t>& out, int flush) {
  static const std::vector<uint8_t> zeros(1 << 20, 0);
  do {
    const size_t piece = std::min(size, zeros.size());
    z.next_in = const_cast<Bytef*>(input ? input : zeros.data());
    z.avail_in = static_cast<uInt>(piece);
    const int pieceFlush = piece == size ? flush : Z_NO_FLUSH;
    do {
      uint8_t buffer[1 << 16];
      z.next_out = buffer;
      z.avail_out = sizeof buffer;
      if (deflate(&z, pieceFlush) == Z_STREAM_ERROR) throw std::runtime_error("deflate");
      out.insert(out.end(), buffer, buffer + (sizeof buffer - z.avail_out));
    } while (z.avail_out == 0);
    if (input) input += piece;
    size -= piece;
  } while (size > 0);
}

}  // namespace

std::vector<uint8_t> PngWithZerosAfterTheRows(const core::Dib& dib, size_t zeros) {
  std::vector<uint8_t> rows;
  for (int y = 0; y < dib.Height(); ++y) {
    rows.push_back(0);  // filter: none
    const uint8_t* bgr = dib.Row(y);
    for (int x = 0; x < dib.Width(); ++x)
      rows.insert(rows.end(), {bgr[3 * x + 2], bgr[3 * x + 1], bgr[3 * x]});
  }
  z_stream z{};
  deflateInit(&z, Z_BEST_COMPRESSION);
  std::vector<uint8_t> stream;
  Deflate(z, rows.data(), rows.size(), stream, zeros == 0 ? Z_FINISH : Z_NO_FLUSH);
  if (zeros > 0) Deflate(z, nullptr, zeros, stream, Z_FINISH);
  deflateEnd(&z);

  std::vector<uint8_t> png = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};
  std::vector<uint8_t> header;
  Put32(header, static_cast<uint32_t>(dib.Width()));
  Put32(header, static_cast<uint32_t>(dib.Height()));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8-bit RGB, not interlaced
  AppendChunk(png, "IHDR", header);
  AppendChunk(png, "IDAT", stream);
  AppendChunk(png, "IEND", {});
  return png;
}

}  // namespace pngtest
