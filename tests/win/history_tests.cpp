// Undo and redo as the user works with them: Ctrl+Z, Ctrl+Y and Ctrl+Shift+Z pressed for real,
// the Edit menu's items greyed when there is nothing to do, after embeds, a crop, a resize and a
// capture; what comes back is checked in the picture, on the clipboard and in a saved file.
#include <windows.h>

#include <gtest/gtest.h>

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
