// Capture through PrintScreen, and loading from the clipboard and the work file, as the user
// does them: the window hides and comes back, the status line, the sounds and the clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include "ClipboardChildren.h"
#include "FormFixture.h"
#include "app/win/CommandIds.h"
#include "core/BmpCodec.h"
#include "core/Convert24.h"

namespace {

using winetest::FormFixture;
using winetest::RunChild;
using winetest::Utf8;
using winetest::WaitFor;
namespace ids = app::ids;

class Capture : public FormFixture {
 protected:
  // What PrintScreen does: a screen bitmap on the clipboard, put there by another process.
  void PressPrintScreen(int width, int height) {
    ASSERT_EQ(RunChild(L"put-screen-bitmap", {std::to_wstring(width), std::to_wstring(height)}), 0);
  }
  void ExpectPicture(int width, int height) {
    ASSERT_EQ(form->Picture().Width(), width);
    ASSERT_EQ(form->Picture().Height(), height);
    const core::Dib expected = winetest::PatternDib(width, height);
    for (int y : {0, height / 2, height - 1}) {
      for (int x : {0, width / 3, width - 1}) {
        EXPECT_EQ(winetest::PixelAt(form->Picture().Pixels(), x, y),
                  winetest::PixelAt(expected, x, y))
            << x << "," << y;
      }
    }
  }
};

TEST_F(Capture, WaitsHiddenThroughTextAndComesBackWithTheScreenPicture) {
  Start();
  Command(ids::SpeedButton1);
  EXPECT_EQ(form->PictureState(), 1);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(IsWindowVisible(form->ApplicationHandle())) << "the taskbar button stays";
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"取込中です。"));

  ASSERT_EQ(RunChild(L"put-text", {L"some copied text"}), 0);
  winetest::PumpMessages(100);
  EXPECT_EQ(form->PictureState(), 1);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(prompts.beeps.empty());

  PressPrintScreen(321, 123);
  ASSERT_TRUE(WaitFor([&] { return form->PictureState() == 2; }));
  winetest::PumpMessages(50);
  EXPECT_TRUE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(IsWindowVisible(form->ApplicationHandle()));
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"ｷｬﾌﾟﾁｬｰしました。ｻｲｽﾞ X=321 Y=123"));
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONASTERISK}) << "one capture, one sound";
  EXPECT_EQ(form->Picture().Pixels().BitCount(), 24);
  ExpectPicture(321, 123);
  const RECT r = WindowRect();
  EXPECT_EQ(r.right - r.left, 500) << "the window fits the new picture";

  // The clipboard holds the picture, as another program sees it.
  const std::wstring dumped = PathIn(L"clip.dib");
  ASSERT_EQ(RunChild(L"dump-clipboard-dib", {dumped}), 0);
  const core::Dib onClipboard = core::ReadPackedDib(winetest::ReadFileBytes(dumped));
  EXPECT_EQ(onClipboard.Width(), 321);
  EXPECT_EQ(winetest::PixelAt(core::ConvertTo24(onClipboard), 200, 100),
            winetest::PixelAt(winetest::PatternDib(321, 123), 200, 100));
}

TEST_F(Capture, ReplacesAPictureAlreadyPresent) {
  winetest::WriteBmpFile(PathIn(L"old.bmp"), winetest::PatternDib(50, 40));
  Start({PathIn(L"old.bmp")});
  ASSERT_EQ(form->PictureState(), 2);
  Command(ids::mnuCaputure);
  EXPECT_EQ(form->PictureState(), 1);
  EXPECT_EQ(form->Picture().Width(), 50) << "the old picture stays until the new one arrives";
  PressPrintScreen(640, 480);
  ASSERT_TRUE(WaitFor([&] { return form->PictureState() == 2; }));
  ExpectPicture(640, 480);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"ｷｬﾌﾟﾁｬｰしました。ｻｲｽﾞ X=640 Y=480"));
}

TEST_F(Capture, ClipboardChangesWithoutAPendingCaptureAreIgnored) {
  Start();
  PressPrintScreen(30, 20);
  winetest::PumpMessages(100);
  EXPECT_EQ(form->PictureState(), 0);
  EXPECT_EQ(form->Picture().Width(), 420);
  EXPECT_TRUE(prompts.beeps.empty());
}

TEST_F(Capture, ClipboardLoadTakesAPictureAndRefusesText) {
  Start();
  ASSERT_EQ(RunChild(L"put-text", {L"not a picture"}), 0);
  Command(ids::mnuClipRead);
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION});
  EXPECT_EQ(form->PictureState(), 0);
  EXPECT_EQ(form->Picture().Width(), 420);

  PressPrintScreen(77, 66);
  Command(ids::SpeedButton9);
  EXPECT_EQ(form->PictureState(), 2);
  ExpectPicture(77, 66);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"クリップボード読込が完了しました。"));
  // Loading again reloads the copy the load left on the clipboard.
  Command(ids::smnuClipRead);
  ExpectPicture(77, 66);
  EXPECT_EQ(prompts.beeps.size(), 1u);
}

TEST_F(Capture, AMetafileOnTheClipboardIsDrawnIntoABitmapOfItsSize) {
  Start();
  ASSERT_EQ(RunChild(L"put-metafile", {L"60", L"40"}), 0);
  Command(ids::mnuClipRead);
  ASSERT_EQ(form->PictureState(), 2);
  EXPECT_GE(form->Picture().Width(), 60);
  EXPECT_GE(form->Picture().Height(), 40);
  EXPECT_EQ(winetest::PixelAt(form->Picture().Pixels(), 10, 10), 0xFF0000u);
}

TEST_F(Capture, WorkFileLoadNeedsAValidWorkFile) {
  Start();
  Command(ids::mnuTmpRead);
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION});

  winetest::WriteBmpFile(PathIn(L"tmp$$$.bmp"), winetest::PatternDib(90, 30));
  Command(ids::SpeedButton10);
  EXPECT_EQ(form->PictureState(), 2);
  ExpectPicture(90, 30);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"作業ファイル読込が完了しました。"));

  // A damaged work file: the error box, and the picture and state stay.
  std::vector<uint8_t> damaged = core::WriteBmp(winetest::PatternDib(90, 30));
  damaged.resize(damaged.size() / 2);
  winetest::WriteFileBytes(PathIn(L"tmp$$$.bmp"), damaged);
  Command(ids::smnuTmpRead);
  EXPECT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(form->PictureState(), 2);
  ExpectPicture(90, 30);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"作業ファイル読込が完了しました。"));
}

}  // namespace
