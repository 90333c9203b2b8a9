// The picture-format registry: which decoder a file name reaches, and the error for the others.
#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

#include "core/Error.h"
#include "core/PictureFormats.h"
#include "core/Utf8.h"

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

TEST(Utf8, WideTextOfAnyPlaneBecomesUtf8) {
  EXPECT_EQ(core::ToUtf8(L"A日本"), "A日本");
  EXPECT_EQ(core::ToUtf8(std::wstring(1, static_cast<wchar_t>(0xD800))), "\xEF\xBF\xBD");
  EXPECT_EQ(core::ToUtf8(L""), "");
}

}  // namespace
