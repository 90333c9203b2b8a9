// Capture through PrintScreen, and loading from the clipboard and the work file, as the user
// does them: the window hides and comes back, the status line, the sounds and the clipboard.
#include <windows.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <vector>

#include "ClipboardChildren.h"
#include "FormFixture.h"
#include "app/win/CommandIds.h"
#include "core/BmpCodec.h"
#include "core/Convert24.h"
#include "core/Error.h"
#include "win/Clipboard.h"

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
  EXPECT_EQ(form->PictureState(), host::PictureState::CapturePending);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_FALSE(IsWindowVisible(form->ApplicationHandle())) << "the taskbar button stays";
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"取込中です。"));

  ASSERT_EQ(RunChild(L"put-text", {L"some copied text"}), 0);
  winetest::PumpMessages(100);
  EXPECT_EQ(form->PictureState(), host::PictureState::CapturePending);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_TRUE(prompts.beeps.empty());

  PressPrintScreen(321, 123);
  ASSERT_TRUE(WaitFor([&] { return form->PictureState() == host::PictureState::Present; }));
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

// Every pixel, in the picture and on the clipboard as another program reads it: a screen bitmap
// of the screen's 32 bits and an odd width, so rows of 24-bit copies carry padding.
TEST_F(Capture, TheScreenPictureReachesThePictureAndOtherProgramsUnchanged) {
  Start();
  Command(ids::mnuCaputure);
  PressPrintScreen(333, 77);
  ASSERT_TRUE(WaitFor([&] { return form->PictureState() == host::PictureState::Present; }));
  const core::Dib expected = winetest::PatternDib(333, 77);
  const std::wstring dumped = PathIn(L"clip.dib");
  ASSERT_EQ(RunChild(L"dump-clipboard-dib", {dumped}), 0);
  const core::Dib onClipboard =
      core::ConvertTo24(core::ReadPackedDib(winetest::ReadFileBytes(dumped)));
  ASSERT_EQ(onClipboard.Width(), 333);
  ASSERT_EQ(onClipboard.Height(), 77);
  int wrongInPicture = 0, wrongOnClipboard = 0;
  for (int y = 0; y < 77; ++y) {
    for (int x = 0; x < 333; ++x) {
      const uint32_t pixel = winetest::PixelAt(expected, x, y);
      wrongInPicture += winetest::PixelAt(form->Picture().Pixels(), x, y) != pixel;
      wrongOnClipboard += winetest::PixelAt(onClipboard, x, y) != pixel;
    }
  }
  EXPECT_EQ(wrongInPicture, 0);
  EXPECT_EQ(wrongOnClipboard, 0);
}

// Input and a close request that wait in the queue when Capture is chosen are not handled inside
// the command, which ends with the window there and the capture pending; the main loop handles
// them after it.
TEST_F(Capture, QueuedInputAndACloseRequestWaitForTheMainLoop) {
  Start();
  HWND clipboardButton = GetDlgItem(GetDlgItem(form->Handle(), ids::Panel1), ids::SpeedButton9);
  ASSERT_NE(clipboardButton, nullptr);
  PostMessageW(clipboardButton, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
  PostMessageW(clipboardButton, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
  PostMessageW(form->Handle(), WM_CLOSE, 0, 0);
  Command(ids::mnuCaputure);
  ASSERT_NE(form->Handle(), nullptr) << "closed inside the command";
  EXPECT_EQ(form->PictureState(), host::PictureState::CapturePending);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"取込中です。"));
  EXPECT_TRUE(prompts.beeps.empty()) << "the click ran inside the command";

  winetest::PumpMessages(50);
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION}) << "the click: nothing to load";
  EXPECT_EQ(form->Handle(), nullptr) << "the close request";
}

TEST_F(Capture, ReplacesAPictureAlreadyPresent) {
  winetest::WriteBmpFile(PathIn(L"old.bmp"), winetest::PatternDib(50, 40));
  Start({PathIn(L"old.bmp")});
  ASSERT_EQ(form->PictureState(), host::PictureState::Present);
  Command(ids::mnuCaputure);
  EXPECT_EQ(form->PictureState(), host::PictureState::CapturePending);
  EXPECT_EQ(form->Picture().Width(), 50) << "the old picture stays until the new one arrives";
  PressPrintScreen(640, 480);
  ASSERT_TRUE(WaitFor([&] { return form->PictureState() == host::PictureState::Present; }));
  ExpectPicture(640, 480);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"ｷｬﾌﾟﾁｬｰしました。ｻｲｽﾞ X=640 Y=480"));
}

