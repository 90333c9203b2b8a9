// Undo and redo as the user works with them: Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z pressed for real,
// the Edit menu's items greyed when there is nothing to do, after embeds, a crop, a resize and a
// capture; what comes back is checked in the picture, on the clipboard and in a saved file.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <functional>
#include <string>
#include <vector>

#include "ClipboardChildren.h"
#include "MouseInput.h"
#include "TagsFixture.h"
#include "app/win/CommandIds.h"
#include "core/BmpCodec.h"
#include "core/Convert24.h"

namespace {

using tags::TagKind;
using winetest::Utf8;
namespace ids = app::ids;

// The resize dialog's number box and its specified-size button.
constexpr int kResizeNumber = 17;
constexpr int kResizeSpecified = 19;

class History : public winetest::TagsFixture {
 protected:
  void Undo() { PressKeys({VK_CONTROL, 'Z'}); }
  void Redo() { PressKeys({VK_CONTROL, 'Y'}); }
  std::string Status() const { return Utf8(form->StatusText()); }
  // The picture as 24-bit pixels, whatever format it has now.
  core::Dib Now() const {
    const core::Dib& p = Picture();
    return p.BitCount() == 24 ? p.Clone() : core::ConvertTo24(p);
  }
  // Whether an item of the Edit menu is greyed when the menu opens.
  bool Greyed(int id) {
    HMENU edit = GetSubMenu(form->Controls().MainMenu1, 1);
    SendMessageW(form->Handle(), WM_INITMENUPOPUP, reinterpret_cast<WPARAM>(edit), 1);
    return (GetMenuState(edit, static_cast<UINT>(id), MF_BYCOMMAND) & MF_GRAYED) != 0;
  }
  // The picture saved as BMP and read back.
  core::Dib Saved() {
    prompts.saveAnswers.push_back(winetest::ScriptedPrompts::Choose(PathIn(L"saved.bmp"), 2));
    Command(ids::mnuWrite);
    return core::ReadBmp(winetest::ReadFileBytes(PathIn(L"saved.bmp")));
  }
  int Refusals() const {
    int n = 0;
    for (UINT beep : prompts.beeps) n += beep == MB_ICONQUESTION;
    return n;
  }
};

std::string Compare(const core::Dib& a, const core::Dib& b) {
  if (a.Width() != b.Width() || a.Height() != b.Height()) {
    return "size " + std::to_string(a.Width()) + "x" + std::to_string(a.Height());
  }
  return winetest::Difference(a, 0, 0, b);
}

TEST_F(History, EmbedsUndoToTheOriginalAndRedoToEveryEmbedByteForByte) {
  StartWithPicture(winetest::PatternDib(400, 300));
  const core::Dib original = Now();
  EXPECT_FALSE(Greyed(ids::mnuUndo)) << "the load itself can be undone";
  EXPECT_TRUE(Greyed(ids::mnuRedo));
  // The shape at the corner, the text and an icon apart from it.
  Command(ids::Button6);
  Command(ids::Button2);
  Command(ids::Button9);
  DragTrackBy(TagKind::Memo, 150, 100);
  Command(ids::Button11);
  Command(ids::Button13);
  DragTrackBy(TagKind::Icon, 300, 200);
  Command(ids::Button15);
  const core::Dib embedded = Now();
  ASSERT_NE(Compare(embedded, original), "same");
  EXPECT_FALSE(Greyed(ids::mnuUndo));

  for (int i = 0; i < 3; ++i) Undo();
  EXPECT_EQ(Compare(Now(), original), "same");
  EXPECT_EQ(Status(), Utf8(L"元に戻しました。ｻｲｽﾞ X=400 Y=300"));
  EXPECT_EQ(Compare(ClipboardPicture(), original), "same");
  EXPECT_EQ(Compare(Saved(), original), "same");
  // One more step back is the start picture the load replaced; then nothing is left.
  Undo();
  EXPECT_EQ(form->Picture().Width(), 420);
  EXPECT_TRUE(Greyed(ids::mnuUndo));
  const int refused = Refusals();
  Undo();
  EXPECT_EQ(Refusals(), refused + 1) << "nothing left to undo: the refusal beep";

  Redo();
  EXPECT_EQ(Compare(Now(), original), "same");
  Redo();
  PressKeys({VK_CONTROL, VK_SHIFT, 'Z'});
  EXPECT_EQ(Status(), Utf8(L"やり直しました。ｻｲｽﾞ X=400 Y=300"));
  Command(ids::smnuRedo);  // the picture's context menu
  EXPECT_EQ(Compare(Now(), embedded), "same");
  EXPECT_EQ(Compare(ClipboardPicture(), embedded), "same");
  EXPECT_EQ(Status(), Utf8(L"やり直しました。ｻｲｽﾞ X=400 Y=300"));
  EXPECT_TRUE(Greyed(ids::mnuRedo));
}

TEST_F(History, EmbedAllIsOneStepAndANewEmbedAfterUndoForgetsTheRedo) {
  StartWithPicture(winetest::PatternDib(300, 200));
  const core::Dib original = Now();
  Command(ids::Button6);
  Command(ids::Button9);
  DragTrackBy(TagKind::Memo, 120, 80);
  Command(ids::Button1);  // 全埋込
  Undo();
  EXPECT_EQ(Compare(Now(), original), "same") << "one step for both tags";
  EXPECT_FALSE(Greyed(ids::mnuRedo));
  Command(ids::Button6);
  Command(ids::Button2);
  EXPECT_TRUE(Greyed(ids::mnuRedo));
}

TEST_F(History, CropAndResizeUndoToTheOriginalSizeAndTheWindowFitsIt) {
  StartWithPicture(winetest::PatternDib(600, 400));
  const core::Dib original = Now();
  const RECT fitted = WindowRect();
  Command(ids::mnuCut);
  winetest::WhenDialogAppears([](HWND dialog) { PostMessageW(dialog, WM_COMMAND, IDOK, 0); });
  winetest::LeftDrag(form->Controls().Image1, {POINT{50, 60}, POINT{150, 110}, POINT{250, 160}});
  winetest::PumpMessages(30);
  ASSERT_EQ(form->Picture().Width(), 200);
  ASSERT_EQ(form->Picture().Height(), 100);
  const core::Dib cut = Now();
  // Half the width: the resize dialog's number box, its specified-size button, OK.
  winetest::WhenDialogAppears([](HWND dialog) {
    SetWindowTextW(winetest::FindDescendant(dialog, kResizeNumber), L"100");
    HWND specified = winetest::FindDescendant(dialog, kResizeSpecified);
    SendMessageW(specified, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 5));
    SendMessageW(specified, WM_LBUTTONUP, 0, MAKELPARAM(5, 5));
    PostMessageW(dialog, WM_COMMAND, IDOK, 0);
  });
  Command(ids::SpeedButton12);
  ASSERT_EQ(form->Picture().Width(), 100);
  ASSERT_EQ(form->Picture().Height(), 50);

