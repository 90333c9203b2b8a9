#pragma once
// Helpers of the PNG tests: libpng's test images, ImageMagick's references for them, reading a
// PPM, and editing the chunks of a PNG file with their CRCs kept right.

#include <cstdint>
#include <filesystem>
#include <string>
#include <vector>

#include "core/Dib.h"

namespace pngtest {

std::vector<uint8_t> ReadBytes(const std::filesystem::path& path);

// The PNG files of contrib/pngsuite, contrib/pngsuite/interlaced and contrib/testpngs in libpng's
// source, sorted; and those of contrib/testpngs/crashers.
std::vector<std::filesystem::path> LibpngTestImages();
std::vector<std::filesystem::path> LibpngCrashers();
// ImageMagick's reading of one of LibpngTestImages() (tests/png/make_references.sh).
std::filesystem::path ReferenceFor(const std::filesystem::path& png);

struct Rgb8 {  // top-down rows of red, green, blue bytes
  int width = 0;
  int height = 0;
  std::vector<uint8_t> samples;
};
Rgb8 ReadPpm(const std::filesystem::path& path);  // binary P6 with 255 levels
Rgb8 FromDib(const core::Dib& dib24);

// The largest difference of one sample between two pictures of the same size, or -1 when their
// sizes differ.
int LargestDifference(const Rgb8& a, const Rgb8& b);

// One chunk of a PNG file.
struct Chunk {
  std::string type;
  std::vector<uint8_t> data;
};
std::vector<Chunk> SplitChunks(const std::vector<uint8_t>& png);    // after the signature
std::vector<uint8_t> JoinChunks(const std::vector<Chunk>& chunks);  // with correct CRCs

}  // namespace pngtest
