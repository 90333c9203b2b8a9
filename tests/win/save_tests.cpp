// Saving: the file type chosen in the dialog decides the format (JPEG, BMP or PNG), the extension
// rule, the JPEG quality from the settings, the remembered dialog state, and that a failed save
// destroys nothing.
#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <cstring>
#include <filesystem>

#include "FormFixture.h"
#include "app/win/CommandIds.h"
#include "core/BmpCodec.h"
#include "core/JpegCodec.h"
#include "pngplugin/PngDecoder.h"

namespace {

using winetest::FormFixture;
using winetest::ScriptedPrompts;
using winetest::Utf8;
namespace ids = app::ids;

constexpr DWORD kJpeg = 1;
constexpr DWORD kBmp = 2;
constexpr DWORD kPng = 3;

bool IsJpeg(const std::vector<uint8_t>& bytes) {
  return bytes.size() > 4 && bytes[0] == 0xFF && bytes[1] == 0xD8 && bytes[2] == 0xFF;
}
bool IsPng(const std::vector<uint8_t>& bytes) { return pngplugin::HasPngSignature(bytes); }
bool IsBmp(const std::vector<uint8_t>& bytes) {
  return bytes.size() > 54 && bytes[0] == 'B' && bytes[1] == 'M';
}

// The first quantisation table of a JPEG file, in natural (row by row) order.
std::array<int, 64> FirstQuantTable(const std::vector<uint8_t>& jpeg) {
  static constexpr int kZigzagToNatural[64] = {
      0,  1,  8,  16, 9,  2,  3,  10, 17, 24, 32, 25, 18, 11, 4,  5,  12, 19, 26, 33, 40, 48,
      41, 34, 27, 20, 13, 6,  7,  14, 21, 28, 35, 42, 49, 56, 57, 50, 43, 36, 29, 22, 15, 23,
      30, 37, 44, 51, 58, 59, 52, 45, 38, 31, 39, 46, 53, 60, 61, 54, 47, 55, 62, 63};
  std::array<int, 64> table{};
  for (size_t i = 2; i + 4 < jpeg.size(); ++i) {
    if (jpeg[i] == 0xFF && jpeg[i + 1] == 0xDB) {
      EXPECT_EQ(jpeg[i + 4] >> 4, 0) << "8-bit entries (baseline)";
      for (int k = 0; k < 64; ++k) table[kZigzagToNatural[k]] = jpeg[i + 5 + k];
      return table;
    }
  }
  ADD_FAILURE() << "no quantisation table";
  return table;
}

// The luminance table libjpeg makes for a quality, limited to 8 bits as in a baseline file.
std::array<int, 64> ExpectedQuantTable(int quality) {
  static constexpr int kLuminance[64] = {
      16, 11, 10, 16, 24,  40,  51,  61,  12, 12, 14, 19, 26,  58,  60,  55,
      14, 13, 16, 24, 40,  57,  69,  56,  14, 17, 22, 29, 51,  87,  80,  62,
      18, 22, 37, 56, 68,  109, 103, 77,  24, 35, 55, 64, 81,  104, 113, 92,
      49, 64, 78, 87, 103, 121, 120, 101, 72, 92, 95, 98, 112, 100, 103, 99};
  const int scale = quality < 50 ? 5000 / quality : 200 - quality * 2;
  std::array<int, 64> table{};
  for (int i = 0; i < 64; ++i) table[i] = std::clamp((kLuminance[i] * scale + 50) / 100, 1, 255);
  return table;
}

class Save : public FormFixture {
 protected:
  void StartWithPicture(int width = 64, int height = 48) {
    winetest::WriteBmpFile(PathIn(L"source.bmp"), winetest::PatternDib(width, height));
    Start({PathIn(L"source.bmp")});
    ASSERT_EQ(form->PictureState(), host::PictureState::Present);
  }
  void SaveAs(const std::wstring& typedName, DWORD filterIndex) {
    prompts.saveAnswers.push_back(ScriptedPrompts::Choose(PathIn(typedName), filterIndex));
    Command(ids::mnuWrite);
  }
  std::vector<uint8_t> Bytes(const std::wstring& name) {
    return winetest::ReadFileBytes(PathIn(name));
  }
  // The names of the files and folders in the test's folder, sorted.
  std::vector<std::wstring> FilesInFolder() const {
    std::vector<std::wstring> names;
    for (const auto& entry : std::filesystem::directory_iterator(dir.Path())) {
      names.push_back(entry.path().filename().wstring());
    }
    std::sort(names.begin(), names.end());
    return names;
  }
};

TEST_F(Save, TheChosenTypeDecidesTheFormatAndAMissingExtensionIsAdded) {
  StartWithPicture();
  SaveAs(L"shot", kJpeg);
  EXPECT_TRUE(IsJpeg(Bytes(L"shot.jpg")));
  EXPECT_EQ(form->State().CurrentFileName, PathIn(L"shot.jpg"));
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"ファイル保存が完了しました。"));

  SaveAs(L"shot.bmp", kJpeg);  // the typed extension is kept and not corrected
  EXPECT_TRUE(IsJpeg(Bytes(L"shot.bmp")));

  SaveAs(L"other.jpg", kBmp);
  const std::vector<uint8_t> bmp = Bytes(L"other.jpg");
  ASSERT_TRUE(IsBmp(bmp));
  const core::Dib back = core::ReadBmp(bmp);
  EXPECT_EQ(back.BitCount(), 24) << "the picture's own format";
  EXPECT_EQ(winetest::PixelAt(back, 63, 47),
            winetest::PixelAt(winetest::PatternDib(64, 48), 63, 47));

  SaveAs(L"plain", kBmp);
  EXPECT_TRUE(IsBmp(Bytes(L"plain.bmp")));
  EXPECT_EQ(form->State().CurrentFileName, PathIn(L"plain.bmp"));

  SaveAs(L"dotted.", kJpeg);  // "." is an extension of its own
  EXPECT_TRUE(IsJpeg(Bytes(L"dotted.")));

  // The JPEG holds the picture.
  const core::Dib decoded = core::DecodeJpeg(Bytes(L"shot.jpg"));
  EXPECT_EQ(decoded.Width(), 64);
  EXPECT_EQ(decoded.Height(), 48);
}

