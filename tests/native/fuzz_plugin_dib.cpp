// Fuzz entry point for the check and conversion of the DIB a Susie plug-in hands back. The input
// holds both of the plug-in's blocks: a 16-bit little-endian length n, then n bytes of the
// information block (fewer when the input ends), then the pixel block. Each block is copied into
// memory of exactly its own size, as the plug-in allocates them, so that ASan sees a read past
// either one.

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <vector>

#include "core/BmpCodec.h"
#include "core/Convert24.h"
#include "core/Error.h"
#include "plugins/PluginDib.h"

namespace {

// The picture again from what the program writes for the clipboard, split into the blocks a
// plug-in would return for it; it must come back unchanged.
void CheckReadsBack(const core::Dib& dib) {
  const std::vector<uint8_t> packed = core::WritePackedDib(dib);
  const size_t infoSize = packed.size() - dib.ImageSize();
  const std::vector<uint8_t> info(packed.begin(), packed.begin() + static_cast<long>(infoSize));
  const std::vector<uint8_t> bits(packed.begin() + static_cast<long>(infoSize), packed.end());
  const core::Dib again = plugins::DecodePluginDib(info, bits, "again.spi");
  if (again.Width() != dib.Width() || again.Height() != dib.Height() ||
      again.BitCount() != dib.BitCount() || again.Palette() != dib.Palette() ||
      std::memcmp(again.Bits(), dib.Bits(), dib.ImageSize()) != 0) {
    std::abort();
  }
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  if (size < 2) return 0;
  const size_t infoSize = std::min<size_t>(data[0] | (data[1] << 8), size - 2);
  const std::vector<uint8_t> info(data + 2, data + 2 + infoSize);
  const std::vector<uint8_t> bits(data + 2 + infoSize, data + size);
  core::Dib dib;
  try {
    dib = plugins::DecodePluginDib(info, bits, "fuzz.spi");
  } catch (const core::Error&) {
    return 0;  // refusing a bad DIB is the expected outcome
  }
  // What was accepted must convert and read back without an error.
  try {
    if (dib.Empty() || dib.Width() <= 0 || dib.Height() <= 0) std::abort();
    const core::Dib rgb = core::ConvertTo24(dib);
    if (rgb.Width() != dib.Width() || rgb.Height() != dib.Height()) std::abort();
    CheckReadsBack(dib);
  } catch (const core::Error&) {
    std::abort();
  }
  return 0;
}
