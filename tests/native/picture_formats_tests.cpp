// The picture-format registry: which decoder a file name reaches, and the error for the others;
// and the placeable header of Windows metafiles, which gives them their size.
#include <gtest/gtest.h>

#include <cstdint>
#include <optional>
#include <stdexcept>
#include <string>
#include <vector>

#include "core/Error.h"
#include "core/PictureFormats.h"
#include "core/PlaceableMetafile.h"

namespace {

// A decoder that answers with a picture whose width tells who decoded it.
core::PictureFormats::Decoder DecodesAs(int marker, std::wstring* seen = nullptr) {
  return [marker, seen](const std::wstring& fileName) {
    if (seen) *seen = fileName;
    return core::Dib(marker, 1, 24);
  };
}

std::string LoadError(const core::PictureFormats& formats, const std::wstring& fileName) {
  try {
    formats.Load(fileName);
  } catch (const core::Error& e) {
    return e.what();
  }
  return "(no error)";
}

TEST(PictureFormats, TheLastRegistrationOfAnExtensionWinsWhateverItsCase) {
  core::PictureFormats formats;
  std::wstring seen;
  formats.Register({L"bmp", L"", "TBitmap", DecodesAs(1)});
  formats.Register({L"jpg", L"", "TJPEGImage", DecodesAs(2)});
  formats.Register({L".JPG", L"", "TSPIBitmap", DecodesAs(3, &seen)});
  EXPECT_EQ(formats.Load(L"C:\\写真\\PHOTO.Jpg").Width(), 3);
  EXPECT_EQ(seen, L"C:\\写真\\PHOTO.Jpg") << "the decoder gets the file name unchanged";
  EXPECT_EQ(formats.Load(L"a.bmp").Width(), 1);
  ASSERT_NE(formats.Find(L"jpg"), nullptr);
  EXPECT_EQ(formats.Find(L".jpg")->className, "TSPIBitmap");

  // Removing a class uncovers what it had taken over.
  formats.UnregisterGraphicClass("TSPIBitmap");
  EXPECT_EQ(formats.Load(L"PHOTO.JPG").Width(), 2);
  EXPECT_EQ(formats.Formats().size(), 2u);
}

TEST(PictureFormats, AnUnregisteredExtensionIsNamedInTheError) {
  core::PictureFormats formats;
  formats.Register({L"bmp", L"", "TBitmap", DecodesAs(1)});
  EXPECT_EQ(LoadError(formats, L"C:\\a.b\\shot.png"), "拡張子 .png の画像形式は処理できません");
  EXPECT_EQ(LoadError(formats, L"C:\\a.b\\shot"), "拡張子 . の画像形式は処理できません");
  EXPECT_EQ(LoadError(formats, L"shot.ICO"), "拡張子 .ico の画像形式は処理できません");
  EXPECT_EQ(LoadError(formats, L"絵.画像"), "拡張子 .画像 の画像形式は処理できません");
  EXPECT_EQ(LoadError(formats, L"a.bmpx"), "拡張子 .bmpx の画像形式は処理できません");
}

// A placeable header: key, handle, box (left, top, right, bottom), units per inch, reserved, sum.
std::vector<uint8_t> Placeable(int left, int top, int right, int bottom, int inch,
                               uint32_t key = 0x9AC6CDD7) {
  std::vector<uint8_t> bytes;
  const auto put16 = [&](int v) {
    bytes.push_back(static_cast<uint8_t>(v));
    bytes.push_back(static_cast<uint8_t>(v >> 8));
  };
  put16(static_cast<int>(key & 0xFFFF));
  put16(static_cast<int>(key >> 16));
  for (int v : {0, left, top, right, bottom, inch, 0, 0, 0}) put16(v);
  return bytes;
}

TEST(PlaceableMetafile, TheHeaderGivesTheBoxAndRefusesWhatCannotBeOne) {
  using Header = std::optional<core::PlaceableHeader>;
  struct Case {
    const char* what;
    std::vector<uint8_t> bytes;
    Header expected;
  };
  const Case cases[] = {
      {"a box at the origin", Placeable(0, 0, 680, 570, 960),
       core::PlaceableHeader{0, 0, 680, 570, 960}},
      {"a box left of and above the origin", Placeable(-100, -50, 100, 50, 1440),
       core::PlaceableHeader{-100, -50, 200, 100, 1440}},
      {"too short", std::vector<uint8_t>(21, 0), std::nullopt},
      {"another key", Placeable(0, 0, 10, 10, 96, 0x00090001), std::nullopt},
      {"no width", Placeable(5, 0, 5, 10, 96), std::nullopt},
      {"upside down", Placeable(0, 10, 10, 0, 96), std::nullopt},
      {"no units per inch", Placeable(0, 0, 10, 10, 0), std::nullopt},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(core::ReadPlaceableHeader(c.bytes), c.expected) << c.what;
  }
}

}  // namespace
