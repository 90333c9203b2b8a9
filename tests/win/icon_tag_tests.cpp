// The icon tag and its palette: the 48 built-in icons, the pages and their wrapping arrows, the
// selection squares, registering icon files on the user's pages and keeping them in the settings,
// showing the tag from a slot, and stamping the icon through its mask at 32 x 32.
#include <windows.h>
#include <commctrl.h>

#include <gtest/gtest.h>

#include <array>
#include <filesystem>

#include "MouseInput.h"
#include "TagsFixture.h"
#include "app/win/CommandIds.h"
#include "core/BmpCodec.h"

namespace {

using tags::TagKind;
using winetest::Difference;
using winetest::PixelAt;
using winetest::Utf8;
namespace ids = app::ids;

constexpr uint32_t kMaroon = 0x800000;
constexpr uint32_t kGreen = 0x008000;

// An icon's 32 x 32 pixels as DrawIcon puts them: transparent where its mask is set, else its
// colour as 0xRRGGBB.
struct IconPixels {
  std::array<bool, 32 * 32> transparent{};
  std::array<uint32_t, 32 * 32> colour{};
};

std::array<uint32_t, 32 * 32> BitsOf(HBITMAP bitmap) {
  std::array<uint32_t, 32 * 32> bits{};
  BITMAPINFO info{};
  info.bmiHeader = {sizeof(BITMAPINFOHEADER), 32, -32, 1, 32, BI_RGB};
  HDC screen = GetDC(nullptr);
  GetDIBits(screen, bitmap, 0, 32, bits.data(), &info, DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  return bits;
}

IconPixels PixelsOf(HICON icon) {
  ICONINFO parts{};
  GetIconInfo(icon, &parts);
  const auto mask = BitsOf(parts.hbmMask);
  const auto colour = BitsOf(parts.hbmColor);
  DeleteObject(parts.hbmMask);
  DeleteObject(parts.hbmColor);
  IconPixels pixels;
  for (size_t i = 0; i < pixels.colour.size(); ++i) {
    pixels.transparent[i] = (mask[i] & 0xFFFFFF) != 0;
    pixels.colour[i] = colour[i] & 0xFFFFFF;
  }
  return pixels;
}

win::UniqueIcon BuiltIn(int number) {
  const std::wstring name = L"ICON" + std::to_wstring(number);
  return win::UniqueIcon(static_cast<HICON>(
      LoadImageW(GetModuleHandleW(nullptr), name.c_str(), IMAGE_ICON, 0, 0, LR_DEFAULTSIZE)));
}

// build/, where a person looks at what the tests made; the program's folder when it is elsewhere.
std::filesystem::path BuildFolder() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::filesystem::path folder = std::filesystem::path(exe).parent_path();
  for (auto p = folder; p.has_parent_path() && p != p.parent_path(); p = p.parent_path()) {
    if (p.filename() == L"build") return p;
  }
  return folder;
}

class IconPalette : public winetest::TagsFixture {
 protected:
  HWND Page() const { return form->Controls().TabSheet1; }
  HWND Slot(int k) const { return GetDlgItem(Page(), ids::Image11 + k); }
  std::string PageText() const {
    wchar_t text[16] = {};
    GetWindowTextW(GetDlgItem(Page(), ids::Panel4), text, 16);
    return Utf8(text);
  }
  // A click on the left (back) or right (on) arrow.
  void Step(bool on) { winetest::ClickAt(GetDlgItem(Page(), ids::UpDown2), POINT{on ? 25 : 8, 8}); }
  void GoToPage(int page) {
    for (int i = 0; i < 12 && PageText() != std::to_string(page) + "/12"; ++i) Step(true);
    ASSERT_EQ(PageText(), std::to_string(page) + "/12");
  }
  void ClickSlot(int k) { winetest::ClickAt(Slot(k), POINT{16, 16}); }
  void DoubleClickSlot(int k) {
    winetest::PointerTo(Slot(k), POINT{16, 16});
    winetest::LeftDown();
    winetest::LeftUp();
    winetest::LeftDown();
    winetest::LeftUp();
    winetest::PumpMessages(50);
  }
  core::Dib SlotOnScreen(int k) const { return ScreenOf(Slot(k), RECT{0, 0, 32, 32}); }
  // The slot shows nothing but its square's colour.
  bool SlotIsBlank(int k, uint32_t square) const {
    const core::Dib shot = SlotOnScreen(k);
    for (int y = 0; y < 32; ++y) {
      for (int x = 0; x < 32; ++x) {
        if (PixelAt(shot, x, y) != square) return false;
      }
    }
    return true;
  }
  std::wstring SlotHint(int k) const {
    wchar_t text[512] = {};
    TTTOOLINFOW tool{};
    tool.cbSize = TTTOOLINFOW_V2_SIZE;
    tool.hwnd = form->Handle();
    tool.uId = reinterpret_cast<UINT_PTR>(Slot(k));
    tool.lpszText = text;
    SendMessageW(form->Controls().ToolTips, TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
    return text;
  }
  // The icon stamped at the picture point (left, top): the picture `under` where the icon is
  // transparent, the icon's colours elsewhere, and nothing else of the picture changed.
  void ExpectStamped(const IconPixels& icon, int left, int top, const core::Dib& under) {
    const core::Dib& picture = Picture();
    for (int y = 0; y < picture.Height(); ++y) {
      for (int x = 0; x < picture.Width(); ++x) {
        const bool inside = x >= left && x < left + 32 && y >= top && y < top + 32;
        const size_t i = inside ? static_cast<size_t>((y - top) * 32 + (x - left)) : 0;
        const uint32_t want =
            inside && !icon.transparent[i] ? icon.colour[i] : PixelAt(under, x, y);
        ASSERT_EQ(PixelAt(picture, x, y), want) << x << "," << y;
      }
    }
  }
};

TEST_F(IconPalette, TheFortyEightBuiltInIconsAre32By32In16ColoursWithMasksAndPages6And12Blank) {
  for (int number = 1; number <= 48; ++number) {
    SCOPED_TRACE("ICON" + std::to_string(number));
    const std::wstring name = L"ICON" + std::to_wstring(number);
    HRSRC group = FindResourceW(nullptr, name.c_str(), MAKEINTRESOURCEW(14) /*RT_GROUP_ICON*/);
    ASSERT_NE(group, nullptr);
    const auto* directory = static_cast<const uint8_t*>(LockResource(LoadResource(nullptr, group)));
    EXPECT_EQ(directory[6], 32) << "width";
    EXPECT_EQ(directory[7], 32) << "height";
    EXPECT_EQ(directory[12], 4) << "bits per pixel";
    win::UniqueIcon icon = BuiltIn(number);
    ASSERT_TRUE(icon);
    ICONINFO parts{};
    ASSERT_TRUE(GetIconInfo(icon.get(), &parts));
    BITMAP colour{};
    GetObjectW(parts.hbmColor, sizeof colour, &colour);
    EXPECT_NE(parts.hbmMask, nullptr);
    EXPECT_EQ(colour.bmWidth, 32);
    EXPECT_EQ(colour.bmHeight, 32);
    DeleteObject(parts.hbmMask);
    DeleteObject(parts.hbmColor);
    const IconPixels pixels = PixelsOf(icon.get());
    const int opaque =
        static_cast<int>(std::count(pixels.transparent.begin(), pixels.transparent.end(), false));
    const bool userPage = (number >= 21 && number <= 24) || number >= 45;
    if (userPage) {
      EXPECT_EQ(opaque, 0);
    } else {
      EXPECT_GT(opaque, 60) << "a figure";
      EXPECT_GT(32 * 32 - opaque, 100) << "with a transparent background";
    }
  }
}

TEST_F(IconPalette, TheArrowsWrapAroundTheTwelvePagesEachOfWhichIsWrittenForAPersonToSee) {
  Start();
  EXPECT_EQ(PageText(), "1/12");
  Step(false);
  EXPECT_EQ(PageText(), "12/12");
  Step(true);
  EXPECT_EQ(PageText(), "1/12");
  const std::filesystem::path folder = BuildFolder() / L"palette";
  std::filesystem::create_directories(folder);
  for (int page = 1; page <= 12; ++page) {
    SCOPED_TRACE(page);
    if (page > 1) Step(true);
    ASSERT_EQ(PageText(), std::to_string(page) + "/12");
    const core::Dib shot = ScreenOf(Page(), RECT{0, 0, 76, 96});
    char name[32];
    std::snprintf(name, sizeof name, "page%02d.bmp", page);
    winetest::WriteBmpFile((folder / name).wstring(), shot);
    // Slot 1 is selected; on the user's pages every slot shows only its square.
    const bool blank = page == 6 || page == 12;
    EXPECT_EQ(SlotIsBlank(0, kMaroon), blank);
    for (int k = 1; k < 4; ++k) EXPECT_EQ(SlotIsBlank(k, kGreen), blank) << "slot " << k + 1;
  }
  std::printf("the palette's pages are in %s\n", folder.string().c_str());
}

TEST_F(IconPalette, ADoubleClickOnAUserPageRegistersAFileWhichTheSettingsKeep) {
  Start();
  const std::wstring blue = PathIn(L"blue.ico");
  const std::wstring red = PathIn(L"red.ico");
  winetest::WriteIconFile(blue, 32, RGB(0, 0, 255), 4);
  winetest::WriteIconFile(red, 32, RGB(255, 0, 0), 4);
  // Page 1: the double-click only selects.
  DoubleClickSlot(1);
  EXPECT_TRUE(prompts.openDialogs.empty());
  EXPECT_EQ(PixelAt(SlotOnScreen(1), 0, 0), kMaroon) << "slot 2's square";
  EXPECT_EQ(PixelAt(SlotOnScreen(0), 0, 0), kGreen);
  struct Case {
    int page;
    const std::wstring& file;
    COLORREF colour;
  };
  for (const Case c : {Case{12, blue, 0x0000FF}, Case{6, red, 0xFF0000}}) {
    SCOPED_TRACE(c.page);
    GoToPage(c.page);
    prompts.openAnswers.push_back(winetest::ScriptedPrompts::Choose(c.file, 1));
    DoubleClickSlot(2);
    ASSERT_FALSE(prompts.openDialogs.empty());
    EXPECT_EQ(Utf8(prompts.openDialogs.back().filter), Utf8(L"ｱｲｺﾝﾌｧｲﾙ(*.ico)|*.ico"));
    EXPECT_EQ(prompts.openDialogs.back().initialFileName, L"");
    EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"アイコンファイルセットが完了しました。"));
    EXPECT_EQ(form->State().CurrentFileName, c.file);
    EXPECT_EQ(PixelAt(SlotOnScreen(2), 16, 16), c.colour) << "the file's icon in slot 3";
    EXPECT_EQ(PixelAt(SlotOnScreen(2), 1, 1), kMaroon) << "selected by the first click";
  }
  EXPECT_EQ(prompts.openDialogs.size(), 2u);
  Close();
  const std::wstring ini = ReadIni();
  EXPECT_NE(ini.find(L"File2=" + red), std::wstring::npos) << Utf8(ini);
  EXPECT_NE(ini.find(L"File6=" + blue), std::wstring::npos) << Utf8(ini);
}

