// Replays the PNG fuzz entry point over libpng's test images (crashers included) and deterministic
// mutations of them, so sanitizer findings show up in every ordinary test run. Most mutations
// rewrite the CRC of the chunk they change, so that they reach past libpng's CRC check into the
// chunk parsers and the decompressor.

#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "tests/native/FuzzSupport.h"
#include "tests/native/png_test_support.h"

namespace {

std::vector<uint8_t> Mutate(const std::vector<uint8_t>& seed, std::mt19937& rng) {
  const auto pick = [&](size_t n) { return n == 0 ? size_t{0} : static_cast<size_t>(rng() % n); };
  auto chunks = pngtest::SplitChunks(seed);
  if (chunks.empty()) return seed;
  pngtest::Chunk& chunk = chunks[pick(chunks.size())];
  switch (rng() % 5) {
    case 0:  // a few bytes of one chunk, CRC kept right
      for (size_t i = 0, n = 1 + pick(4); i < n && !chunk.data.empty(); ++i) {
        chunk.data[pick(chunk.data.size())] = static_cast<uint8_t>(rng());
      }
      break;
    case 1:  // one chunk cut short or grown
      chunk.data.resize(rng() & 1 ? pick(chunk.data.size() + 1) : chunk.data.size() + pick(64));
      break;
    case 2:  // a chunk repeated or dropped
      if (rng() & 1) {
        chunks.insert(chunks.begin() + static_cast<long>(pick(chunks.size())), chunk);
      } else {
        chunks.erase(chunks.begin() + static_cast<long>(pick(chunks.size())));
      }
      break;
    case 3: {  // the whole file cut, or a byte changed without fixing the CRC
      std::vector<uint8_t> file = pngtest::JoinChunks(chunks);
      if (rng() & 1) {
        file.resize(pick(file.size()));
      } else {
        file[pick(file.size())] ^= static_cast<uint8_t>(1 + pick(255));
      }
      return file;
    }
    default:  // the header's fields: size, depth, colour type, interlacing
      if (chunks[0].type == "IHDR" && chunks[0].data.size() == 13) {
        chunks[0].data[pick(13)] = static_cast<uint8_t>(rng() & 1 ? rng() : pick(17));
      }
      break;
  }
  return pngtest::JoinChunks(chunks);
}

TEST(PngFuzzReplay, TestImagesCrashersAndMutationsNeverCrash) {
  std::vector<std::vector<uint8_t>> seeds;
  for (const auto& file : pngtest::LibpngTestImages()) seeds.push_back(pngtest::ReadBytes(file));
  const size_t wellFormed = seeds.size();
  for (const auto& file : pngtest::LibpngCrashers()) seeds.push_back(pngtest::ReadBytes(file));
  ASSERT_GT(seeds.size(), 170u);
  for (const auto& seed : seeds) fuzz::RunOnExactCopy(seed);
  std::mt19937 rng(20240611);
  for (int i = 0; i < 4000; ++i) {
    const auto& seed = seeds[static_cast<size_t>(rng() % wellFormed)];
    const auto input = Mutate(seed, rng);
    SCOPED_TRACE("mutation " + std::to_string(i));
    fuzz::RunOnExactCopy(input);
  }
}

}  // namespace
