// The PNG plug-in's decoder against libpng's own test images and ImageMagick, its refusals of
// hostile files, and the program's PNG encoder read back by both.

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "bench/TestPictures.h"
#include "core/PngCodec.h"
#include "pngplugin/PngDecoder.h"
#include "tests/native/png_test_support.h"
#include "tests/png/PngWithZeros.h"

namespace {

namespace fs = std::filesystem;
using pngplugin::PngDecoder;
using pngplugin::PngError;
using pngplugin::PngFailure;
using pngtest::Chunk;

bool HasChunk(const std::vector<uint8_t>& png, const std::string& type) {
  for (const Chunk& chunk : pngtest::SplitChunks(png)) {
    if (chunk.type == type) return true;
  }
  return false;
}

// What decoding `png` throws, or nothing.
std::optional<PngFailure> FailureOf(const std::vector<uint8_t>& png,
                                    std::string* message = nullptr) {
  try {
    pngplugin::DecodePng(png);
  } catch (const PngError& error) {
    if (message != nullptr) *message = error.what();
    return error.Failure();
  }
  return std::nullopt;
}

// A picture with flat areas, edges and noise in every channel.
core::Dib Pattern(int width, int height) {
  core::Dib dib(width, height, 24);
  uint32_t noise = 12345;
  for (int y = 0; y < height; ++y) {
    uint8_t* p = dib.Row(y);
    for (int x = 0; x < width; ++x, p += 3) {
      noise = noise * 1103515245 + 12345;
      p[0] = static_cast<uint8_t>(x < width / 2 ? 200 : noise >> 16);
      p[1] = static_cast<uint8_t>(x * 7 + y * 3);
      p[2] = static_cast<uint8_t>(y < height / 3 ? 17 : (x ^ y));
    }
  }
  return dib;
}

TEST(PngConformance, EveryLibpngTestImageDecodesToImageMagicksPixels) {
  const auto files = pngtest::LibpngTestImages();
  ASSERT_GT(files.size(), 150u);
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    const std::vector<uint8_t> png = pngtest::ReadBytes(file);
    core::Dib decoded;
    ASSERT_NO_THROW(decoded = pngplugin::DecodePng(png));
    const PngDecoder header(png);
    // Exact, except where 16-bit samples are rounded or a colour is blended with white.
    const bool approximate =
        header.Header().bitDepth == 16 || (header.Header().colourType & 4) || HasChunk(png, "tRNS");
    const int difference = pngtest::LargestDifference(
        pngtest::FromDib(decoded), pngtest::ReadPpm(pngtest::ReferenceFor(file)));
    EXPECT_GE(difference, 0) << "size differs";
    EXPECT_LE(difference, approximate ? 1 : 0);
  }
}

// libpng's crashers as ImageMagick reads them: only empty_ancillary_chunks.png holds a picture, one
// purple pixel behind its empty ancillary chunks; every other one is refused. One differs on
// purpose: badcrc.png's only checksum error is the CRC after its last row's data, which the
// decoder never reads, as it reads nothing after the last row; its data inflates to one black
// pixel (zlib, outside libpng), which is what the decoder gives.
struct CrasherReading {
  const char* file;
  pngtest::Rgb8 pixels;
};
const CrasherReading kCrashersWithAPicture[] = {
    {"empty_ancillary_chunks.png", {1, 1, {128, 0, 128}}},
    {"badcrc.png", {1, 1, {0, 0, 0}}},
};

TEST(PngConformance, EveryCrasherIsReadAsImageMagickReadsIt) {
  const auto files = pngtest::LibpngCrashers();
  ASSERT_GT(files.size(), 15u);
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.string());
    const std::vector<uint8_t> png = pngtest::ReadBytes(file);
    const auto reading =
        std::find_if(std::begin(kCrashersWithAPicture), std::end(kCrashersWithAPicture),
                     [&](const CrasherReading& r) { return file.filename() == r.file; });
    if (reading == std::end(kCrashersWithAPicture)) {
      EXPECT_TRUE(FailureOf(png).has_value());
      continue;
    }
    core::Dib dib;
    ASSERT_NO_THROW(dib = pngplugin::DecodePng(png));
    EXPECT_EQ(pngtest::LargestDifference(pngtest::FromDib(dib), reading->pixels), 0);
  }
}

