// BMP reader and writer, packed DIBs and conversion to 24 bits, tested against files made by others
// (the BMP suite, decoded independently by ImageMagick) and against hand-built headers.

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <bit>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <map>
#include <set>
#include <string>
#include <tuple>
#include <vector>

#include "core/BmpCodec.h"
#include "core/BmpFormat.h"
#include "core/Convert24.h"
#include "core/Error.h"

namespace core {
namespace {

namespace fs = std::filesystem;
using Bytes = std::vector<uint8_t>;

const fs::path kSuite = fs::path(CAPSLATE_CORPORA_DIR) / "bmpsuite";
constexpr const char* kImageMagick = "/usr/bin/convert";

Bytes ReadFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

std::vector<fs::path> BmpFilesIn(const std::string& folder) {
  std::vector<fs::path> files;
  for (const auto& entry : fs::directory_iterator(kSuite / folder)) {
    if (entry.path().extension() == ".bmp") files.push_back(entry.path());
  }
  std::sort(files.begin(), files.end());
  return files;
}

// Output of a shell pipeline that ends in ImageMagick writing RGB bytes, rows top-down; empty when
// a decoder in it refuses the file. ImageMagick exits with 1 after mere warnings (such as RLE data
// that ends early), so the output counts, not the exit status; its size is checked by the caller.
Bytes RunToRgb(const std::string& pipeline) {
  FILE* pipe = popen((pipeline + " -depth 8 rgb:- 2>/dev/null").c_str(), "r");
  if (pipe == nullptr) return {};
  Bytes rgb;
  uint8_t buffer[65536];
  for (size_t n; (n = fread(buffer, 1, sizeof buffer, pipe)) > 0;)
    rgb.insert(rgb.end(), buffer, buffer + n);
  pclose(pipe);
  return rgb;
}
Bytes ImageMagickRgb(const fs::path& path) {
  return RunToRgb(std::string(kImageMagick) + " '" + path.string() + "'");
}
Bytes NetpbmRgb(const fs::path& path) {
  return RunToRgb("bmptopnm '" + path.string() + "' 2>/dev/null | " + kImageMagick + " pnm:-");
}

// Allowed difference per channel, in R, G, B order.
using Tolerance = std::array<int, 3>;

// Compares our 24-bit picture with top-down RGB bytes; returns "" or where they first differ.
std::string CompareWithRgb(const Dib& ours, const Bytes& rgb, Tolerance tolerance = {}) {
  const size_t w = static_cast<size_t>(ours.Width());
  if (rgb.size() != w * static_cast<size_t>(ours.Height()) * 3) {
    return "size differs: ours " + std::to_string(ours.Width()) + "x" +
           std::to_string(ours.Height()) + ", reference " + std::to_string(rgb.size()) + " bytes";
  }
  for (int y = 0; y < ours.Height(); ++y) {
    for (size_t x = 0; x < w; ++x) {
      const uint8_t* bgr = ours.Row(y) + x * 3;
      const uint8_t* ref = &rgb[(static_cast<size_t>(y) * w + x) * 3];
      for (int c = 0; c < 3; ++c) {
        if (std::abs(int{bgr[2 - c]} - int{ref[c]}) > tolerance[c]) {
          return "pixel (" + std::to_string(x) + "," + std::to_string(y) + ") channel " + "RGB"[c] +
                 ": ours " + std::to_string(bgr[2 - c]) + ", reference " + std::to_string(ref[c]);
        }
      }
    }
  }
  return "";
}

// 5- and 6-bit channels: both decoders replicate bits, but allow the rounding variant (±1) too.
Tolerance WideningTolerance(const Dib& dib) {
  return dib.BitCount() == 16 ? Tolerance{1, 1, 1} : Tolerance{};
}

// ImageMagick widens channels of other widths by its own scaling: a full 3-bit channel becomes 224
// and a full 1-bit one 128 where we give 255 (bit replication), and a full 10- or 11-bit channel
// 254. So for files with such channels only the channel's own precision is compared.
Tolerance ImageMagickOddChannelTolerance(const Dib& dib) {
  auto one = [](uint32_t mask) {
    const int bits = std::popcount(mask);
    return bits >= 8 ? 2 : (256 >> bits) + 1;
  };
  return {one(dib.Masks().red), one(dib.Masks().green), one(dib.Masks().blue)};
}

bool IsMessageClear(const Error& e) { return std::string(e.what()).size() > 10; }

// ---- The BMP suite ----

TEST(BmpSuite, GoodFilesMatchImageMagick) {
  ASSERT_TRUE(fs::exists(kImageMagick)) << "install imagemagick: it is the independent decoder";
  const auto files = BmpFilesIn("g");
  ASSERT_GE(files.size(), 20u);
  for (const fs::path& file : files) {
    SCOPED_TRACE(file.filename().string());
    const Bytes reference = ImageMagickRgb(file);
    ASSERT_FALSE(reference.empty()) << "ImageMagick could not decode it";
    Dib dib;
    ASSERT_NO_THROW(dib = ReadBmp(ReadFile(file)));
    EXPECT_EQ(CompareWithRgb(ConvertTo24(dib), reference, WideningTolerance(dib)), "");
  }
}

// Where ImageMagick cannot witness a q/ file, another decoder or another file of the suite holding
// the same picture does.
struct Witness {
  const char* reason;
  Bytes (*decode)(const fs::path&);
  const char* sameAs;  // a suite file with the same picture, or nullptr for the file itself
};
const std::map<std::string, Witness> kOtherWitness = {
    {"pal2.bmp", {"ImageMagick does not read 2-bit files", NetpbmRgb, nullptr}},
    {"pal2color.bmp", {"ImageMagick does not read 2-bit files", NetpbmRgb, nullptr}},
    {"pal8oversizepal.bmp",
     {"both decoders refuse 300 colours at 8 bits", ImageMagickRgb, "g/pal8.bmp"}},
    {"pal8os2v2.bmp",
     {"ImageMagick misplaces the pixels after a 64-byte OS/2 header", ImageMagickRgb,
      "g/pal8.bmp"}},
    {"pal8os2v2-sz.bmp",
     {"ImageMagick misplaces the pixels after a 64-byte OS/2 header", ImageMagickRgb,
      "g/pal8.bmp"}},
    {"rgba32abf.bmp",
     {"neither decoder reads BI_ALPHABITFIELDS", ImageMagickRgb, "q/rgba32-1.bmp"}},
};
const std::set<std::string> kOddChannelWidths = {
    "rgb16-231.bmp",      "rgb16-3103.bmp",   "rgb32-111110.bmp",
    "rgb32-7187.bmp",     "rgba16-1924.bmp",  "rgba16-4444.bmp",
    "rgba32-1010102.bmp", "rgba32-61754.bmp", "rgba32-81284.bmp"};

TEST(BmpSuite, QuestionableFilesDecodeLikeAnIndependentDecoderOrAreRefusedClearly) {
  // Files we refuse on purpose: compressions and depths we do not support.
  const std::set<std::string> refused = {"pal1huffmsb.bmp", "rgb24jpeg.bmp", "rgb24png.bmp",
                                         "rgb24rle24.bmp", "rgba64.bmp"};
  for (const fs::path& file : BmpFilesIn("q")) {
    const std::string name = file.filename().string();
    SCOPED_TRACE(name);
    try {
      const Dib dib = ReadBmp(ReadFile(file));
      EXPECT_FALSE(refused.contains(name)) << "decoded a file we mean to refuse";
      const auto other = kOtherWitness.find(name);
      const Bytes reference =
          other == kOtherWitness.end()
              ? ImageMagickRgb(file)
              : other->second.decode(other->second.sameAs ? kSuite / other->second.sameAs : file);
      ASSERT_FALSE(reference.empty()) << "no independent decoding";
      const Tolerance tolerance = kOddChannelWidths.contains(name)
                                      ? ImageMagickOddChannelTolerance(dib)
                                      : WideningTolerance(dib);
      EXPECT_EQ(CompareWithRgb(ConvertTo24(dib), reference, tolerance), "");
    } catch (const Error& e) {
      EXPECT_TRUE(refused.contains(name)) << "refused: " << e.what();
      EXPECT_TRUE(IsMessageClear(e)) << e.what();
    }
  }
}

TEST(BmpSuite, BadFilesAreRefusedOrDecodeSanely) {
  // These cannot be read as any sensible picture.
  const std::set<std::string> mustRefuse = {
      "badbitcount.bmp", "badheadersize.bmp", "badplanes.bmp", "badwidth.bmp",
      "reallybig.bmp",   "rletopdown.bmp",    "shortfile.bmp"};
  for (const fs::path& file : BmpFilesIn("b")) {
    const std::string name = file.filename().string();
    SCOPED_TRACE(name);
    try {
      const Dib dib = ReadBmp(ReadFile(file));
      EXPECT_FALSE(mustRefuse.contains(name)) << "decoded a broken file";
      EXPECT_EQ(ConvertTo24(dib).Width(), dib.Width());
    } catch (const Error& e) {
      EXPECT_TRUE(IsMessageClear(e)) << e.what();
    }
  }
}

TEST(BmpSuite, BitmapArrayGivesItsFirstPicture) {
  const Dib dib = ReadBmp(ReadFile(kSuite / "x" / "ba-bm.bmp"));
  // Neither decoder reads bitmap arrays; its first picture is the one of g/pal8.bmp.
  const Bytes reference = ImageMagickRgb(kSuite / "g" / "pal8.bmp");
  EXPECT_EQ(CompareWithRgb(ConvertTo24(dib), reference), "");
}

// ---- Hand-built files ----

// A packed DIB: 40-byte (or larger) header, then whatever the test appends.
Bytes InfoHeader(int32_t width, int32_t height, int bitCount, uint32_t compression,
                 uint32_t colorsUsed = 0, uint32_t headerSize = 40) {
  Bytes h(headerSize);
  bmp::Put32(&h[0], headerSize);
  bmp::Put32(&h[4], static_cast<uint32_t>(width));
  bmp::Put32(&h[8], static_cast<uint32_t>(height));
  bmp::Put16(&h[12], 1);
  bmp::Put16(&h[14], static_cast<uint32_t>(bitCount));
  bmp::Put32(&h[16], compression);
  bmp::Put32(&h[32], colorsUsed);
  return h;
}

void Append32(Bytes& b, uint32_t v) {
  b.resize(b.size() + 4);
  bmp::Put32(&b[b.size() - 4], v);
}

void Append(Bytes& b, std::initializer_list<uint8_t> bytes) { b.insert(b.end(), bytes); }

// A BMP file around a packed DIB whose last `pixelBytes` bytes are the pixels.
Bytes AsFile(const Bytes& packed, size_t pixelBytes) {
  Bytes file(14);
  file[0] = 'B';
  file[1] = 'M';
  bmp::Put32(&file[2], static_cast<uint32_t>(14 + packed.size()));
  bmp::Put32(&file[10], static_cast<uint32_t>(14 + packed.size() - pixelBytes));
  file.insert(file.end(), packed.begin(), packed.end());
  return file;
}

std::string RefusalOf(const Bytes& data, bool packed = false) {
  try {
    packed ? ReadPackedDib(data) : ReadBmp(data);
  } catch (const Error& e) {
    return e.what();
  }
  return "(accepted)";
}

// Blue, green, red of a pixel of a 24-bit Dib, row y from the top.
std::array<int, 3> Bgr(const Dib& dib24, int x, int y) {
  const uint8_t* p = dib24.Row(y) + x * 3;
  return {p[0], p[1], p[2]};
}

TEST(BmpSizeLimits, HugeDimensionsAreRefusedBeforeAllocation) {
  struct Case {
    const char* what;
    int32_t width, height;
  };
  const Case cases[] = {{"row size wraps in 32 bits", 0x40000001, 1},
                        {"60000 x 60000 x 32 exceeds memory", 60000, 60000},
                        {"height INT32_MIN cannot be negated in 32 bits", 16, INT32_MIN},
                        {"width beyond the dimension limit", 70000, 1}};
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    // Only the header and a few bytes: a reader that allocated first and checked later would fail
    // on the missing pixels (or ASan on the allocation) instead of naming the size.
    Bytes packed = InfoHeader(c.width, c.height, 32, bmp::kRgb);
    packed.resize(packed.size() + 16);
    EXPECT_NE(RefusalOf(AsFile(packed, 16)).find("大きすぎ"), std::string::npos)
        << RefusalOf(AsFile(packed, 16));
    EXPECT_NE(RefusalOf(packed, true).find("大きすぎ"), std::string::npos);
  }
}

TEST(BmpHostileHeaders, AreRefusedWithTheirReason) {
  struct Case {
    const char* what;
    Bytes packed;
    const char* reasonPart;
  };
  Bytes zeroWidth = InfoHeader(0, 4, 24, bmp::kRgb);
  Bytes twoPlanes = InfoHeader(4, 4, 24, bmp::kRgb);
  twoPlanes[12] = 2;
  Bytes bitCount7 = InfoHeader(4, 4, 7, bmp::kRgb);
  Bytes rle8At24 = InfoHeader(4, 4, 24, bmp::kRle8);
  Bytes oddHeader = InfoHeader(4, 4, 24, bmp::kRgb, 0, 100);
  Bytes jpeg = InfoHeader(4, 4, 0, bmp::kJpeg);
  Bytes png = InfoHeader(4, 4, 0, bmp::kPng);
  Bytes holeyMask = InfoHeader(1, 1, 16, bmp::kBitFields);
  for (uint32_t m : {0xF00Fu, 0x0F0u, 0x00Fu, 0u}) Append32(holeyMask, m);
  Bytes paletteLie =
      InfoHeader(1, 1, 8, bmp::kRgb, 200);  // 800 bytes of palette announced, 4 given
  Append(paletteLie, {1, 2, 3, 0, 0, 0, 0, 0});
  const Case cases[] = {
      {"zero width", zeroWidth, "0 以下"},
      {"two planes", twoPlanes, "プレーン数"},
      {"7 bits per pixel", bitCount7, "ビット数"},
      {"RLE8 at 24 bits", rle8At24, "圧縮形式とビット数"},
      {"100-byte header", oddHeader, "ヘッダーのサイズ"},
      {"JPEG inside", jpeg, "JPEG"},
      {"PNG inside", png, "PNG"},
      {"mask with a hole", holeyMask, "カラーマスク"},
      {"palette longer than the data", paletteLie, "途中で切れて"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.what);
    EXPECT_NE(RefusalOf(c.packed, true).find(c.reasonPart), std::string::npos)
        << RefusalOf(c.packed, true);
  }
}

// Files written by us in every format, plus hand-built RLE and bit-field files.
std::vector<Bytes> ValidSamples();

TEST(BmpHostileHeaders, EveryTruncationOfAValidFileIsRefused) {
  for (const Bytes& file : ValidSamples()) {
    for (size_t length = 0; length < file.size(); ++length) {
      const Bytes cut(file.begin(), file.begin() + static_cast<std::ptrdiff_t>(length));
      SCOPED_TRACE(length);
      EXPECT_NE(RefusalOf(cut), "(accepted)");
    }
  }
}

TEST(BmpHostileHeaders, PixelOffsetOutsideTheFileIsRefused) {
  Bytes file = WriteBmp(Dib(3, 3, 24));
  bmp::Put32(&file[10], static_cast<uint32_t>(file.size() + 1));
  EXPECT_NE(RefusalOf(file).find("ファイルの外"), std::string::npos);
  bmp::Put32(&file[10], 20);  // inside the header
  EXPECT_NE(RefusalOf(file).find("ヘッダーと重なって"), std::string::npos);
  EXPECT_EQ(RefusalOf(Bytes{'P', 'K', 3, 4}), "BMPファイルではありません");
}

// ---- Layout variants ----

TEST(BmpReader, TopDownRowsComeOutBottomUp) {
  Bytes packed = InfoHeader(1, -2, 24, bmp::kRgb);
  Append(packed, {1, 2, 3, 0, 4, 5, 6, 0});  // first stored row is the top row
  const Dib dib = ReadBmp(AsFile(packed, 8));
  EXPECT_EQ(dib.Height(), 2);
  EXPECT_EQ(Bgr(dib, 0, 0), (std::array<int, 3>{1, 2, 3}));
  EXPECT_EQ(Bgr(dib, 0, 1), (std::array<int, 3>{4, 5, 6}));
}

TEST(BmpReader, Os2CoreHeaderWithThreeByteColours) {
  Bytes packed = {12, 0, 0, 0, 2, 0, 1, 0, 1, 0, 1, 0};  // 2 x 1, 1 bit
  Append(packed, {10, 20, 30, 40, 50, 60});              // two RGBTRIPLEs
  Append(packed, {0x40, 0, 0, 0});                       // pixels 0, 1
  const Dib dib = ConvertTo24(ReadPackedDib(packed));
  EXPECT_EQ(Bgr(dib, 0, 0), (std::array<int, 3>{10, 20, 30}));
  EXPECT_EQ(Bgr(dib, 1, 0), (std::array<int, 3>{40, 50, 60}));
}

TEST(BmpReader, ClipboardBitFieldsAfterA40ByteHeader) {
  // What the system synthesises from a 32-bit bitmap: BI_BITFIELDS, masks after the header.
  Bytes packed = InfoHeader(2, 1, 32, bmp::kBitFields);
  for (uint32_t m : {0x00FF0000u, 0x0000FF00u, 0x000000FFu}) Append32(packed, m);
  Append(packed, {1, 2, 3, 0, 4, 5, 6, 0});
  Dib dib = ReadPackedDib(packed);
  EXPECT_FALSE(dib.HasCustomMasks());
  EXPECT_EQ(Bgr(ConvertTo24(dib), 1, 0), (std::array<int, 3>{4, 5, 6}));

  // Red in the low byte (as some programs write), which must survive the round trip.
  bmp::Put32(&packed[40], 0x000000FF);
  bmp::Put32(&packed[48], 0x00FF0000);
  dib = ReadPackedDib(packed);
  EXPECT_EQ(Bgr(ConvertTo24(dib), 0, 0), (std::array<int, 3>{3, 2, 1}));
  EXPECT_EQ(ReadPackedDib(WritePackedDib(dib)).Masks(), dib.Masks());
}

TEST(BmpReader, V5HeaderHoldsItsOwnMasks) {
  Bytes packed = InfoHeader(1, 1, 16, bmp::kBitFields, 0, 124);
  bmp::Put32(&packed[40], 0xF800);
  bmp::Put32(&packed[44], 0x07E0);
  bmp::Put32(&packed[48], 0x001F);
  Append(packed, {0xE0, 0x07, 0, 0});  // pure green in 5-6-5
  const Dib dib = ReadPackedDib(packed);
  EXPECT_EQ(dib.Masks(), (ChannelMasks{0xF800, 0x07E0, 0x001F}));
  EXPECT_EQ(Bgr(ConvertTo24(dib), 0, 0), (std::array<int, 3>{0, 255, 0}));
}

TEST(BmpReader, TwoBitPixelsBecomeFourBitIndices) {
  Bytes packed = InfoHeader(5, 1, 2, bmp::kRgb);
  for (uint32_t c : {0x000000u, 0x111111u, 0x222222u, 0x333333u}) Append32(packed, c);
  Append(packed, {0b00011011, 0b10000000, 0, 0});  // 0 1 2 3 2
  const Dib dib = ReadPackedDib(packed);
  ASSERT_EQ(dib.BitCount(), 4);
  EXPECT_EQ(dib.Palette().size(), 4u);
  EXPECT_EQ(dib.Row(0)[0], 0x01);
  EXPECT_EQ(dib.Row(0)[1], 0x23);
  EXPECT_EQ(dib.Row(0)[2], 0x20);
}

TEST(BmpReader, OutOfPaletteIndicesAreBlackAndShortPalettesKept) {
  Bytes packed = InfoHeader(2, 1, 8, bmp::kRgb, 1);
  Append32(packed, 0x00FFFFFF);
  Append(packed, {0, 200, 0, 0});
  const Dib dib = ReadPackedDib(packed);
  EXPECT_EQ(dib.Palette().size(), 1u);
  const Dib rgb = ConvertTo24(dib);
  EXPECT_EQ(Bgr(rgb, 0, 0), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(Bgr(rgb, 1, 0), (std::array<int, 3>{0, 0, 0}));
}

// ---- RLE ----

// Indices of a decoded 4- or 8-bit picture, rows from the top.
std::vector<std::vector<int>> Indices(const Dib& dib) {
  std::vector<std::vector<int>> rows;
  for (int y = 0; y < dib.Height(); ++y) {
    std::vector<int> row;
    for (int x = 0; x < dib.Width(); ++x) {
      const uint8_t* r = dib.Row(y);
      row.push_back(dib.BitCount() == 8 ? r[x] : (x & 1) != 0 ? r[x / 2] & 0xF : r[x / 2] >> 4);
    }
    rows.push_back(row);
  }
  return rows;
}

Bytes RleFile(int width, int height, int bitCount, std::initializer_list<uint8_t> data) {
  Bytes packed = InfoHeader(width, height, bitCount, bitCount == 8 ? bmp::kRle8 : bmp::kRle4);
  for (uint32_t i = 0; i < (1u << bitCount); ++i) Append32(packed, i * 0x010101u);
  Append(packed, data);
  return AsFile(packed, data.size());
}

TEST(BmpRle, Rle8RunsLiteralsDeltaAndEarlyEnds) {
  const Dib dib = ReadBmp(RleFile(5, 3, 8,
                                  {3, 7,              // bottom row: 7 7 7
                                   0, 0,              // end of line
                                   0, 3, 1, 2, 3, 0,  // literal 1 2 3, padded
                                   0, 2, 1, 1,        // delta right 1, up 1
                                   2, 9,              // top row from x=4: 9 (second one clipped)
                                   0, 1}));           // end of bitmap
  const std::vector<std::vector<int>> expected = {
      {0, 0, 0, 0, 9}, {1, 2, 3, 0, 0}, {7, 7, 7, 0, 0}};
  EXPECT_EQ(Indices(dib), expected);
}

TEST(BmpRle, Rle4NibblesAndOddLiterals) {
  const Dib dib = ReadBmp(RleFile(5, 2, 4,
                                  {5, 0x12,                 // 1 2 1 2 1
                                   0, 0, 0, 3, 0xAB, 0xC0,  // literal A B C
                                   0, 1}));
  const std::vector<std::vector<int>> expected = {{10, 11, 12, 0, 0}, {1, 2, 1, 2, 1}};
  EXPECT_EQ(Indices(dib), expected);
}

TEST(BmpRle, DeltaPastTheTopEndsThePicture) {
  const Dib dib = ReadBmp(RleFile(2, 2, 8, {1, 5, 0, 2, 0, 200, 9, 9}));  // no end of bitmap needed
  const std::vector<std::vector<int>> expected = {{0, 0}, {5, 0}};
  EXPECT_EQ(Indices(dib), expected);
}

TEST(BmpRle, DataEndingBeforeTheLastRowIsRefused) {
  EXPECT_NE(RefusalOf(RleFile(2, 2, 8, {2, 5, 0, 0, 1})).find("RLEデータが途中で切れて"),
            std::string::npos);
  EXPECT_NE(RefusalOf(RleFile(8, 1, 8, {0, 6, 1, 2})).find("RLEデータが途中で切れて"),
            std::string::npos);
}

// ---- Writing and round trips ----

// A picture of every pixel format with a distinctive pattern, short palettes and a resolution.
std::vector<Dib> SamplePictures() {
  std::vector<Dib> dibs;
  const struct {
    int bits;
    ChannelMasks masks;
    size_t paletteSize;
  } formats[] = {{1, {}, 2},
                 {4, {}, 11},
                 {8, {}, 256},
                 {8, {}, 3},
                 {16, DefaultMasks(16), 0},
                 {16, {0xF800, 0x07E0, 0x001F}, 0},
                 {24, {}, 0},
                 {32, DefaultMasks(32), 0},
                 {32, {0x3FF00000, 0x000FFC00, 0x000003FF}, 0}};
  for (const auto& f : formats) {
    Dib dib(7, 5, f.bits);
    for (size_t i = 0; i < dib.ImageSize(); ++i) dib.Bits()[i] = static_cast<uint8_t>(i * 37 + 11);
    for (size_t i = 0; i < f.paletteSize; ++i) {
      dib.Palette().push_back(
          {static_cast<uint8_t>(i), static_cast<uint8_t>(i * 3), static_cast<uint8_t>(255 - i), 0});
    }
    dib.Masks() = f.masks;
    dib.xPelsPerMeter = 3780;
    dib.yPelsPerMeter = 2835;
    dibs.push_back(std::move(dib));
  }
  return dibs;
}

void ExpectSameDib(const Dib& a, const Dib& b) {
  ASSERT_EQ(a.Width(), b.Width());
  ASSERT_EQ(a.Height(), b.Height());
  ASSERT_EQ(a.BitCount(), b.BitCount());
  EXPECT_EQ(a.Palette(), b.Palette());
  EXPECT_EQ(a.Masks(), b.Masks());
  EXPECT_EQ(a.xPelsPerMeter, b.xPelsPerMeter);
  EXPECT_EQ(a.yPelsPerMeter, b.yPelsPerMeter);
  EXPECT_TRUE(std::equal(a.Bits(), a.Bits() + a.ImageSize(), b.Bits()));
}

TEST(BmpWriter, RoundTripKeepsEveryFormat) {
  for (const Dib& dib : SamplePictures()) {
    SCOPED_TRACE(std::to_string(dib.BitCount()) + " bpp, " + std::to_string(dib.Palette().size()) +
                 " colours");
    ExpectSameDib(ReadBmp(WriteBmp(dib)), dib);
    ExpectSameDib(ReadPackedDib(WritePackedDib(dib)), dib);
  }
}

TEST(BmpWriter, HeaderFieldsDescribeThePicture) {
  const std::vector<Dib> dibs = SamplePictures();
  const Bytes shortPalette = WriteBmp(dibs[3]);  // 8 bits, 3 colours
  EXPECT_EQ(bmp::Get32(&shortPalette[10]), 14u + 40u + 3u * 4u);
  EXPECT_EQ(bmp::Get32(&shortPalette[2]), shortPalette.size());
  EXPECT_EQ(bmp::Get32(&shortPalette[14 + 32]), 3u);
  const Bytes defaultMasks = WritePackedDib(dibs[4]);
  EXPECT_EQ(bmp::Get32(&defaultMasks[16]), bmp::kRgb);
  const Bytes masks565 = WritePackedDib(dibs[5]);
  EXPECT_EQ(bmp::Get32(&masks565[16]), bmp::kBitFields);
  EXPECT_EQ(bmp::Get32(&masks565[40]), 0xF800u);
  EXPECT_EQ(masks565.size(), 40u + 12u + dibs[5].ImageSize());
  EXPECT_THROW(WriteBmp(Dib()), Error);
}

TEST(BmpWriter, PictureWithoutPaletteGetsTheGreyRampConvertTo24Uses) {
  Dib dib(4, 1, 4);
  dib.Bits()[0] = 0x0F;
  dib.Bits()[1] = 0x80;
  const Dib reread = ReadBmp(WriteBmp(dib));
  EXPECT_EQ(reread.Palette().size(), 16u);
  EXPECT_EQ(CompareWithRgb(ConvertTo24(dib), {0, 0, 0, 255, 255, 255, 136, 136, 136, 0, 0, 0}), "");
  EXPECT_TRUE(std::equal(reread.Bits(), reread.Bits() + 4, dib.Bits()));
}

std::vector<Bytes> ValidSamples() {
  std::vector<Bytes> files;
  for (const Dib& dib : SamplePictures()) files.push_back(WriteBmp(dib));
  files.push_back(RleFile(5, 2, 4, {5, 0x12, 0, 0, 0, 3, 0xAB, 0xC0, 0, 0}));
  return files;
}

// ---- Into memory the caller provides (a DIB section, the clipboard's) ----

// Packed DIBs in every variant that decodes differently: each sample format, top-down rows,
// 2-bit pixels, RLE.
std::vector<Bytes> PackedSamples() {
  std::vector<Bytes> packed;
  for (const Dib& dib : SamplePictures()) packed.push_back(WritePackedDib(dib));
  Bytes topDown = InfoHeader(3, -2, 24, bmp::kRgb);
  for (uint8_t i = 0; i < 24; ++i) topDown.push_back(i);  // two 12-byte rows, 3 padding bytes each
  packed.push_back(topDown);
  Bytes twoBit = InfoHeader(5, 1, 2, bmp::kRgb);
  for (uint32_t c : {0x000000u, 0x111111u, 0x222222u, 0x333333u}) Append32(twoBit, c);
  Append(twoBit, {0b00011011, 0b10000000, 0, 0});
  packed.push_back(twoBit);
  Bytes rle = InfoHeader(5, 2, 4, bmp::kRle4, 2);
  Append32(rle, 0x0000FF);
  Append32(rle, 0xFF0000);
  Append(rle, {5, 0x12, 0, 0, 0, 3, 0xAB, 0xC0, 0, 0});
  packed.push_back(rle);
  return packed;
}

TEST(BmpDecoder, DecodesIntoTheCallersMemoryWhatTheReaderReturns) {
  for (const Bytes& packed : PackedSamples()) {
    const Dib expected = ReadPackedDib(packed);
    SCOPED_TRACE(std::to_string(expected.BitCount()) + " bpp, " + std::to_string(packed.size()) +
                 " bytes");
    const BmpDecoder decoder = BmpDecoder::PackedDib(packed);
    const DibFormat& format = decoder.Format();
    EXPECT_EQ(format.width, expected.Width());
    EXPECT_EQ(format.height, expected.Height());
    ASSERT_EQ(format.bitCount, expected.BitCount());
    EXPECT_EQ(format.palette, expected.Palette());
    EXPECT_EQ(format.masks, expected.Masks());
    EXPECT_EQ(format.xPelsPerMeter, expected.xPelsPerMeter);
    // New memory is zero, as a new DIB section's is.
    Bytes memory(expected.ImageSize());
    Dib view = Dib::View(memory.data(), format.width, format.height, format.bitCount);
    decoder.DecodeInto(view);
    EXPECT_TRUE(std::equal(memory.begin(), memory.end(), expected.Bits()));
    if (decoder.WritesEveryByte()) {
      std::fill(memory.begin(), memory.end(), uint8_t{0xCD});
      decoder.DecodeInto(view);
      EXPECT_TRUE(std::equal(memory.begin(), memory.end(), expected.Bits()))
          << "a byte left unwritten";
    }
  }
  // A file decodes as its packed DIB does.
  const Dib sample = std::move(SamplePictures()[2]);
  const Bytes file = WriteBmp(sample);
  Dib target(7, 5, 8);
  BmpDecoder::File(file).DecodeInto(target);
  EXPECT_TRUE(std::equal(target.Bits(), target.Bits() + target.ImageSize(), sample.Bits()));
}

TEST(BmpDecoder, RefusesATargetOfAnotherShapeAndLeavesItAlone) {
  const BmpDecoder decoder =
      BmpDecoder::PackedDib(WritePackedDib(SamplePictures()[6]));  // 7 x 5, 24 bpp
  for (const auto& [width, height, bits] : {std::tuple{8, 5, 24}, {7, 4, 24}, {7, 5, 32}}) {
    Bytes memory(static_cast<size_t>(DibImageSize(width, height, bits)), 0xAB);
    Dib view = Dib::View(memory.data(), width, height, bits);
    EXPECT_THROW(decoder.DecodeInto(view), Error);
    EXPECT_TRUE(std::all_of(memory.begin(), memory.end(), [](uint8_t b) { return b == 0xAB; }));
  }
  Dib empty;
  EXPECT_THROW(decoder.DecodeInto(empty), Error);
}

TEST(BmpWriter, WritesIntoTheCallersMemoryExactlyWhatItReturns) {
  for (const Dib& dib : SamplePictures()) {
    SCOPED_TRACE(std::to_string(dib.BitCount()) + " bpp, " + std::to_string(dib.Palette().size()) +
                 " colours");
    const Bytes expected = WritePackedDib(dib);
    ASSERT_EQ(PackedDibSize(dib), expected.size());
    Bytes memory(expected.size(), 0xCD);  // memory from GlobalAlloc starts with anything in it
    WritePackedDib(dib, memory);
    EXPECT_EQ(memory, expected);
    Bytes tooSmall(expected.size() - 1, 0xCD);
    EXPECT_THROW(WritePackedDib(dib, tooSmall), Error);
    EXPECT_TRUE(std::all_of(tooSmall.begin(), tooSmall.end(), [](uint8_t b) { return b == 0xCD; }));
  }
  EXPECT_THROW(PackedDibSize(Dib()), Error);
}

// ---- Conversion to 24 bits ----

TEST(Convert24, NarrowChannelsAreWidenedByBitReplication) {
  Dib dib(3, 1, 16);
  dib.Masks() = {0xF800, 0x07E0, 0x001F};
  const uint16_t pixels[] = {0xFFFF, 0x8410 /* 16, 32, 16 */, 0x0841 /* 1, 2, 1 */};
  for (int i = 0; i < 3; ++i) bmp::Put16(dib.Bits() + i * 2, pixels[i]);
  const Dib rgb = ConvertTo24(dib);
  EXPECT_EQ(Bgr(rgb, 0, 0), (std::array<int, 3>{255, 255, 255}));
  EXPECT_EQ(Bgr(rgb, 1, 0),
            (std::array<int, 3>{132, 130, 132}));  // (16<<3)|(16>>2), (32<<2)|(32>>4)
  EXPECT_EQ(Bgr(rgb, 2, 0), (std::array<int, 3>{8, 8, 8}));
}

TEST(Convert24, WideAndOneBitChannels) {
  Dib dib(2, 1, 32);
  dib.Masks() = {0x3FF00000, 0x000FFC00, 0x00000001};  // 10-bit red and green, 1-bit blue
  bmp::Put32(dib.Bits(), (0x3FFu << 20) | (0x200u << 10) | 1u);
  bmp::Put32(dib.Bits() + 4, 0x1FFu << 20);
  const Dib rgb = ConvertTo24(dib);
  EXPECT_EQ(Bgr(rgb, 0, 0), (std::array<int, 3>{255, 128, 255}));
  EXPECT_EQ(Bgr(rgb, 1, 0), (std::array<int, 3>{0, 0, 127}));
}

TEST(Convert24, FillsAPreallocatedPictureAndRefusesAMismatch) {
  const std::vector<Dib> dibs = SamplePictures();
  Dib dst(7, 5, 24);
  ConvertTo24(dibs[7], dst);  // 32 bits, default masks: blue, green, red of each pixel
  EXPECT_EQ(Bgr(dst, 1, 4),
            (std::array<int, 3>{dibs[7].Bits()[4], dibs[7].Bits()[5], dibs[7].Bits()[6]}));
  Dib wrongSize(7, 4, 24);
  Dib wrongDepth(7, 5, 32);
  EXPECT_THROW(ConvertTo24(dibs[0], wrongSize), Error);
  EXPECT_THROW(ConvertTo24(dibs[0], wrongDepth), Error);
}

}  // namespace
}  // namespace core
