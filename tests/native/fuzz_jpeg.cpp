// Fuzz entry point for the JPEG reader. Built with -fsanitize=fuzzer it is a libFuzzer target; the
// native tests link it too and replay the corpus and mutations through it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/Error.h"
#include "core/JpegCodec.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const core::Dib dib = core::DecodeJpeg({data, size});
    // A picture that decodes must be a complete 24-bpp Dib.
    if (dib.BitCount() != 24 || dib.Width() <= 0 || dib.Height() <= 0 || dib.Bits() == nullptr) {
      std::abort();
    }
  } catch (const core::Error&) {
    // Refusing hostile input is the expected outcome.
  }
  return 0;
}
