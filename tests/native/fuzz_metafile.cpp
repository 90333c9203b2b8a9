// Fuzz entry point for the metafile validator. Besides the seeds and findings that every target's
// replay test feeds it (tests/native/FuzzTargets.cmake), the native build runs it on every file of
// the generator, some too large to commit as seeds, and thousands of deterministic mutations of
// them.

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <span>

#include "core/MetafileValidator.h"
#include "tests/native/FuzzSupport.h"
#include "tests/native/XorShiftRandom.h"

namespace {

// Checks the input as each kind of metafile; whatever passes must have told GDI bytes that lie
// within the input and a work estimate within the budget.
void CheckOne(std::span<const uint8_t> data, core::MetafileKind kind, bool unitsArePixels) {
  core::MetafileLimits limits;
  limits.unitsArePixels = unitsArePixels;
  core::MetafileReport report;
  try {
    report = core::ValidateMetafile(data, kind, limits);
  } catch (const core::MetafileError&) {
    return;  // refusing is fine
  }
  if (report.offset > data.size() || report.length > data.size() - report.offset ||
      !(report.work >= 0 && report.work <= limits.maxWork)) {
    std::abort();
  }
  // Fitting it to a larger rectangle gives a size no larger than the rectangle.
  const core::MetafileSize size = core::FitMetafileToBudget(data, kind, 1000, 700);
  if (size.width < 1 || size.width > 1000 || size.height < 1 || size.height > 700) std::abort();
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> input(data, size);
  CheckOne(input, core::MetafileKind::Enhanced, false);
  CheckOne(input, core::MetafileKind::Placeable, false);
  CheckOne(input, core::MetafileKind::Windows, false);
  CheckOne(input, core::MetafileKind::Windows, true);
  return 0;
}

#ifndef CAPSLATE_LIBFUZZER

#include <gtest/gtest.h>

#include <algorithm>
#include <iterator>
#include <vector>

#include "tests/metafiles/MetafileForge.h"

namespace {

using Random = fuzztest::XorShiftRandom;

// Changes a few bytes to values that sit on the validator's edges (sizes, counts, indices,
// stock-object flags), cuts the file, or repeats a stretch of it (a record twice).
std::vector<uint8_t> Mutate(std::vector<uint8_t> data, Random& random) {
  static constexpr uint32_t kInteresting[] = {
      0,    1,     2,      3,      4,      8,          0x7F,       0x80,
      0xFF, 0x100, 0x7FFF, 0x8000, 0xFFFF, 0x7FFFFFF0, 0x80000000, 0xFFFFFFFF};
  const int edits = 1 + static_cast<int>(random.Below(4));
  for (int i = 0; i < edits && data.size() > 4; ++i) {
    const size_t pos = random.Below(data.size());
    switch (random.Below(5)) {
      case 0:
        data[pos] ^= static_cast<uint8_t>(1u << random.Below(8));
        break;
      case 1:
      case 2: {
        const uint32_t v = kInteresting[random.Below(std::size(kInteresting))];
        const size_t width = random.Below(2) ? 2 : 4;
        for (size_t b = 0; b < width && pos + b < data.size(); ++b)
          data[pos + b] = static_cast<uint8_t>(v >> (8 * b));
        break;
      }
      case 3:
        data.resize(random.Below(data.size()));
        break;
      default: {
        const size_t length = std::min<size_t>(1 + random.Below(64), data.size() - pos);
        const std::vector<uint8_t> stretch(
            data.begin() + static_cast<std::ptrdiff_t>(pos),
            data.begin() + static_cast<std::ptrdiff_t>(pos + length));
        data.insert(data.begin() + static_cast<std::ptrdiff_t>(pos), stretch.begin(),
                    stretch.end());
        break;
      }
    }
  }
  return data;
}

TEST(FuzzMetafile, GeneratorFilesAndDeterministicMutationsPassTheChecks) {
  std::vector<std::vector<uint8_t>> seeds;
  for (const forge::Hostile& c : forge::HostileMetafiles()) seeds.push_back(c.bytes);
  for (const forge::Sound& s : forge::SoundMetafiles()) seeds.push_back(s.bytes);
  ASSERT_GE(seeds.size(), 60u);
  for (const auto& seed : seeds) fuzz::RunOnExactCopy(seed);
  Random random{0x2545F4914F6CDD1Du};
  for (int runs = 0; runs < 4000; ++runs) {
    fuzz::RunOnExactCopy(Mutate(seeds[random.Below(seeds.size())], random));
  }
}

}  // namespace

#endif
