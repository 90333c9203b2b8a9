// Replays the JPEG fuzz entry point over libjpeg-turbo's test images and deterministic mutations
// of them, so sanitizer findings show up in every ordinary test run.

#include <cstdint>
#include <random>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <jpeglib.h>

#include "tests/native/FuzzSupport.h"
#include "tests/native/jpeg_test_support.h"

namespace {

std::vector<std::vector<uint8_t>> Seeds() {
  std::vector<std::vector<uint8_t>> seeds;
  for (const char* name : {"testorig.jpg", "testimgint.jpg", "testimgari.jpg", "testorig12.jpg"}) {
    seeds.push_back(jpegtest::ReadBytes(jpegtest::TestImage(name)));
  }
  jpegtest::RawImage rgb{40, 24, 3, {}};
  for (int i = 0; i < 40 * 24 * 3; ++i) rgb.samples.push_back(static_cast<uint8_t>(i * 7));
  seeds.push_back(jpegtest::EncodeWithLibjpeg(rgb, JCS_YCbCr, true));
  jpegtest::RawImage cmyk{24, 16, 4, std::vector<uint8_t>(24 * 16 * 4, 200)};
  seeds.push_back(jpegtest::EncodeWithLibjpeg(cmyk, JCS_YCCK, false));
  return seeds;
}

// One mutation: overwrite a few bytes, truncate, or copy a chunk elsewhere.
std::vector<uint8_t> Mutate(std::vector<uint8_t> data, std::mt19937& rng) {
  const auto pick = [&](size_t n) { return static_cast<size_t>(rng() % n); };
  switch (rng() % 4) {
    case 0:
      for (size_t i = 0, n = 1 + pick(8); i < n; ++i)
        data[pick(data.size())] = static_cast<uint8_t>(rng());
      break;
    case 1:
      data.resize(pick(data.size()));
      break;
    case 2: {
      const size_t from = pick(data.size()), to = pick(data.size());
      const size_t len = std::min(pick(64) + 1, data.size() - from);
      data.insert(data.begin() + static_cast<long>(to), data.begin() + static_cast<long>(from),
                  data.begin() + static_cast<long>(from + len));
      break;
    }
    default:  // bytes that are markers, lengths or table values in a JPEG header
      for (size_t i = 0, n = 1 + pick(4); i < n; ++i) {
        data[pick(std::min<size_t>(data.size(), 700))] = (rng() & 1) ? 0xFF : 0x00;
      }
      break;
  }
  return data;
}

TEST(JpegFuzzReplay, SeedsAndMutationsNeverCrash) {
  const auto seeds = Seeds();
  for (const auto& seed : seeds) fuzz::RunOnExactCopy(seed);
  std::mt19937 rng(20240601);
  for (int i = 0; i < 3000; ++i) {
    const auto& seed = seeds[static_cast<size_t>(i) % seeds.size()];
    const auto input = Mutate(seed, rng);
    SCOPED_TRACE("mutation " + std::to_string(i));
    fuzz::RunOnExactCopy(input);
  }
  std::mt19937 noise(7);
  for (int i = 0; i < 200; ++i) {  // random garbage behind a JPEG start marker
    std::vector<uint8_t> junk{0xFF, 0xD8};
    for (size_t n = noise() % 4096; n > 0; --n) junk.push_back(static_cast<uint8_t>(noise()));
    fuzz::RunOnExactCopy(junk);
  }
}

}  // namespace
