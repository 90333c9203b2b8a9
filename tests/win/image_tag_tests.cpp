// The image tag: a file loaded into the preview and shown in the tag, squeezed into the tag's
// rectangle pixel for pixel when embedded; the built-in drawing played to the tag's size; the
// dialog cancelled, a file that fails, and JPEG and icon files embedded as what they show;
// metafile files drawn, and hostile ones refused or kept inside the tag.
#include <windows.h>

#include <gtest/gtest.h>

#include <chrono>

#include "TagsFixture.h"
#include "app/win/CommandIds.h"
#include "core/JpegCodec.h"
#include "tests/metafiles/MetafileForge.h"

namespace {

using tags::TagKind;
using winetest::Describe;
using winetest::Difference;
using winetest::InkBounds;
using winetest::PixelAt;
using winetest::Utf8;
namespace ids = app::ids;

// Every pixel a colour of its own that names its place: red 2x, green 4y, blue 0x40.
core::Dib PlacesPicture(int width, int height) {
  core::Dib picture(width, height, 24);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      uint8_t* p = picture.Row(y) + x * 3;
      p[0] = 0x40;
      p[1] = static_cast<uint8_t>(4 * y);
      p[2] = static_cast<uint8_t>(2 * x);
    }
  }
  return picture;
}

class ImageTag : public winetest::TagsFixture {
 protected:
  // Loads the file into the preview as the "ﾌｧｲﾙ" button does, the user choosing it.
  void Load(const std::wstring& file) {
    prompts.openAnswers.push_back(winetest::ScriptedPrompts::Choose(file, 1));
    Command(ids::Button21);
  }
  RECT Tag() const { return TagSet().TagBounds(TagKind::Image); }
  // A metafile of the generator written as a file of its kind.
  std::wstring MetafileFile(const std::string& name, core::MetafileKind kind,
                            const forge::Bytes& bytes) {
    const std::wstring file = PathIn(std::wstring(name.begin(), name.end()) +
                                     (kind == core::MetafileKind::Enhanced ? L".emf" : L".wmf"));
    winetest::WriteFileBytes(file, bytes);
    return file;
  }
};

// The pixels of `after` that differ from `before` outside `inside`.
int ChangedOutside(const core::Dib& before, const core::Dib& after, const RECT& inside) {
  int changed = 0;
  for (int y = 0; y < before.Height(); ++y) {
    for (int x = 0; x < before.Width(); ++x) {
      const POINT p{x, y};
      if (!PtInRect(&inside, p) && PixelAt(before, x, y) != PixelAt(after, x, y)) ++changed;
    }
  }
  return changed;
}

TEST_F(ImageTag, ABitmapIsSqueezedIntoTheTagEachPixelACopyOfOneFromItsCell) {
  StartWithGrey(300, 200);
  const std::wstring file = PathIn(L"places.bmp");
  winetest::WriteBmpFile(file, PlacesPicture(100, 50));
  Load(file);
  ASSERT_EQ(prompts.openDialogs.size(), 1u);
  EXPECT_EQ(Utf8(prompts.openDialogs[0].filter),
            Utf8(L"ﾋﾞｯﾄﾏｯﾌﾟﾌｧｲﾙ(*.bmp)|*.bmp|ﾒﾀﾌｧｲﾙ(*.wmf)|*.wmf"));
  EXPECT_EQ(prompts.openDialogs[0].initialFileName, L"");
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"イメージファイルセットが完了しました。"));
  EXPECT_EQ(form->State().CurrentFileName, file);
  EXPECT_TRUE(TagSet().IsShown(TagKind::Image)) << "shown at once";
  EXPECT_EQ(form->State().ActiveTag, host::ActiveTag::Image);
  DragTrackBy(TagKind::Image, 50, 40);
  const RECT tag = Tag();
  ASSERT_EQ(Describe(tag), "52,42 37x37");
  Command(ids::Button19);
  EXPECT_FALSE(TagSet().IsShown(TagKind::Image));
  const core::Dib& picture = Picture();
  EXPECT_EQ(Describe(InkBounds(picture, kGrey)), Describe(tag));
  for (int dy = 0; dy < 37; ++dy) {
    for (int dx = 0; dx < 37; ++dx) {
      const uint32_t c = PixelAt(picture, tag.left + dx, tag.top + dy);
      const int red = static_cast<int>(c >> 16);
      const int green = static_cast<int>((c >> 8) & 0xFF);
      ASSERT_TRUE((c & 0xFF) == 0x40 && red % 2 == 0 && green % 4 == 0)
          << "not a pixel of the bitmap at " << dx << "," << dy;
      // The source pixel (sx, sy) overlaps the destination pixel's share of the bitmap.
      const int sx = red / 2;
      const int sy = green / 4;
      EXPECT_TRUE(sx * 37 < (dx + 1) * 100 && (sx + 1) * 37 > dx * 100) << dx << "->" << sx;
      EXPECT_TRUE(sy * 37 < (dy + 1) * 50 && (sy + 1) * 37 > dy * 50) << dy << "->" << sy;
    }
  }
  EXPECT_EQ(Difference(ClipboardPicture(), 0, 0, picture), "same") << "reloaded through it";
}

