// The plug-in manager's rules (search masks, registrations, candidate order, the pattern list) and
// the check and conversion of the DIB a plug-in hands back.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <random>
#include <string>
#include <vector>

#include "core/BmpFormat.h"
#include "core/Convert24.h"
#include "core/Error.h"
#include "plugins/PluginDib.h"
#include "plugins/SPIRules.h"

namespace {

using Entries = std::vector<std::wstring>;

TEST(PluginRules, PluginsNamingTheExtensionComeFirstTheLastOfThemForemost) {
  const std::vector<Entries> plugins = {{L"*.pi;*.pic"}, {L"*.mag"}, {L"*.pic"}};  // A, B, C
  EXPECT_EQ(plugins::CandidateOrder(L"C:\\絵\\photo.PIC", plugins), (std::vector<size_t>{2, 0, 1}));
  // Only an entry's own extension counts: "*.pi;*.pic" does not name ".pi".
  EXPECT_EQ(plugins::CandidateOrder(L"x.pi", plugins), (std::vector<size_t>{0, 1, 2}));
  EXPECT_EQ(plugins::CandidateOrder(L"x.MAG", plugins), (std::vector<size_t>{1, 0, 2}));
  // A name without an extension, or only an extension as the plug-in bitmap passes it.
  EXPECT_EQ(plugins::CandidateOrder(L"C:\\a.pic\\photo", plugins), (std::vector<size_t>{0, 1, 2}));
  EXPECT_EQ(plugins::CandidateOrder(L".pic", plugins), (std::vector<size_t>{2, 0, 1}));
  // A plug-in with several entries names every extension its entries end with.
  EXPECT_EQ(plugins::CandidateOrder(L"a.mag", {{L"*.pic"}, {L"*.pic", L"*.MAG"}}),
            (std::vector<size_t>{1, 0}));
}

TEST(PluginRules, AnEntryRegistersItsItemsFromTheLastToTheFirst) {
  EXPECT_EQ(plugins::EntryExtensions(L"*.abc;*.def"), (Entries{L"def", L"abc"}));
  EXPECT_EQ(plugins::EntryExtensions(L"*.*"), (Entries{L"*"}));
  EXPECT_EQ(plugins::EntryExtensions(L"*.xyz;*.*"), (Entries{L"*", L"xyz"}));
  EXPECT_EQ(plugins::EntryExtensions(L"*.MAG"), (Entries{L"MAG"}));
  EXPECT_EQ(plugins::EntryExtensions(L"pic"), (Entries{L"pic"}));
  EXPECT_EQ(plugins::EntryExtensions(L"*.tar.gz"), (Entries{L"tar.gz"}));
}

TEST(PluginRules, ThePatternListGrowsByEachPluginsFirstEntryInLowerCase) {
  EXPECT_EQ(plugins::BuildPatternList({}), L"*.bmp;*.dib;*.jpg;*.jpeg");
  EXPECT_EQ(plugins::BuildPatternList({L"*.MAG", L"*.PI;*.Pic"}),
            L"*.bmp;*.dib;*.jpg;*.jpeg;*.mag;*.pi;*.pic");
}

TEST(PluginRules, ASearchMaskSplitsAtItsLastFolderSeparator) {
  struct Case {
    const wchar_t* mask;
    const wchar_t* folder;
    const wchar_t* name;
  };
  for (const Case& c :
       {Case{L"*.spi", L"", L"*.spi"}, Case{L"C:\\x\\*.spi", L"C:\\x\\", L"*.spi"},
        Case{L"C:*.spi", L"C:", L"*.spi"}, Case{L"C:\\a.b\\pic", L"C:\\a.b\\", L"pic"}}) {
    const plugins::SearchMask split = plugins::SplitMask(c.mask);
    EXPECT_EQ(split.folder, c.folder);
    EXPECT_EQ(split.name, c.name);
  }
  EXPECT_EQ(plugins::AddBackslash(L""), L"");
  EXPECT_EQ(plugins::AddBackslash(L"C:\\x"), L"C:\\x\\");
  EXPECT_EQ(plugins::AddBackslash(L"C:\\x\\"), L"C:\\x\\");
}

// A plug-in's two blocks: a BITMAPINFO and the pixel rows.
struct PluginDib {
  std::vector<uint8_t> info;
  std::vector<uint8_t> bits;
};

PluginDib MakeDib(int32_t width, int32_t height, int bitCount, uint32_t colorsUsed = 0,
                  uint32_t tableEntries = 0) {
  PluginDib dib;
  dib.info.assign(40 + 4 * tableEntries, 0);
  core::bmp::Put32(&dib.info[0], 40);
  core::bmp::Put32(&dib.info[4], static_cast<uint32_t>(width));
  core::bmp::Put32(&dib.info[8], static_cast<uint32_t>(height));
  core::bmp::Put16(&dib.info[12], 1);
  core::bmp::Put16(&dib.info[14], static_cast<uint32_t>(bitCount));
  core::bmp::Put32(&dib.info[32], colorsUsed);
  for (uint32_t i = 0; i < tableEntries; ++i) {
    dib.info[40 + 4 * i] = static_cast<uint8_t>(i * 7);        // blue
    dib.info[40 + 4 * i + 2] = static_cast<uint8_t>(255 - i);  // red
  }
  const int64_t row = ((int64_t{width} * bitCount + 31) / 32) * 4;
  dib.bits.resize(static_cast<size_t>(row * (height < 0 ? -int64_t{height} : height)));
  for (size_t i = 0; i < dib.bits.size(); ++i) dib.bits[i] = static_cast<uint8_t>(i * 13 + 1);
  return dib;
}

std::string Refusal(const PluginDib& dib) {
  try {
    plugins::DecodePluginDib(dib.info, dib.bits, "C:\\spi\\bad.spi");
  } catch (const core::Error& e) {
    return e.what();
  }
  return "(accepted)";
}

TEST(PluginDib, BecomesAPictureOfItsRowsAndColourTable) {
  // 24 bits, bottom-up as the rows are stored.
  const PluginDib rgb = MakeDib(5, 3, 24);
  core::Dib dib = plugins::DecodePluginDib(rgb.info, rgb.bits, "x.spi");
  EXPECT_EQ(dib.Width(), 5);
  EXPECT_EQ(dib.Height(), 3);
  EXPECT_EQ(dib.BitCount(), 24);
  EXPECT_TRUE(dib.Palette().empty());
  EXPECT_EQ(0, std::memcmp(dib.Bits(), rgb.bits.data(), rgb.bits.size()));

  // 4 bits with no colour count: the 16-entry table becomes the palette.
  const PluginDib nibbles = MakeDib(7, 2, 4, 0, 16);
  dib = plugins::DecodePluginDib(nibbles.info, nibbles.bits, "x.spi");
  ASSERT_EQ(dib.Palette().size(), 16u);
  EXPECT_EQ(dib.Palette()[3], (core::RgbQuad{21, 0, 252, 0}));

  // A negative height: rows from the top, so the first stored row is the picture's top.
  const PluginDib topDown = MakeDib(4, -3, 8, 2, 2);
  dib = plugins::DecodePluginDib(topDown.info, topDown.bits, "x.spi");
  ASSERT_EQ(dib.Height(), 3);
  EXPECT_EQ(dib.Palette().size(), 2u);
  for (int y = 0; y < 3; ++y) {
    EXPECT_EQ(0, std::memcmp(dib.Row(y), topDown.bits.data() + 4 * y, 4)) << y;
  }

  // 16 bits with bit fields: the masks after the header become the picture's, and a colour table
  // after them is not the picture's palette.
  PluginDib fields = MakeDib(3, 2, 16, 2, 5);
  core::bmp::Put32(&fields.info[16], core::bmp::kBitFields);
  core::bmp::Put32(&fields.info[40], 0xF800);
  core::bmp::Put32(&fields.info[44], 0x07E0);
  core::bmp::Put32(&fields.info[48], 0x001F);
  dib = plugins::DecodePluginDib(fields.info, fields.bits, "x.spi");
  EXPECT_EQ(dib.Masks(), (core::ChannelMasks{0xF800, 0x07E0, 0x001F}));
  EXPECT_TRUE(dib.Palette().empty());
  EXPECT_EQ(0, std::memcmp(dib.Bits(), fields.bits.data(), fields.bits.size()));

  // Blocks larger than the picture needs (a heap may round up) are fine.
  PluginDib padded = MakeDib(2, 2, 24);
  padded.info.resize(64);
  padded.bits.resize(100);
  EXPECT_EQ(plugins::DecodePluginDib(padded.info, padded.bits, "x.spi").ImageSize(), 16u);
}

TEST(PluginDib, AnythingButAnUncompressedPictureThatFitsItsBlocksIsRefusedNamingThePlugin) {
  struct Case {
    const char* what;
    PluginDib dib;
    const char* reason;
  };
  std::vector<Case> cases;
  auto add = [&](const char* what, PluginDib dib, const char* reason) {
    cases.push_back({what, std::move(dib), reason});
  };
  PluginDib dib = MakeDib(4, 4, 24);
  dib.info.resize(39);
  add("info block shorter than a header", dib, "情報ブロックが 39 バイトしかありません");
  dib = MakeDib(4, 4, 24);
  core::bmp::Put32(&dib.info[0], 108);
  add("another header size", dib, "ヘッダーのサイズが 108 バイトです");
  dib = MakeDib(4, 4, 8, 0, 256);
  core::bmp::Put32(&dib.info[16], 1);
  add("RLE8", dib, "圧縮された画像です (圧縮形式 1)");
  dib = MakeDib(4, 4, 32);
  core::bmp::Put32(&dib.info[16], 3);
  add("bit fields without masks", dib, "ビットフィールドのマスクがありません");
  // Bit fields with these masks after the header, and `colors` colours used.
  auto withMasks = [](int bitCount, uint32_t colors, uint32_t tableEntries, uint32_t red,
                      uint32_t green, uint32_t blue) {
    PluginDib fields = MakeDib(4, 4, bitCount, colors, tableEntries);
    core::bmp::Put32(&fields.info[16], 3);
    core::bmp::Put32(&fields.info[40], red);
    core::bmp::Put32(&fields.info[44], green);
    core::bmp::Put32(&fields.info[48], blue);
    return fields;
  };
  add("bit fields with three zero masks", withMasks(16, 0, 3, 0, 0, 0),
      "ビットフィールドのマスクがありません");
  add("a mask of two runs", withMasks(16, 0, 3, 0x0F0F, 0, 0),
      "ビットフィールドのマスクが不正です");
  add("bit fields at 24 bits", withMasks(24, 0, 3, 0xFF0000, 0xFF00, 0xFF),
      "圧縮された画像です (圧縮形式 3)");
  add("colour table cut short by the masks", withMasks(16, 4, 4, 0x7C00, 0x03E0, 0x1F),
      "情報ブロックが 56 バイトしかありません (68 バイト必要)");
  add("7 bits", MakeDib(4, 4, 7), "ビット数が不正です (7)");
  add("no width", MakeDib(0, 4, 24), "画像の大きさが不正か、大きすぎます (0 x 4)");
  add("no height", MakeDib(4, 0, 24), "画像の大きさが不正か、大きすぎます (4 x 0)");
  dib = MakeDib(4, 4, 24);
  core::bmp::Put32(&dib.info[4], 100000);
  core::bmp::Put32(&dib.info[8], 100000);
  add("huge", dib, "画像の大きさが不正か、大きすぎます (100000 x 100000)");
  dib = MakeDib(4, 4, 24);
  core::bmp::Put32(&dib.info[8], 0x80000000u);
  add("the most negative height", dib, "画像の大きさが不正か、大きすぎます (4 x -2147483648)");
  add("more colours than 8 bits hold", MakeDib(4, 4, 8, 300, 300), "色数が不正です (300)");
  add("colour table cut short", MakeDib(4, 4, 8, 0, 200),
      "情報ブロックが 840 バイトしかありません (1064 バイト必要)");
  dib = MakeDib(4, 4, 24);
  dib.bits.resize(dib.bits.size() - 1);
  add("pixel block cut short", dib, "画素データが 47 バイトしかありません (48 バイト必要)");
  for (const Case& c : cases) {
    EXPECT_EQ(Refusal(c.dib),
              std::string("Susie Plugin [C:\\spi\\bad.spi] の返した画像は使えません: ") + c.reason)
        << c.what;
  }
}

// Blocks of every size with random headers: each is refused or becomes a picture that converts to
// 24 bits; the sanitizers see every read.
TEST(PluginDib, RandomBlocksAreRefusedOrConvertedWithoutReadingPastThem) {
  std::mt19937 random(7);  // 32-bit results
  const int bitCounts[] = {0, 1, 2, 4, 7, 8, 16, 24, 32, 64};
  for (int round = 0; round < 20000; ++round) {
    std::vector<uint8_t> info(random() % 1100);
    std::vector<uint8_t> bits(random() % 4096);
    if (info.size() >= 40) {
      core::bmp::Put32(&info[0], random() % 8 == 0 ? static_cast<uint32_t>(random()) : 40);
      core::bmp::Put32(&info[4], static_cast<uint32_t>(static_cast<int32_t>(random() % 70) - 3));
      core::bmp::Put32(&info[8], static_cast<uint32_t>(static_cast<int32_t>(random() % 70) - 35));
      core::bmp::Put16(&info[14], static_cast<uint32_t>(bitCounts[random() % 10]));
      core::bmp::Put32(&info[16], static_cast<uint32_t>(random() % 6 == 0 ? random() % 7 : 0));
      core::bmp::Put32(&info[32], static_cast<uint32_t>(random() % 3 == 0 ? random() % 300 : 0));
    }
    try {
      core::ConvertTo24(plugins::DecodePluginDib(info, bits, "x.spi"));
    } catch (const core::Error&) {
    }
  }
}

}  // namespace