TEST_F(IconPalette, AClickedSlotShowsTheTagWhichKeepsItsIconAndStampsItThroughTheMask) {
  StartWithPicture(winetest::PatternDib(300, 200));
  EXPECT_FALSE(TagSet().IsShown(TagKind::Icon)) << "hidden again after the start selected slot 1";
  EXPECT_EQ(form->State().ActiveTag, host::ActiveTag::None);
  PutTextOnClipboard();
  ClickSlot(1);
  EXPECT_TRUE(TagSet().IsShown(TagKind::Icon));
  EXPECT_EQ(form->State().ActiveTag, host::ActiveTag::Icon);
  DragTrackBy(TagKind::Icon, 40, 30);
  Step(true);  // page 2: the tag keeps the upward arrow
  const RECT tag = TagSet().TagBounds(TagKind::Icon);
  const core::Dib photo = Picture().Clone();
  Command(ids::Button15);
  EXPECT_FALSE(TagSet().IsShown(TagKind::Icon));
  ExpectStamped(PixelsOf(BuiltIn(2).get()), tag.left, tag.top, photo);
  EXPECT_TRUE(ClipboardHoldsTheirText()) << "stamping leaves the clipboard alone";

  // A registration after the double-click's first click has shown the tag with the blank icon:
  // the tag keeps the blank one. A click then shows the file's 48 x 48 icon, stamped at 32 x 32.
  GoToPage(6);
  const std::wstring large = PathIn(L"large.ico");
  winetest::WriteIconFile(large, 48, RGB(255, 0, 0), 0);
  prompts.openAnswers.push_back(winetest::ScriptedPrompts::Choose(large, 1));
  DoubleClickSlot(0);
  ASSERT_TRUE(TagSet().IsShown(TagKind::Icon));
  const core::Dib before = Picture().Clone();
  Command(ids::Button15);
  EXPECT_EQ(Difference(Picture(), 0, 0, before), "same");
  ClickSlot(0);
  Command(ids::Button15);
  const core::Dib stamp =
      winetest::Crop(Picture(), RECT{tag.left - 1, tag.top - 1, tag.left + 49, tag.top + 49});
  for (int y = 0; y < 50; ++y) {
    for (int x = 0; x < 50; ++x) {
      const bool inside = x >= 1 && x < 33 && y >= 1 && y < 33;
      const bool red = PixelAt(stamp, x, y) == 0xFF0000u;
      ASSERT_EQ(red, inside) << x - 1 << "," << y - 1;
    }
  }
}