TEST_F(ImageTag, TheBuiltInDrawingIsPlayedScaledToTheTag) {
  StartWithGrey(300, 200);
  Command(ids::Button17);
  const RECT small = Tag();
  Command(ids::Button19);
  EXPECT_EQ(Describe(InkBounds(Picture(), kGrey)), Describe(small));
  const core::Dib first = winetest::Crop(Picture(), small);

  Command(ids::Button17);
  SizeTrack(TagKind::Image, 124, 84);
  DragTrackBy(TagKind::Image, 100, 60);
  const RECT large = Tag();
  ASSERT_EQ(Describe(large), "102,62 120x80");
  Command(ids::Button19);
  const core::Dib& picture = Picture();
  EXPECT_EQ(Difference(picture, small.left, small.top, first), "same") << "the first stays";
  RECT both{};
  UnionRect(&both, &small, &large);
  EXPECT_EQ(Describe(InkBounds(picture, kGrey)), Describe(both));
  const core::Dib second = winetest::Crop(picture, large);
  EXPECT_EQ(Describe(InkBounds(second, kGrey)), "0,0 120x80") << "drawn to all four edges";
  // The sun sits in the upper right of the drawing, at the same share of either size.
  constexpr uint32_t kSun = 0xFFD628;
  EXPECT_EQ(PixelAt(second, 120 * 535 / 680, 80 * 125 / 570), kSun);
  EXPECT_EQ(PixelAt(first, 37 * 535 / 680, 37 * 125 / 570), kSun);
}

TEST_F(ImageTag, ACancelledDialogStillShowsTheTagAndAFileThatFailsKeepsThePreview) {
  StartWithGrey(300, 200);
  const std::string startStatus = Utf8(form->StatusText());
  Command(ids::Button21);  // cancelled
  EXPECT_TRUE(TagSet().IsShown(TagKind::Image));
  EXPECT_EQ(form->State().ActiveTag, host::ActiveTag::Image);
  EXPECT_EQ(Utf8(form->StatusText()), startStatus);
  Command(ids::Button19);
  const core::Dib drawing = winetest::Crop(Picture(), RECT{2, 2, 39, 39});

  const std::wstring broken = PathIn(L"broken.bmp");
  winetest::WriteFileBytes(broken, std::vector<uint8_t>(200, 0x42));
  Load(broken);
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(form->State().CurrentFileName, broken);
  EXPECT_EQ(Utf8(form->StatusText()), startStatus) << "no success text";
  EXPECT_FALSE(TagSet().IsShown(TagKind::Image)) << "not shown afresh";
  // The preview kept the drawing: embedded at another place, it looks the same.
  Command(ids::Button17);
  DragTrackBy(TagKind::Image, 100, 50);
  const RECT tag = Tag();
  Command(ids::Button19);
  EXPECT_EQ(Difference(Picture(), tag.left, tag.top, drawing), "same");
}

TEST_F(ImageTag, AJpegOrAnIconFileTypedByNameIsEmbeddedAsWhatItShows) {
  StartWithGrey(300, 200);
  core::Dib red(40, 20, 24);
  for (int y = 0; y < 20; ++y) {
    for (int x = 0; x < 40; ++x) {
      uint8_t* p = red.Row(y) + x * 3;
      p[0] = 0x20;
      p[1] = 0x20;
      p[2] = 0xE0;
    }
  }
  RECT inked{};
  for (const wchar_t* name : {L"red.jpg", L"red.jpeg"}) {
    SCOPED_TRACE(Utf8(name));
    const std::wstring jpeg = PathIn(name);
    winetest::WriteFileBytes(jpeg, core::EncodeJpeg(red, 95));
    Load(jpeg);
    if (!IsRectEmpty(&inked)) DragTrackBy(TagKind::Image, 60, 0);  // beside the first
    const RECT tag = Tag();
    Command(ids::Button19);
    UnionRect(&inked, &inked, &tag);
    EXPECT_EQ(Describe(InkBounds(Picture(), kGrey)), Describe(inked));
    const uint32_t c = PixelAt(Picture(), tag.left + 18, tag.top + 18);
    EXPECT_NEAR(static_cast<int>(c >> 16), 0xE0, 6);
    EXPECT_NEAR(static_cast<int>(c & 0xFF), 0x20, 6);
  }

  const std::wstring icon = PathIn(L"blue.ico");
  winetest::WriteIconFile(icon, 32, RGB(0, 0, 255), 8);
  Load(icon);
  DragTrackBy(TagKind::Image, 100, 60);
  const RECT iconTag = Tag();
  Command(ids::Button19);
  EXPECT_EQ(PixelAt(Picture(), iconTag.left + 18, iconTag.top + 18), 0x0000FFu) << "its middle";
  EXPECT_EQ(PixelAt(Picture(), iconTag.left + 1, iconTag.top + 1), kGrey) << "its margin is clear";
}