TEST_F(Save, ThePngTypeWritesTheExactPixelsWhateverTheNameSays) {
  StartWithPicture(800, 500);  // large enough for the writer's two threads
  SaveAs(L"shot.bmp", kPng);   // the typed extension is kept and not corrected
  EXPECT_TRUE(IsPng(Bytes(L"shot.bmp")));
  SaveAs(L"plain", kPng);
  EXPECT_EQ(form->State().CurrentFileName, PathIn(L"plain.png"));
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"ファイル保存が完了しました。"));
  const std::vector<uint8_t> png = Bytes(L"plain.png");
  ASSERT_TRUE(IsPng(png));
  const core::Dib back = pngplugin::DecodePng(png);
  const core::Dib& shown = form->Picture().Pixels();
  ASSERT_EQ(shown.BitCount(), 24);
  ASSERT_EQ(back.Width(), shown.Width());
  ASSERT_EQ(back.Height(), shown.Height());
  for (int y = 0; y < shown.Height(); ++y) {
    ASSERT_EQ(std::memcmp(back.Row(y), shown.Row(y), size_t(shown.Width()) * 3), 0) << "row " << y;
  }
}

TEST_F(Save, QualityComesFromTheSettingAsAnEightBitValueClampedToOneToHundred) {
  StartWithPicture();
  for (const auto& [comp, quality] :
       {std::pair{0, 1}, std::pair{60, 60}, std::pair{150, 100}, std::pair{300, 44}}) {
    SCOPED_TRACE("Comp=" + std::to_string(comp));
    form->Settings().comp = comp;
    const std::wstring name = L"q" + std::to_wstring(comp) + L".jpg";
    SaveAs(name, kJpeg);
    const std::vector<uint8_t> jpeg = Bytes(name);
    ASSERT_TRUE(IsJpeg(jpeg));
    EXPECT_EQ(FirstQuantTable(jpeg), ExpectedQuantTable(quality));
    // Baseline: a SOF0 marker, no progressive SOF2.
    bool sof0 = false;
    for (size_t i = 0; i + 1 < jpeg.size(); ++i) sof0 |= jpeg[i] == 0xFF && jpeg[i + 1] == 0xC0;
    EXPECT_TRUE(sof0);
  }
}