  Undo();
  EXPECT_EQ(Compare(Now(), cut), "same");
  Undo();
  EXPECT_EQ(Compare(Now(), original), "same");
  const RECT now = WindowRect();
  EXPECT_EQ(now.right - now.left, fitted.right - fitted.left);
  EXPECT_EQ(now.bottom - now.top, fitted.bottom - fitted.top);
}

TEST_F(History, UndoIsRefusedWhileACropIsArmedAndACaptureCanBeUndone) {
  StartWithPicture(winetest::PatternDib(200, 150));
  Command(ids::Button6);
  Command(ids::Button2);
  const core::Dib edited = Now();
  Command(ids::mnuCut);
  const int refused = Refusals();
  Undo();
  EXPECT_EQ(Refusals(), refused + 1);
  EXPECT_EQ(Compare(Now(), edited), "same");
  EXPECT_EQ(form->State().CropState, host::CropState::Armed);

  // A capture replaces the unsaved, edited picture; undo brings it back.
  Close();
  StartWithPicture(winetest::PatternDib(200, 150));
  Command(ids::Button6);
  Command(ids::Button2);
  const core::Dib before = Now();
  Command(ids::mnuCaputure);
  ASSERT_EQ(winetest::RunChild(L"put-screen-bitmap", {L"320", L"240"}), 0);
  ASSERT_TRUE(
      winetest::WaitFor([&] { return form->PictureState() == host::PictureState::Present; }));
  ASSERT_EQ(form->Picture().Width(), 320);
  Undo();
  EXPECT_EQ(Compare(Now(), before), "same");
}

}  // namespace

