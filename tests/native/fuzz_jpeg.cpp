// Fuzz entry point for the JPEG reader. Built with -fsanitize=fuzzer it is a libFuzzer target; the
// native tests link it too and replay the corpus and mutations through it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>
#include <string>

#include "core/Error.h"
#include "core/JpegCodec.h"
#include "core/JpegSession.h"
#include "tests/native/FuzzSupport.h"

namespace {

// Whether the picture the header declares is small enough to decode here; a header libjpeg cannot
// read is left to the reader, which must refuse it.
bool DecodeFits(std::span<const uint8_t> data) {
  core::jpeg::Session<jpeg_decompress_struct> session;
  jpeg_decompress_struct* cinfo = session.Get();
  const bool read = session.Run([&] {
    jpeg_create_decompress(cinfo);
    jpeg_mem_src(cinfo, data.data(), static_cast<unsigned long>(data.size()));
    jpeg_read_header(cinfo, TRUE);
  });
  return !read || fuzz::WithinBudget(cinfo->image_width, cinfo->image_height);
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (!DecodeFits({data, size})) return 0;
  try {
    std::string warning;
    const core::Dib dib = core::DecodeJpeg({data, size}, &warning);
    // A picture that decodes must be a complete 24-bpp Dib.
    if (dib.BitCount() != 24 || dib.Width() <= 0 || dib.Height() <= 0 || dib.Bits() == nullptr) {
      std::abort();
    }
  } catch (const core::Error&) {
    // Refusing hostile input is the expected outcome.
  }
  return 0;
}
