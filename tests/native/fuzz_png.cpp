// Fuzz entry point for the PNG plug-in's decoder. Built with -fsanitize=fuzzer it is a libFuzzer
// target; the native tests link it too and replay libpng's test images and mutations through it.

#include <cstddef>
#include <cstdint>
#include <cstdlib>

#include "core/Error.h"
#include "pngplugin/PngDecoder.h"
#include "tests/native/FuzzSupport.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    pngplugin::PngDecoder decoder({data, size});
    const auto& header = decoder.Header();
    if (!fuzz::WithinBudget(header.width, header.height)) return 0;
    core::Dib dib(header.width, header.height, 24, core::Dib::Fill::None);
    decoder.DecodeInto(dib);
  } catch (const core::Error&) {
    // Refusing hostile input is the expected outcome.
  }
  return 0;
}