// What the history costs at 7680 x 4320, printed against its bounds: ten 200 x 200 embeds store
// little; undo and redo of an embed take at most twice what the after-load routine takes on the
// same picture; and with a 256 MB limit twenty clipboard loads keep the process's peak memory under
// four pictures and the limit.
TEST_F(History, AtEightKTheStepsCostLittleAgainstTheirBounds) {
  constexpr int kWidth = 7680;
  constexpr int kHeight = 4320;
  const double pictureMb = static_cast<double>(kWidth) * 3 * kHeight / 1e6;
  WriteIni(L"[Undo]\r\nLimit=256\r\n");
  StartWithPicture(winetest::PatternDib(kWidth, kHeight));
  SizeTrack(TagKind::Shape, 200, 200);
  const uint64_t before = form->History().StoredBytes();
  for (int i = 0; i < 10; ++i) {
    Command(ids::Button6);
    Command(ids::Button2);
  }
  const double addedMb = static_cast<double>(form->History().StoredBytes() - before) / 1e6;
  const auto milliseconds = [](const std::function<void()>& f) {
    const ULONGLONG start = GetTickCount64();
    f();
    return static_cast<double>(GetTickCount64() - start);
  };
  std::vector<double> undo, redo, afterLoad;
  for (int i = 0; i < 3; ++i) {
    undo.push_back(milliseconds([&] { Command(ids::mnuUndo); }));
    redo.push_back(milliseconds([&] { Command(ids::mnuRedo); }));
    afterLoad.push_back(milliseconds([&] { form->AfterPictureLoad(); }));
  }
  const auto median = [](std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
  };
  const double ratio = std::max(median(undo), median(redo)) / median(afterLoad);
  std::printf(
      "8K: ten 200x200 embeds added %.2f MB (bound 10); undo %.0f ms, redo %.0f ms, after-load "
      "routine %.0f ms, ratio %.2f (bound 2.00)\n",
      addedMb, median(undo), median(redo), median(afterLoad), ratio);
  EXPECT_LE(addedMb, 10.0);
  EXPECT_LE(ratio, 2.0);

  // Twenty clipboard loads of an 8K picture, each recording the one it replaces.
  Close();
  winetest::WriteFileBytes(PathIn(L"8k.dib"),
                           core::WritePackedDib(winetest::PatternDib(kWidth, kHeight)));
  Start();
  PROCESS_MEMORY_COUNTERS counters{sizeof counters};
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  const double baseMb = static_cast<double>(counters.WorkingSetSize) / 1e6;
  for (int i = 0; i < 20; ++i) {
    ASSERT_EQ(winetest::RunChild(L"put-dib-file", {PathIn(L"8k.dib")}), 0);
    Command(ids::mnuClipRead);
  }
  GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters);
  const double peakMb = static_cast<double>(counters.PeakWorkingSetSize) / 1e6;
  const double boundMb = baseMb + pictureMb * 4 + 256 * 1.048576;
  std::printf("20 clipboard loads at 8K, Limit=256: peak %.0f MB, bound %.0f MB (%.0f MB before)\n",
              peakMb, boundMb, baseMb);
  EXPECT_LE(peakMb, boundMb);
}
