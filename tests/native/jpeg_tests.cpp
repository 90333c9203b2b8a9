// The JPEG reader and writer against files and programs nobody here wrote: libjpeg-turbo's
// reference images, Debian's djpeg, and inputs built with raw libjpeg calls.

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <gtest/gtest.h>
#include <jpeglib.h>
#include <unistd.h>

#include "core/Error.h"
#include "core/JpegCodec.h"
#include "tests/native/jpeg_test_support.h"

namespace {

using jpegtest::EncodeWithLibjpeg;
using jpegtest::ReadBytes;
using jpegtest::TestImage;

std::vector<uint8_t> Pixels(const core::Dib& dib) {  // top-down B,G,R rows without padding
  std::vector<uint8_t> out;
  for (int y = 0; y < dib.Height(); ++y) {
    out.insert(out.end(), dib.Row(y), dib.Row(y) + dib.Width() * 3);
  }
  return out;
}

std::string DecodeError(const std::vector<uint8_t>& data) {
  try {
    core::DecodeJpeg(data);
  } catch (const core::Error& e) {
    return e.what();
  }
  return "(decoded without error)";
}

TEST(JpegEncode, ReproducesReferenceFileAtQuality75) {
  const core::Dib picture = jpegtest::ReadPpm(TestImage("testorig.ppm"));
  ASSERT_EQ(picture.Width(), 227);
  ASSERT_EQ(picture.Height(), 149);
  EXPECT_EQ(core::EncodeJpeg(picture, 75), ReadBytes(TestImage("testimgint.jpg")));
}

TEST(JpegEncode, RoundTripsOddSizesAtQuality100) {
  for (const auto& [w, h] : {std::pair{1, 1}, {5, 3}, {33, 17}}) {
    SCOPED_TRACE(std::to_string(w) + "x" + std::to_string(h));
    core::Dib src(w, h, 24);
    for (int y = 0; y < h; ++y) {
      for (int x = 0; x < w * 3; ++x)
        src.Row(y)[x] = static_cast<uint8_t>(40 + (x % 3) * 60 + y * 4);
    }
    const core::Dib back = core::DecodeJpeg(core::EncodeJpeg(src, 100));
    ASSERT_EQ(back.Width(), w);
    ASSERT_EQ(back.Height(), h);
    const auto a = Pixels(src), b = Pixels(back);
    for (size_t i = 0; i < a.size(); ++i) ASSERT_NEAR(a[i], b[i], 4) << "byte " << i;
  }
}

TEST(JpegEncode, RefusesPicturesOtherThan24Bpp) {
  EXPECT_THROW(core::EncodeJpeg(core::Dib(4, 4, 32), 75), core::Error);
  EXPECT_THROW(core::EncodeJpeg(core::Dib(), 75), core::Error);
}

TEST(JpegQuality, SettingIsTakenAsOneByteClampedTo1To100) {
  EXPECT_EQ(core::JpegQualityFromSetting(0), 1);
  EXPECT_EQ(core::JpegQualityFromSetting(60), 60);
  EXPECT_EQ(core::JpegQualityFromSetting(150), 100);
  EXPECT_EQ(core::JpegQualityFromSetting(300), 44);
  EXPECT_EQ(core::JpegQualityFromSetting(-1), 100);
  EXPECT_EQ(core::JpegQualityFromSetting(256 + 60), 60);
}

// At the extremes every entry of both written tables is known: 1 at quality 100, and at quality 1
// the scaled values exceed a byte and are clamped to 255 for a baseline file.
TEST(JpegQuality, SettingReachesTheWrittenQuantisationTables) {
  for (const auto& [setting, entry] : {std::pair{0, 255}, {150, 1}}) {
    SCOPED_TRACE("setting " + std::to_string(setting));
    const auto file =
        core::EncodeJpeg(core::Dib(16, 16, 24), core::JpegQualityFromSetting(setting));
    jpeg_error_mgr err{};
    jpeg_decompress_struct written{};
    written.err = jpeg_std_error(&err);
    jpeg_create_decompress(&written);
    jpeg_mem_src(&written, file.data(), static_cast<unsigned long>(file.size()));
    jpeg_read_header(&written, TRUE);
    for (int t = 0; t < 2; ++t) {
      ASSERT_NE(written.quant_tbl_ptrs[t], nullptr);
      for (int i = 0; i < DCTSIZE2; ++i) {
        ASSERT_EQ(written.quant_tbl_ptrs[t]->quantval[i], entry) << "table " << t << " entry " << i;
      }
    }
    jpeg_destroy_decompress(&written);
  }
}

TEST(JpegDecode, MatchesDjpegIslowBmpOutput) {
  const std::string bmpPath =
      ::testing::TempDir() + "capslate_djpeg_" + std::to_string(getpid()) + ".bmp";
  const std::string command =
      "djpeg -dct int -bmp -outfile '" + bmpPath + "' '" + TestImage("testorig.jpg") + "'";
  ASSERT_EQ(std::system(command.c_str()), 0) << "needs djpeg (apt-get install libjpeg-turbo-progs)";
  const auto bmp = ReadBytes(bmpPath);
  std::filesystem::remove(bmpPath);

  std::string warning = "stale";
  const core::Dib dib = core::DecodeJpeg(ReadBytes(TestImage("testorig.jpg")), &warning);
  EXPECT_EQ(warning, "");
  ASSERT_EQ(dib.Width(), 227);
  ASSERT_EQ(dib.Height(), 149);
  ASSERT_EQ(bmp.size(), 54 + dib.ImageSize());  // same bottom-up rows padded to 4
  EXPECT_TRUE(std::equal(bmp.begin() + 54, bmp.end(), dib.Bits()));
}

TEST(JpegDecode, ArithmeticCodedFileGivesTheSamePixelsAsHuffman) {
  const core::Dib ari = core::DecodeJpeg(ReadBytes(TestImage("testimgari.jpg")));
  const core::Dib huff = core::DecodeJpeg(ReadBytes(TestImage("testimgint.jpg")));
  EXPECT_EQ(Pixels(ari), Pixels(huff));
}

TEST(JpegDecode, GreyscaleBecomesGreyRgb) {
  jpegtest::RawImage grey{64, 16, 1, {}};
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 64; ++x) grey.samples.push_back(static_cast<uint8_t>(x * 4));
  }
  const core::Dib dib = core::DecodeJpeg(EncodeWithLibjpeg(grey, JCS_GRAYSCALE, false));
  ASSERT_EQ(dib.BitCount(), 24);
  for (int y = 0; y < 16; ++y) {
    for (int x = 0; x < 64; ++x) {
      const uint8_t* p = dib.Row(y) + x * 3;
      ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << x << "," << y;
      ASSERT_NEAR(p[0], x * 4, 3) << x << "," << y;
    }
  }
}