TEST(PngEncoder, WritesEverySizeAndContentLosslessly) {
  for (const auto& [width, height] : {std::pair{1, 1}, std::pair{2, 1}, std::pair{1, 7},
                                      std::pair{3, 5}, std::pair{17, 9}, std::pair{331, 203}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    const core::Dib source = Pattern(width, height);
    const std::vector<uint8_t> png = core::EncodePng(source);
    const PngDecoder decoder(png);
    EXPECT_EQ(decoder.Header().bitDepth, 8);
    EXPECT_EQ(decoder.Header().colourType, 2) << "RGB";
    EXPECT_FALSE(decoder.Header().interlaced);
    EXPECT_EQ(pngtest::LargestDifference(pngtest::FromDib(pngplugin::DecodePng(png)),
                                         pngtest::FromDib(source)),
              0);
  }
  // Large enough to be filtered and compressed by two threads, each a part of the rows, with runs
  // of equal rows at the top (equal to the zeros above the picture) and from a third to two thirds
  // down, where the parts meet. Those rows fade from 255 by halves, pixel by pixel: taken alone
  // (without the row above) the Average filter would fit them best, so a part filtered against the
  // wrong row above would not read back.
  core::Dib banded = Pattern(1201, 301);
  const size_t rowBytes = 1201 * 3;
  uint8_t* fading = banded.Row(100);
  for (size_t i = 0; i < rowBytes; ++i) fading[i] = static_cast<uint8_t>(255 >> (i / 3 % 9));
  for (int y = 101; y < 201; ++y) std::memcpy(banded.Row(y), fading, rowBytes);
  for (int y = 0; y < 3; ++y) std::memset(banded.Row(y), 0, rowBytes);
  EXPECT_EQ(
      pngtest::LargestDifference(pngtest::FromDib(pngplugin::DecodePng(core::EncodePng(banded))),
                                 pngtest::FromDib(banded)),
      0);

  core::Dib grey(8, 8, 8);
  EXPECT_THROW(core::EncodePng(grey), core::Error) << "only 24-bit pictures";
}

TEST(PngEncoder, ImageMagickReadsAScreenShotBackPixelForPixel) {
  const core::Dib shot = bench::MakeScreenshot(800, 600);
  const fs::path file =
      fs::temp_directory_path() / ("capslate-shot-" + std::to_string(::getpid()) + ".png");
  {
    const std::vector<uint8_t> png = core::EncodePng(shot);
    std::ofstream(file, std::ios::binary)
        .write(reinterpret_cast<const char*>(png.data()), static_cast<std::streamsize>(png.size()));
  }
  const fs::path ppm = file.string() + ".ppm";
  const std::string command = "/usr/bin/convert '" + file.string() + "' ppm:'" + ppm.string() + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
  EXPECT_EQ(pngtest::LargestDifference(pngtest::ReadPpm(ppm), pngtest::FromDib(shot)), 0);
  fs::remove(file);
  fs::remove(ppm);
}

TEST(PngDecoder, TruncatedAndCorruptFilesAreRefusedWithAClearError) {
  const std::vector<uint8_t> good = core::EncodePng(Pattern(40, 30));
  ASSERT_FALSE(FailureOf(good));
  const auto chunks = pngtest::SplitChunks(good);
  ASSERT_EQ(chunks.size(), 3u);  // IHDR, IDAT, IEND

  struct Case {
    const char* name;
    std::vector<uint8_t> file;
    PngFailure failure;
    const char* inMessage;
  };
  std::vector<Case> cases;
  cases.push_back(
      {"no signature", {'G', 'I', 'F', '8', '9', 'a', 0, 0, 0, 0}, PngFailure::kNotPng, ""});
  for (size_t cut : {size_t{8}, size_t{20}, size_t{33}, good.size() / 2}) {
    cases.push_back({"truncated",
                     {good.begin(), good.begin() + static_cast<long>(cut)},
                     PngFailure::kBroken,
                     "途中で切れています"});
  }
  {  // a byte of IHDR's data
    std::vector<uint8_t> flipped = good;
    flipped[8 + 8 + 2] ^= 0x10;
    cases.push_back({"CRC", flipped, PngFailure::kBroken, "CRC"});
  }
  {  // an ancillary chunk with a wrong CRC
    auto withText = chunks;
    withText.insert(withText.begin() + 1, Chunk{"tEXt", {'a', 0, 'b'}});
    std::vector<uint8_t> file = pngtest::JoinChunks(withText);
    file[8 + 25 + 8 + 1] ^= 1;
    cases.push_back({"ancillary CRC", file, PngFailure::kBroken, "CRC"});
  }
  {  // compressed data whose checksum is wrong, CRC right
    auto badData = chunks;
    badData[1].data[badData[1].data.size() - 1] ^= 0x55;
    cases.push_back({"Adler-32", pngtest::JoinChunks(badData), PngFailure::kBroken, "PNG"});
  }
  {  // too little pixel data for the declared size
    auto shortData = chunks;
    shortData[0].data[7] = 60;  // height 60 instead of 30
    cases.push_back({"short data", pngtest::JoinChunks(shortData), PngFailure::kBroken, "PNG"});
  }
  {  // an invalid colour type
    auto badType = chunks;
    badType[0].data[9] = 5;
    cases.push_back({"colour type", pngtest::JoinChunks(badType), PngFailure::kBroken, "PNG"});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::string message;
    EXPECT_EQ(FailureOf(c.file, &message), c.failure);
    EXPECT_NE(message.find(c.inMessage), std::string::npos) << message;
  }
}

// The picture is whole once its last row is decoded: what follows is not read, so neither a
// stream that inflates to gigabytes nor damage there keeps the picture from the user.
TEST(PngDecoder, NothingAfterTheLastRowIsReadSoItsDamageDoesNotMatter) {
  const core::Dib picture = Pattern(40, 30);
  const std::vector<uint8_t> good = core::EncodePng(picture);
  struct Case {
    const char* name;
    std::vector<uint8_t> file;
  };
  std::vector<Case> cases = {
      {"cut in IDAT's CRC", {good.begin(), good.end() - 13}},
      {"cut in IEND", {good.begin(), good.end() - 1}},
      {"10 MB of zeros in the stream after the rows",
       pngtest::PngWithZerosAfterTheRows(picture, 10u << 20)},
  };
  for (size_t at : {good.size() - 12 - 2, good.size() - 2}) {  // IDAT's CRC, IEND's CRC
    cases.push_back({"a CRC after the rows", good});
    cases.back().file[at] ^= 0x10;
  }
  {  // junk where IEND should be
    std::vector<uint8_t> junk(good.begin(), good.end() - 12);
    junk.insert(junk.end(), 100, 0xEE);
    cases.push_back({"junk after IDAT", junk});
  }
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    try {
      EXPECT_EQ(pngtest::LargestDifference(pngtest::FromDib(pngplugin::DecodePng(c.file)),
                                           pngtest::FromDib(picture)),
                0);
    } catch (const PngError& error) {
      ADD_FAILURE() << error.what();
    }
  }
}