TEST_F(Save, TheDialogOffersTheThreeTypesAndRemembersTheLastChoice) {
  StartWithPicture();
  SaveAs(L"first", kBmp);
  SaveAs(L"second.jpg", kPng);
  SaveAs(L"third", kJpeg);
  ASSERT_EQ(prompts.saveDialogs.size(), 3u);
  const auto& opened = prompts.saveDialogs[0];
  EXPECT_EQ(Utf8(opened.filter), Utf8(L"jpegﾌｧｲﾙ|*.jpg|bmpﾌｧｲﾙ|*.bmp|pngﾌｧｲﾙ|*.png"));
  EXPECT_EQ(opened.initialFileName, L"");
  EXPECT_EQ(opened.initialFilterIndex, kJpeg);
  EXPECT_EQ(opened.defaultExtension, L"") << "the program adds the extension itself";
  EXPECT_EQ(opened.flags & OFN_OVERWRITEPROMPT, 0u)
      << "an existing file is replaced without asking";
  EXPECT_EQ(prompts.saveDialogs[1].initialFileName, PathIn(L"first"));
  EXPECT_EQ(prompts.saveDialogs[1].initialFilterIndex, kBmp);
  EXPECT_EQ(prompts.saveDialogs[2].initialFileName, PathIn(L"second.jpg"));
  EXPECT_EQ(prompts.saveDialogs[2].initialFilterIndex, kPng);
}

TEST_F(Save, CancelChangesNothing) {
  StartWithPicture();
  const std::wstring before = form->State().CurrentFileName;
  const std::wstring status = form->StatusText();
  Command(ids::SpeedButton5);  // no answer queued: the user cancels
  EXPECT_EQ(prompts.saveDialogs.size(), 1u);
  EXPECT_EQ(form->State().CurrentFileName, before);
  EXPECT_EQ(form->StatusText(), status);
}

TEST_F(Save, IsRefusedWithoutAPicture) {
  Start();
  Command(ids::mnuWrite);
  Command(ids::mnuCaputure);
  EXPECT_EQ(form->PictureState(), host::PictureState::CapturePending);
  Command(ids::smnuWrite);
  EXPECT_EQ(prompts.beeps, (std::vector<UINT>{MB_ICONQUESTION, MB_ICONQUESTION}));
  EXPECT_TRUE(prompts.saveDialogs.empty());
}

TEST_F(Save, AFailedWriteLeavesTheOldFileIntactAndNoPartialFile) {
  StartWithPicture();
  const std::vector<uint8_t> old = {'o', 'l', 'd', ' ', 'f', 'i', 'l', 'e'};
  winetest::WriteFileBytes(PathIn(L"locked.jpg"), old);
  SetFileAttributesW(PathIn(L"locked.jpg").c_str(), FILE_ATTRIBUTE_READONLY);
  const std::wstring status = form->StatusText();
  SaveAs(L"locked.jpg", kJpeg);
  SetFileAttributesW(PathIn(L"locked.jpg").c_str(), FILE_ATTRIBUTE_NORMAL);
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_NE(prompts.errors[0].find(PathIn(L"locked.jpg")), std::wstring::npos)
      << "the error names the file: " << Utf8(prompts.errors[0]);
  EXPECT_EQ(Bytes(L"locked.jpg"), old);
  EXPECT_EQ(form->StatusText(), status);
  // Only the files the test made are in the folder: no temporary file is left behind.
  const std::vector<std::wstring> names = FilesInFolder();
  EXPECT_EQ(names, (std::vector<std::wstring>{L"locked.jpg", L"source.bmp"}));

  // A folder that does not exist: the error box, and nothing is created.
  SaveAs(L"missing\\shot.jpg", kJpeg);
  EXPECT_EQ(prompts.errors.size(), 2u);
  EXPECT_EQ(FilesInFolder(), names);
}

}  // namespace