// Adobe's inverted convention: a stored 255 means no ink, so R = C * K / 255 and so on.
TEST(JpegDecode, CmykAndYcckAreConvertedAsInvertedCmyk) {
  struct Patch {
    uint8_t c, m, y, k;
    uint8_t b, g, r;
  };
  const Patch patches[] = {{255, 0, 255, 255, 255, 0, 255},       // full magenta ink
                           {255, 255, 255, 128, 128, 128, 128},   // half black
                           {0, 255, 255, 255, 255, 255, 0},       // full cyan ink
                           {255, 255, 255, 255, 255, 255, 255}};  // paper
  jpegtest::RawImage cmyk{64, 16, 4, {}};
  for (int y = 0; y < 16; ++y) {
    for (const Patch& p : patches) {
      for (int x = 0; x < 16; ++x) cmyk.samples.insert(cmyk.samples.end(), {p.c, p.m, p.y, p.k});
    }
  }
  for (const int space : {JCS_CMYK, JCS_YCCK}) {
    SCOPED_TRACE(space == JCS_CMYK ? "CMYK" : "YCCK");
    const core::Dib dib = core::DecodeJpeg(EncodeWithLibjpeg(cmyk, space, false));
    for (int i = 0; i < 4; ++i) {
      const uint8_t* px = dib.Row(8) + (i * 16 + 8) * 3;  // the middle of each patch
      EXPECT_NEAR(px[0], patches[i].b, 3) << "patch " << i;
      EXPECT_NEAR(px[1], patches[i].g, 3) << "patch " << i;
      EXPECT_NEAR(px[2], patches[i].r, 3) << "patch " << i;
    }
  }
}

