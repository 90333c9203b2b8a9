// Fuzz target for the BMP reader. Built with -fsanitize=fuzzer and CAPSLATE_LIBFUZZER it is a
// libFuzzer target; otherwise it is a test that replays every file of the BMP suite and thousands
// of deterministic mutations of them, so a crash found by fuzzing stays fixed.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>

#include "core/BmpCodec.h"
#include "core/Convert24.h"
#include "core/Error.h"
#include "tests/native/FuzzSupport.h"
#include "tests/native/XorShiftRandom.h"

namespace {

bool SamePicture(const core::Dib& a, const core::Dib& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && a.BitCount() == b.BitCount() &&
         a.Palette() == b.Palette() && a.Masks() == b.Masks() &&
         a.xPelsPerMeter == b.xPelsPerMeter && a.yPelsPerMeter == b.yPelsPerMeter &&
         std::memcmp(a.Bits(), b.Bits(), a.ImageSize()) == 0;
}

// Decodes as a file and as a packed DIB; whatever decodes must convert, and read back unchanged
// from what the writer makes of it.
void CheckOne(std::span<const uint8_t> data, bool packed) {
  core::Dib dib;
  try {
    const core::DibFormat format =
        (packed ? core::BmpDecoder::PackedDib(data) : core::BmpDecoder::File(data)).Format();
    if (!fuzz::WithinBudget(format.width, format.height)) return;
    dib = packed ? core::ReadPackedDib(data) : core::ReadBmp(data);
  } catch (const core::Error&) {
    return;  // refusing is fine
  }
  const core::Dib rgb = core::ConvertTo24(dib);
  if (rgb.Width() != dib.Width() || rgb.Height() != dib.Height()) std::abort();
  if (!SamePicture(core::ReadBmp(core::WriteBmp(dib)), dib)) std::abort();
  if (!SamePicture(core::ReadPackedDib(core::WritePackedDib(dib)), dib)) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  CheckOne(input, false);
  if (size > 14) CheckOne(input.subspan(14), true);
  return 0;
}

#ifndef CAPSLATE_LIBFUZZER

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <vector>

namespace {

namespace fs = std::filesystem;

std::vector<std::vector<uint8_t>> SuiteFiles() {
  std::vector<fs::path> paths;
  for (const auto& entry :
       fs::recursive_directory_iterator(fs::path(CAPSLATE_CORPORA_DIR) / "bmpsuite")) {
    if (entry.path().extension() == ".bmp") paths.push_back(entry.path());
  }
  std::sort(paths.begin(), paths.end());
  std::vector<std::vector<uint8_t>> files;
  for (const fs::path& path : paths) {
    std::ifstream in(path, std::ios::binary);
    files.emplace_back(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
  }
  return files;
}

using Random = fuzztest::XorShiftRandom;

// Changes a few bytes, mostly in the headers, where the reader makes its decisions.
std::vector<uint8_t> Mutate(std::vector<uint8_t> data, Random& random) {
  static constexpr uint32_t kInteresting[] = {
      0,    1,    2,    3,      4,          12,         16,         40,
      0x7F, 0x80, 0xFF, 0xFFFF, 0x7FFFFFFF, 0x80000000, 0xFFFFFFFF, 0x40000001};
  const int edits = 1 + static_cast<int>(random.Below(4));
  for (int i = 0; i < edits && !data.empty(); ++i) {
    const size_t pos = random.Below(4) != 0 ? random.Below(std::min<size_t>(data.size(), 160))
                                            : random.Below(data.size());
    switch (random.Below(4)) {
      case 0:
        data[pos] ^= static_cast<uint8_t>(1u << random.Below(8));
        break;
      case 1:
        data[pos] = static_cast<uint8_t>(random.Next());
        break;
      case 2: {  // an interesting 32-bit value at any byte position
        const uint32_t v = kInteresting[random.Below(std::size(kInteresting))];
        for (size_t b = 0; b < 4 && pos + b < data.size(); ++b)
          data[pos + b] = static_cast<uint8_t>(v >> (8 * b));
        break;
      }
      default:
        data.resize(random.Below(data.size()));
        break;
    }
  }
  return data;
}

TEST(FuzzBmp, ReplaysTheSuiteAndDeterministicMutations) {
  const auto files = SuiteFiles();
  ASSERT_GE(files.size(), 80u);
  Random random{0x9E3779B97F4A7C15u};
  for (const auto& file : files) fuzz::RunOnExactCopy(file);
  for (int runs = 0; runs < 4000; ++runs) {
    const std::vector<uint8_t> mutated = Mutate(files[random.Below(files.size())], random);
    fuzz::RunOnExactCopy(mutated);
  }
}

}  // namespace

#endif