TEST_F(Capture, ClipboardChangesWithoutAPendingCaptureAreIgnored) {
  Start();
  PressPrintScreen(30, 20);
  winetest::PumpMessages(100);
  EXPECT_EQ(form->PictureState(), host::PictureState::Start);
  EXPECT_EQ(form->Picture().Width(), 420);
  EXPECT_TRUE(prompts.beeps.empty());
}

TEST_F(Capture, ClipboardLoadTakesAPictureAndRefusesText) {
  Start();
  ASSERT_EQ(RunChild(L"put-text", {L"not a picture"}), 0);
  Command(ids::mnuClipRead);
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION});
  EXPECT_EQ(form->PictureState(), host::PictureState::Start);
  EXPECT_EQ(form->Picture().Width(), 420);

  PressPrintScreen(77, 66);
  Command(ids::SpeedButton9);
  EXPECT_EQ(form->PictureState(), host::PictureState::Present);
  ExpectPicture(77, 66);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"クリップボード読込が完了しました。"));
  // Loading again reloads the copy the load left on the clipboard.
  Command(ids::smnuClipRead);
  ExpectPicture(77, 66);
  EXPECT_EQ(prompts.beeps.size(), 1u);
}

// A program that copies a picture puts a DIB in its own format. The load takes it as it is and
// puts it back as it was, palette included; only the picture shown becomes 24-bit.
TEST_F(Capture, ADibFromAnotherProgramIsTakenAndPutBackInItsOwnFormat) {
  core::Dib indexed(61, 7, 8);
  for (int i = 0; i < 256; ++i) {
    indexed.Palette().push_back(
        {static_cast<uint8_t>(i), static_cast<uint8_t>(255 - i), static_cast<uint8_t>(i * 7), 0});
  }
  for (size_t i = 0; i < indexed.ImageSize(); ++i) indexed.Bits()[i] = static_cast<uint8_t>(i * 13);
  winetest::WriteFileBytes(PathIn(L"indexed.dib"), core::WritePackedDib(indexed));
  Start();
  ASSERT_EQ(RunChild(L"put-dib-file", {PathIn(L"indexed.dib")}), 0);
  Command(ids::mnuClipRead);
  ASSERT_EQ(form->PictureState(), host::PictureState::Present);
  EXPECT_EQ(form->Picture().Pixels().BitCount(), 24);
  const core::RgbQuad& colour = indexed.Palette()[indexed.Row(3)[40]];
  EXPECT_EQ(winetest::PixelAt(form->Picture().Pixels(), 40, 3),
            (uint32_t{colour.red} << 16) | (uint32_t{colour.green} << 8) | colour.blue);

  const std::wstring dumped = PathIn(L"clip.dib");
  ASSERT_EQ(RunChild(L"dump-clipboard-dib", {dumped}), 0);
  const core::Dib onClipboard = core::ReadPackedDib(winetest::ReadFileBytes(dumped));
  ASSERT_EQ(onClipboard.BitCount(), 8);
  EXPECT_EQ(onClipboard.Palette(), indexed.Palette());
  EXPECT_TRUE(std::equal(indexed.Bits(), indexed.Bits() + indexed.ImageSize(), onClipboard.Bits()));
  EXPECT_TRUE(IsClipboardFormatAvailable(CF_PALETTE));
}

TEST_F(Capture, MetafilesOnTheClipboardAreDrawnIntoABitmapOfTheirSize) {
  Start();
  for (const wchar_t* mode : {L"put-metafile", L"put-metafilepict"}) {
    SCOPED_TRACE(Utf8(mode));
    ASSERT_EQ(RunChild(mode, {L"60", L"40"}), 0);
    Command(ids::mnuClipRead);
    ASSERT_TRUE(prompts.errors.empty()) << Utf8(prompts.errors[0]);
    ASSERT_EQ(form->PictureState(), host::PictureState::Present);
    ASSERT_EQ(form->Picture().Width(), 60);
    ASSERT_EQ(form->Picture().Height(), 40);
    for (const auto& [x, y] : {std::pair{0, 0}, std::pair{59, 39}, std::pair{30, 20}}) {
      EXPECT_EQ(winetest::PixelAt(form->Picture().Pixels(), x, y), 0xFF0000u) << x << "," << y;
    }
    // A new picture for the next round, so the check above sees the metafile's own.
    ASSERT_EQ(RunChild(L"put-screen-bitmap", {L"10", L"10"}), 0);
    Command(ids::mnuClipRead);
  }
}

