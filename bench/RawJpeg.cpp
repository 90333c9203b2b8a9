#include "bench/RawJpeg.h"

#include <algorithm>
#include <cstdio>  // jpeglib.h needs FILE and size_t declared first
#include <cstdlib>

#include <jpeglib.h>

namespace bench {

// The inputs are our own pictures and files, so any libjpeg error is a bug in the benchmark:
// libjpeg's standard error handler prints it and ends the program.

constexpr int kRowBatch = 16;  // as many rows per call as our encoder and decoder pass

size_t RawEncodeJpeg(const core::Dib& src24, int quality, std::span<uint8_t> out) {
  jpeg_compress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_compress(&cinfo);
  unsigned char* buffer = out.data();
  unsigned long size = static_cast<unsigned long>(out.size());
  jpeg_mem_dest(&cinfo, &buffer, &size);
  cinfo.image_width = static_cast<JDIMENSION>(src24.Width());
  cinfo.image_height = static_cast<JDIMENSION>(src24.Height());
  cinfo.input_components = 3;
  cinfo.in_color_space = JCS_EXT_BGR;
  jpeg_set_defaults(&cinfo);
  jpeg_set_quality(&cinfo, quality, TRUE);
  jpeg_start_compress(&cinfo, TRUE);
  JSAMPROW rows[kRowBatch];
  const JDIMENSION height = cinfo.image_height;
  while (cinfo.next_scanline < height) {
    const JDIMENSION first = cinfo.next_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(kRowBatch, height - first);
    for (JDIMENSION i = 0; i < count; ++i) {
      rows[i] = const_cast<uint8_t*>(src24.Row(static_cast<int>(first + i)));
    }
    jpeg_write_scanlines(&cinfo, rows, count);
  }
  jpeg_finish_compress(&cinfo);
  jpeg_destroy_compress(&cinfo);
  if (buffer != out.data()) {  // libjpeg outgrew `out` and allocated a buffer of its own
    std::fprintf(stderr, "RawEncodeJpeg: the output buffer of %zu bytes is too small\n",
                 out.size());
    std::abort();
  }
  return size;
}

void RawDecodeJpeg(std::span<const uint8_t> jpeg, core::Dib& dst24) {
  jpeg_decompress_struct cinfo{};
  jpeg_error_mgr errors{};
  cinfo.err = jpeg_std_error(&errors);
  jpeg_create_decompress(&cinfo);
  jpeg_mem_src(&cinfo, jpeg.data(), static_cast<unsigned long>(jpeg.size()));
  jpeg_read_header(&cinfo, TRUE);
  cinfo.out_color_space = JCS_EXT_BGR;
  cinfo.dct_method = JDCT_ISLOW;
  jpeg_start_decompress(&cinfo);
  if (cinfo.output_width != static_cast<JDIMENSION>(dst24.Width()) ||
      cinfo.output_height != static_cast<JDIMENSION>(dst24.Height())) {
    std::fprintf(stderr, "RawDecodeJpeg: the destination has the wrong size\n");
    std::abort();
  }
  JSAMPROW rows[kRowBatch];
  const JDIMENSION height = cinfo.output_height;
  while (cinfo.output_scanline < height) {
    const JDIMENSION first = cinfo.output_scanline;
    const JDIMENSION count = std::min<JDIMENSION>(kRowBatch, height - first);
    for (JDIMENSION i = 0; i < count; ++i) rows[i] = dst24.Row(static_cast<int>(first + i));
    jpeg_read_scanlines(&cinfo, rows, count);
  }
  jpeg_finish_decompress(&cinfo);
  jpeg_destroy_decompress(&cinfo);
}

}  // namespace bench