TEST(PngDecoder, ADeclaredSizeBeyondTheLimitsIsRefusedBeforeAnyPixelIsRead) {
  auto chunks = pngtest::SplitChunks(core::EncodePng(Pattern(4, 4)));
  const auto withSize = [&](uint32_t width, uint32_t height) {
    for (int i = 0; i < 4; ++i) {
      chunks[0].data[i] = static_cast<uint8_t>(width >> (24 - 8 * i));
      chunks[0].data[4 + i] = static_cast<uint8_t>(height >> (24 - 8 * i));
    }
    return pngtest::JoinChunks(chunks);
  };
  for (const auto& [width, height] :
       {std::pair{65536u, 1u}, std::pair{1u, 70000u}, std::pair{20000u, 20000u},
        std::pair{0x7FFFFFFFu, 0x7FFFFFFFu}}) {
    SCOPED_TRACE(std::to_string(width) + " x " + std::to_string(height));
    try {
      PngDecoder decoder(withSize(width, height));  // the header alone decides
      ADD_FAILURE() << "accepted";
    } catch (const PngError& error) {
      EXPECT_EQ(error.Failure(), PngFailure::kTooLarge);
    }
  }
  // A small file may hold a large flat picture: only the declared size counts.
  const core::Dib flat(4000, 3000, 24);
  const std::vector<uint8_t> small = core::EncodePng(flat);
  EXPECT_LT(small.size(), 100'000u);
  EXPECT_EQ(pngplugin::DecodePng(small).Width(), 4000);
}

TEST(PngDecoder, ProgressRisesToTheEndAndCanStopTheDecode) {
  for (const char* name : {"basn6a16.png", "interlaced/ibasn3p04.png"}) {
    SCOPED_TRACE(name);
    const auto png =
        pngtest::ReadBytes(fs::path(CAPSLATE_LIBPNG_SOURCE) / "contrib/pngsuite" / name);
    PngDecoder decoder(png);
    core::Dib dib(decoder.Header().width, decoder.Header().height, 24);
    std::vector<std::pair<int, int>> calls;
    decoder.DecodeInto(dib, [&](int done, int total) {
      calls.emplace_back(done, total);
      return true;
    });
    ASSERT_GE(calls.size(), 2u);
    EXPECT_LE(calls.size(), 102u);
    EXPECT_EQ(calls.front().first, 0);
    EXPECT_EQ(calls.back().first, calls.back().second) << "ends at the total";
    for (size_t i = 1; i < calls.size(); ++i) EXPECT_GT(calls[i].first, calls[i - 1].first);

    PngDecoder stopped(png);
    int asked = 0;
    try {
      stopped.DecodeInto(dib, [&](int, int) { return ++asked < 3; });
      ADD_FAILURE() << "not stopped";
    } catch (const PngError& error) {
      EXPECT_EQ(error.Failure(), PngFailure::kStopped);
    }
    EXPECT_EQ(asked, 3) << "no call after the answer to stop";
  }
}

}  // namespace
