// Fuzz entry point for the PNG plug-in's decoder. Built with -fsanitize=fuzzer it is a libFuzzer
// target; the native tests link it too and replay libpng's test images and mutations through it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/Error.h"
#include "pngplugin/PngDecoder.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    pngplugin::PngDecoder decoder({data, size});
    // Pictures within the limits but larger than this are checked without being decoded, so a
    // fuzzing run spends its time on the parser rather than on filling memory.
    const auto& header = decoder.Header();
    if (int64_t{header.width} * header.height > (int64_t{1} << 22)) return 0;
    core::Dib dib(header.width, header.height, 24, core::Dib::Fill::None);
    decoder.DecodeInto(dib);
  } catch (const core::Error&) {
    // Refusing hostile input is the expected outcome.
  }
  return 0;
}