TEST_F(IconPalette, ARegisteredFileThatCannotBeReadBlanksItsSlotOnceReportedAndJunkIsRefused) {
  const std::wstring missing = PathIn(L"gone.ico");
  const std::wstring good = PathIn(L"good.ico");
  const std::wstring junk = PathIn(L"junk.ico");
  winetest::WriteIconFile(good, 32, RGB(0, 0, 255), 0);
  winetest::WriteFileBytes(junk, std::vector<uint8_t>(300, 0x41));
  // Page 6 holds a missing file and a junk one before a good one.
  WriteIni(L"[ICON]\r\nFile0=" + missing + L"\r\nFile1=" + junk + L"\r\nFile2=" + good + L"\r\n");
  Start();
  EXPECT_TRUE(prompts.errors.empty()) << "page 1 needs no file";
  GoToPage(6);
  ASSERT_EQ(prompts.errors.size(), 2u) << "one report for each file";
  for (int k : {0, 1}) {
    SCOPED_TRACE(k);
    const std::wstring& file = k == 0 ? missing : junk;
    EXPECT_NE(prompts.errors[k].find(file), std::wstring::npos) << Utf8(prompts.errors[k]);
    EXPECT_TRUE(SlotIsBlank(k, k == 0 ? kMaroon : kGreen));
    EXPECT_NE(SlotHint(k).find(file), std::wstring::npos) << Utf8(SlotHint(k));
  }
  EXPECT_EQ(PixelAt(SlotOnScreen(2), 16, 16), 0x0000FFu) << "the slot after them has its icon";
  EXPECT_EQ(Utf8(SlotHint(2)), Utf8(L"6/12ﾍﾟｰｼﾞはﾀﾞﾌﾞﾙｸﾘｯｸで登録"));
  Step(true);
  Step(false);
  EXPECT_EQ(prompts.errors.size(), 2u) << "reported once in a run";

  const std::string status = Utf8(form->StatusText());
  prompts.openAnswers.push_back(winetest::ScriptedPrompts::Choose(junk, 1));
  DoubleClickSlot(2);
  ASSERT_EQ(prompts.errors.size(), 3u) << "the junk is refused";
  EXPECT_EQ(Utf8(form->StatusText()), status);
  EXPECT_EQ(PixelAt(SlotOnScreen(2), 16, 16), 0x0000FFu) << "the slot keeps its file";
  Close();
  const std::wstring ini = ReadIni();
  EXPECT_NE(ini.find(L"File0=" + missing), std::wstring::npos) << Utf8(ini);
  EXPECT_NE(ini.find(L"File1=" + junk), std::wstring::npos) << Utf8(ini);
  EXPECT_NE(ini.find(L"File2=" + good), std::wstring::npos) << Utf8(ini);
}

}  // namespace