TEST_F(ImageTag, MetafileFilesAreDrawnIntoTheTag) {
  StartWithGrey(300, 200);
  Command(ids::Button17);
  SizeTrack(TagKind::Image, 104, 104);
  DragTrackBy(TagKind::Image, 100, 50);
  const RECT tag = Tag();
  ASSERT_EQ(Describe(tag), "102,52 100x100");
  // The first square of each, in its brush's colour, a quarter of the way in.
  for (const forge::Sound& file : forge::SoundMetafiles()) {
    if (file.kind == core::MetafileKind::Windows) continue;
    SCOPED_TRACE(file.name);
    Load(MetafileFile(file.name, file.kind, file.bytes));
    ASSERT_TRUE(prompts.errors.empty()) << Utf8(prompts.errors[0]);
    Command(ids::Button19);
    const core::Dib& picture = Picture();
    EXPECT_EQ(PixelAt(picture, tag.left + 25, tag.top + 25),
              file.kind == core::MetafileKind::Enhanced ? 0xE0A040u : 0x4080C0u);
    const RECT inked = InkBounds(picture, kGrey);
    RECT inside{};
    EXPECT_TRUE(IntersectRect(&inside, &inked, &tag) && EqualRect(&inside, &inked))
        << Describe(inked);
  }
}

TEST_F(ImageTag, HostileMetafilesAreRefusedOrDrawnOnlyInsideTheTagInTime) {
  StartWithGrey(400, 320);
  Command(ids::Button17);
  SizeTrack(TagKind::Image, 204, 204);
  DragTrackBy(TagKind::Image, 100, 50);
  const RECT tag = Tag();
  ASSERT_EQ(Describe(tag), "102,52 200x200");
  const RECT track = Track(TagKind::Image);
  RECT area{};
  GetClientRect(Area(), &area);
  const core::Dib screenBefore = ScreenOf(Area(), area);
  for (const forge::Hostile& c : forge::HostileMetafiles()) {
    SCOPED_TRACE(c.name);
    const size_t errors = prompts.errors.size();
    Load(MetafileFile(c.name, c.kind, c.bytes));
    if (c.refused) {
      ASSERT_EQ(prompts.errors.size(), errors + 1);
      EXPECT_EQ(Utf8(prompts.errors.back()).rfind(Utf8(L"メタファイルとして読み込めません。\n"), 0),
                0u)
          << Utf8(prompts.errors.back());
      continue;
    }
    ASSERT_EQ(prompts.errors.size(), errors) << Utf8(prompts.errors.back());
    ASSERT_TRUE(TagSet().IsShown(TagKind::Image));
    const auto start = std::chrono::steady_clock::now();
    RedrawWindow(Area(), &tag, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
    EXPECT_EQ(ChangedOutside(screenBefore, ScreenOf(Area(), area), track), 0) << "on the screen";
    Command(ids::Button19);
    const RECT inked = InkBounds(Picture(), kGrey);
    RECT inside{};
    EXPECT_TRUE(IntersectRect(&inside, &inked, &tag) && EqualRect(&inside, &inked))
        << "in the picture: " << Describe(inked);
  }
}

TEST_F(ImageTag, AMetafileTooCostlyForALargeTagIsDrawnSmallerInTime) {
  // A polygon of random points: drawn in time at the preview's size, far from it at 800 x 700.
  forge::Wmf wmf;
  wmf.Brush(0, 0x0000FF).Select(0).Polygon(forge::RandomPoints(900, 1000, 5));
  const forge::Bytes bytes = wmf.Placeable(0, 0, 1000, 1000);
  ASSERT_LT(core::FitMetafileToBudget(bytes, core::MetafileKind::Placeable, 800, 700).width, 400);
  StartWithGrey(900, 760);
  Load(MetafileFile("costly", core::MetafileKind::Placeable, bytes));
  ASSERT_TRUE(prompts.errors.empty()) << Utf8(prompts.errors[0]);
  SizeTrack(TagKind::Image, 804, 704);
  const RECT tag = Tag();
  ASSERT_EQ(Describe(tag), "2,2 800x700");
  const auto start = std::chrono::steady_clock::now();
  RedrawWindow(Area(), &tag, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(100));
  Command(ids::Button19);
  const RECT inked = InkBounds(Picture(), kGrey);
  RECT inside{};
  EXPECT_TRUE(IntersectRect(&inside, &inked, &tag) && EqualRect(&inside, &inked))
      << Describe(inked);
  EXPECT_GT(inked.right - inked.left, 700) << "drawn across the tag";
}

}  // namespace