TEST(JpegDecode, RefusesTwelveBitFiles) {
  const std::string message = DecodeError(ReadBytes(TestImage("testorig12.jpg")));
  EXPECT_NE(message.find("12 ビット"), std::string::npos) << message;
}

TEST(JpegHostile, HugeDeclaredSizeIsRefusedBeforeAllocation) {
  auto file = ReadBytes(TestImage("testorig.jpg"));
  const size_t sof = jpegtest::FindMarker(file, 0xC0);
  ASSERT_NE(sof, std::string::npos);
  file[sof + 5] = 0xFA;  // height 64250
  file[sof + 6] = 0xFA;
  file[sof + 7] = 0xFA;  // width 64250
  file[sof + 8] = 0xFA;
  file.resize(1400);
  const std::string message = DecodeError(file);
  EXPECT_NE(message.find("JPEG"), std::string::npos) << message;  // ours, not Dib's generic refusal
  EXPECT_NE(message.find("64250 x 64250"), std::string::npos) << message;
}

TEST(JpegHostile, TruncatedFileDecodesWithGreyRestAndWarning) {
  const auto file = ReadBytes(TestImage("testorig.jpg"));
  const core::Dib whole = core::DecodeJpeg(file);
  std::string warning;
  const core::Dib cut = core::DecodeJpeg(
      std::vector<uint8_t>(file.begin(), file.begin() + file.size() * 6 / 10), &warning);
  EXPECT_NE(warning, "");
  ASSERT_EQ(cut.Width(), 227);
  ASSERT_EQ(cut.Height(), 149);
  EXPECT_TRUE(std::equal(whole.Row(0), whole.Row(0) + 227 * 3, cut.Row(0)));
  const uint8_t* last = cut.Row(148) + 226 * 3;
  EXPECT_EQ((std::vector<int>{last[0], last[1], last[2]}), (std::vector<int>{128, 128, 128}));
}

// A small file that repeats one progressive scan over and over would keep the decoder busy.
TEST(JpegHostile, EndlesslyRepeatedScansAreRefused) {
  jpegtest::RawImage rgb{32, 32, 3, std::vector<uint8_t>(32 * 32 * 3, 90)};
  auto file = EncodeWithLibjpeg(rgb, JCS_YCbCr, true);
  size_t lastScan = 0;
  for (size_t at = jpegtest::FindMarker(file, 0xDA); at != std::string::npos;
       at = jpegtest::FindMarker(file, 0xDA, at + 2)) {
    lastScan = at;
  }
  ASSERT_GT(lastScan, 0u);
  const std::vector<uint8_t> scan(file.begin() + static_cast<long>(lastScan), file.end() - 2);
  file.resize(file.size() - 2);  // drop EOI, append the scan 600 times, then EOI again
  for (int i = 0; i < 600; ++i) file.insert(file.end(), scan.begin(), scan.end());
  file.insert(file.end(), {0xFF, 0xD9});
  const std::string message = DecodeError(file);
  EXPECT_NE(message.find("スキャン"), std::string::npos) << message;
}

TEST(JpegHostile, EmptyAndNonJpegDataAreRefused) {
  EXPECT_THROW(core::DecodeJpeg({}), core::Error);
  EXPECT_THROW(core::DecodeJpeg(ReadBytes(TestImage("testorig.ppm"))), core::Error);
}

}  // namespace