TEST_F(Capture, AMetafileClaimingBoundsBeyondAnyPictureIsRefused) {
  Start();
  ASSERT_EQ(RunChild(L"put-metafile-bounds", {L"-2147483647", L"0", L"2147483647", L"10"}), 0);
  Command(ids::mnuClipRead);
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(form->PictureState(), host::PictureState::Start);
  EXPECT_EQ(form->Picture().Width(), 420);
}

TEST_F(Capture, WorkFileLoadNeedsAValidWorkFile) {
  Start();
  Command(ids::mnuTmpRead);
  EXPECT_EQ(prompts.beeps, std::vector<UINT>{MB_ICONQUESTION});

  winetest::WriteBmpFile(PathIn(L"tmp$$$.bmp"), winetest::PatternDib(90, 30));
  Command(ids::SpeedButton10);
  EXPECT_EQ(form->PictureState(), host::PictureState::Present);
  ExpectPicture(90, 30);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"作業ファイル読込が完了しました。"));

  // A damaged work file: the error box, and the picture and state stay.
  std::vector<uint8_t> damaged = core::WriteBmp(winetest::PatternDib(90, 30));
  damaged.resize(damaged.size() / 2);
  winetest::WriteFileBytes(PathIn(L"tmp$$$.bmp"), damaged);
  Command(ids::smnuTmpRead);
  EXPECT_EQ(prompts.errors.size(), 1u);
  EXPECT_EQ(form->PictureState(), host::PictureState::Present);
  ExpectPicture(90, 30);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"作業ファイル読込が完了しました。"));
}

// Reserves the free address space of a 32-bit process in blocks of `smallest` bytes and more, so
// that no block of twice that size can be allocated while it lives.
class AddressSpaceReservation {
 public:
  explicit AddressSpaceReservation(size_t smallest) {
    blocks_.reserve(4096);
    for (size_t size = size_t{1} << 31; size >= smallest; size /= 2) {
      while (blocks_.size() < blocks_.capacity()) {
        void* block = VirtualAlloc(nullptr, size, MEM_RESERVE, PAGE_NOACCESS);
        if (!block) break;
        blocks_.push_back(block);
      }
    }
  }
  ~AddressSpaceReservation() {
    for (void* block : blocks_) VirtualFree(block, 0, MEM_RELEASE);
  }
  AddressSpaceReservation(const AddressSpaceReservation&) = delete;
  AddressSpaceReservation& operator=(const AddressSpaceReservation&) = delete;

 private:
  std::vector<void*> blocks_;
};

// A picture whose copy finds no memory is refused, and the clipboard keeps what the user put
// there. The release build is 32-bit, where a large picture can exhaust the address space; a
// 64-bit one cannot be filled in a test's time.
TEST(ClipboardWrite, APictureWithoutMemoryForItsCopyLeavesTheClipboardAsItWas) {
  if (sizeof(void*) == 8) GTEST_SKIP() << "the 32-bit build runs this";
  ASSERT_EQ(RunChild(L"put-text", {L"the user's text"}), 0);
  const core::Dib picture(2048, 2048, 24, core::Dib::Fill::None);  // 12 MB, never touched
  {
    AddressSpaceReservation full(picture.ImageSize() / 2);
    EXPECT_THROW(win::PutPictureOnClipboard(nullptr, picture), core::Error);
  }
  ASSERT_TRUE(OpenClipboard(nullptr));
  const auto* text = static_cast<const wchar_t*>(GlobalLock(GetClipboardData(CF_UNICODETEXT)));
  EXPECT_EQ(Utf8(text ? text : L"(none)"), "the user's text");
  if (text) GlobalUnlock(GetClipboardData(CF_UNICODETEXT));
  CloseClipboard();
}

}  // namespace
