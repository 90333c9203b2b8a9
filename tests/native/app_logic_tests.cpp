// Window fitting and the settings record: the arithmetic and parsing rules of the main window.
#include <gtest/gtest.h>

#include <cstdint>
#include <map>
#include <span>
#include <string>
#include <tuple>
#include <utility>
#include <vector>

#include "app/Rw_ini.h"
#include "app/WindowFit.h"
#include "app/WindowPlacement.h"
#include "core/DpiScale.h"
#include "core/PathRules.h"

namespace {

using app::FitInput;
using app::FitWindowSize;
using app::WindowSize;

FitInput Fit(int w, int h, int frame = app::kFrameExtraHeightWithMenu) {
  return FitInput{w, h, frame, 80, 80, 1280, 1024};
}

TEST(WindowFit, SmallPicturesGetTheMinimumPictureArea) {
  EXPECT_EQ(FitWindowSize(Fit(400, 300)), (WindowSize{500, 399}));
  EXPECT_EQ(FitWindowSize(Fit(100, 100)), (WindowSize{500, 399}));
  EXPECT_EQ(FitWindowSize(Fit(420, 300)), (WindowSize{520, 399}));
  EXPECT_EQ(FitWindowSize(Fit(420, 300, app::kFrameExtraHeightWithoutMenu)),
            (WindowSize{520, 381}));
  EXPECT_EQ(FitWindowSize(Fit(0, 0)), (WindowSize{500, 399}));
}

TEST(WindowFit, LargePicturesAreClippedToTheScreenKeepingTheBottomMargin) {
  // Right edge of the screen exactly; 24 pixels free above the bottom edge.
  EXPECT_EQ(FitWindowSize(Fit(3000, 2000)), (WindowSize{1280 - 80, 1024 - 80 - 24}));
  // A window that just fits is not clipped, one pixel more is.
  EXPECT_EQ(FitWindowSize(FitInput{1100, 500, 50, 80, 80, 1280, 1024}).width, 1200);
  EXPECT_EQ(FitWindowSize(FitInput{1101, 500, 50, 80, 80, 1280, 1024}).width, 1200);
  // The test is against the full screen height, but a clipped window keeps the margin free.
  EXPECT_EQ(FitWindowSize(FitInput{500, 845, 50, 80, 80, 1280, 1024}).height, 845 + 99);
  EXPECT_EQ(FitWindowSize(FitInput{500, 846, 50, 80, 80, 1280, 1024}).height, 1024 - 80 - 24);
}

TEST(WindowFit, WindowBeyondTheScreenKeepsAUsableSize) {
  EXPECT_EQ(FitWindowSize(FitInput{420, 300, 50, 1500, 1100, 1280, 1024}), (WindowSize{520, 399}));
  // Negative positions count as much room as they give.
  EXPECT_EQ(FitWindowSize(FitInput{2000, 300, 50, -100, 0, 1280, 1024}).width, 1380);
}

TEST(WindowFit, OnAFinerScreenTheLayoutScalesAndThePictureDoesNot) {
  // 144 DPI: the least picture area is 600 x 450, the panel 132 wide, the frame 18; the tool bar,
  // status line and frame with menu 38, 36 and 75 high; the bottom margin 36.
  const auto at144 = [](int w, int h, int left = 80, int top = 80) {
    return FitInput{w, h, app::kFrameExtraHeightWithMenu, left, top, 2560, 1440, 144};
  };
  EXPECT_EQ(FitWindowSize(at144(400, 300)), (WindowSize{750, 599}));
  EXPECT_EQ(FitWindowSize(at144(1920, 1080)), (WindowSize{1920 + 150, 1080 + 149}));
  EXPECT_EQ(FitWindowSize(at144(3000, 2000)), (WindowSize{2560 - 80, 1440 - 80 - 36}));
  // Frame heights scale as the rest: 32 without the menu bar is 48.
  EXPECT_EQ(
      FitWindowSize(FitInput{400, 300, app::kFrameExtraHeightWithoutMenu, 0, 0, 2560, 1440, 144})
          .height,
      450 + 38 + 36 + 48);
}

TEST(DpiScale, LengthsAreRoundedOnceToTheNearestPixelHalvesAwayFromZero) {
  struct Case {
    int pixels, dpi, expected;
  };
  const Case cases[] = {{5, 144, 8},
                        {25, 144, 38},
                        {24, 144, 36},
                        {1, 144, 2},
                        {-5, 144, -8},
                        {12, 120, 15},
                        {73, 120, 91},
                        {5, 120, 6},
                        {88, 192, 176},
                        {400, 96, 400},
                        {0, 144, 0},
                        {2, 168, 4},
                        {INT32_MAX / 2, 96, INT32_MAX / 2}};
  for (const Case& c : cases) {
    EXPECT_EQ(core::ScaleToDpi(c.pixels, c.dpi), c.expected) << c.pixels << " at " << c.dpi;
  }
}

TEST(WindowPlacement, SavedPositionIsKeptWhileItsCaptionIsReachable) {
  using app::ScreenPoint;
  using app::ScreenRect;
  const ScreenRect screen{0, 0, 1280, 1024};
  const ScreenRect leftMonitor{-1920, 0, 0, 1080};
  const ScreenRect both[] = {leftMonitor, screen};
  struct Case {
    ScreenPoint saved;
    bool twoMonitors;
    ScreenPoint expected;
  };
  const Case cases[] = {
      {{80, 80}, false, {80, 80}},
      {{1180, 80}, false, {1180, 80}},  // exactly 100 x 30 of the caption on screen
      {{1181, 80}, false, {80, 80}},    // 99 pixels wide is too little
      {{1279, 80}, false, {80, 80}},    // a one-pixel sliver
      {{200, 994}, false, {200, 994}},  // 30 rows left above the bottom edge
      {{200, 995}, false, {80, 80}},
      {{-5000, -3000}, false, {80, 80}},  // a monitor that is gone
      {{3000, 2000}, false, {80, 80}},
      {{-1800, 100}, true, {-1800, 100}},  // negative, but on the left monitor
      {{-50, 100}, true, {-50, 100}},      // across both monitors
      {{-1800, 100}, false, {80, 80}},     // the left monitor unplugged
      {{INT32_MIN, INT32_MAX}, false, {80, 80}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::to_string(c.saved.x) + "," + std::to_string(c.saved.y));
    const std::span<const ScreenRect> areas =
        c.twoMonitors ? std::span<const ScreenRect>(both) : std::span<const ScreenRect>(&screen, 1);
    const ScreenPoint at = app::RestoredPosition(c.saved, areas, screen);
    EXPECT_EQ(at.x, c.expected.x);
    EXPECT_EQ(at.y, c.expected.y);
  }
  // The fallback lies inside the nearest monitor's work area, below a taskbar at its top.
  EXPECT_EQ(app::RestoredPosition({5000, 5000}, both, ScreenRect{0, 40, 1280, 1024}),
            (ScreenPoint{80, 120}));
  // At 144 DPI the caption's grip is 150 x 45 and the fallback 120 pixels in.
  const ScreenRect one[] = {screen};
  EXPECT_EQ(app::RestoredPosition({1130, 80}, one, screen, 144), (ScreenPoint{1130, 80}));
  EXPECT_EQ(app::RestoredPosition({1131, 80}, one, screen, 144), (ScreenPoint{120, 120}));
}

TEST(WindowPlacement, NormalPositionIsShiftedFromWorkspaceToScreen) {
  using app::ScreenPoint;
  using app::ScreenRect;
  const ScreenRect monitor{0, 0, 1280, 1024};
  // Taskbar at the top, at the left, at the bottom; a second monitor to the right.
  EXPECT_EQ(app::WorkspaceToScreen({150, 120}, monitor, {0, 40, 1280, 1024}),
            (ScreenPoint{150, 160}));
  EXPECT_EQ(app::WorkspaceToScreen({150, 120}, monitor, {60, 0, 1280, 1024}),
            (ScreenPoint{210, 120}));
  EXPECT_EQ(app::WorkspaceToScreen({150, 120}, monitor, {0, 0, 1280, 984}),
            (ScreenPoint{150, 120}));
  EXPECT_EQ(app::WorkspaceToScreen({10, 20}, {1280, 0, 2560, 1024}, {1280, 30, 2560, 1024}),
            (ScreenPoint{10, 50}));
}

TEST(SettingsInt, AcceptsDecimalAndBothHexadecimalForms) {
  using app::ParseSettingsInt;
  EXPECT_EQ(ParseSettingsInt(L"16", 7), 16);
  EXPECT_EQ(ParseSettingsInt(L"-100", 7), -100);
  EXPECT_EQ(ParseSettingsInt(L"0x10", 7), 16);
  EXPECT_EQ(ParseSettingsInt(L"0X1f", 7), 31);
  EXPECT_EQ(ParseSettingsInt(L"$10", 7), 16);
  EXPECT_EQ(ParseSettingsInt(L"$FFFFFFFF", 7), -1);
  EXPECT_EQ(ParseSettingsInt(L"-$10", 7), -16);
  EXPECT_EQ(ParseSettingsInt(L" 42 ", 7), 42);
  EXPECT_EQ(ParseSettingsInt(L"2147483647", 7), 2147483647);
  EXPECT_EQ(ParseSettingsInt(L"-2147483648", 7), INT32_MIN);
}

TEST(SettingsInt, AnythingElseGivesTheDefault) {
  using app::ParseSettingsInt;
  for (const wchar_t* text : {L"", L"abc", L"12a", L"0x", L"$", L"-", L"1.5", L"2147483648",
                              L"-2147483649", L"0x100000000", L"1 2", L"0xG"}) {
    EXPECT_EQ(ParseSettingsInt(text, 100), 100) << "text: " << testing::PrintToString(text);
  }
}

// An in-memory INI store that records the order of writes.
class MemoryStore : public app::IniStore {
 public:
  std::map<std::pair<std::wstring, std::wstring>, std::wstring> values;
  std::vector<std::wstring> writes;

  std::optional<std::wstring> Read(std::wstring_view section, std::wstring_view key) override {
    auto it = values.find({std::wstring(section), std::wstring(key)});
    if (it == values.end()) return std::nullopt;
    return it->second;
  }
  void Write(std::wstring_view section, std::wstring_view key, std::wstring_view value) override {
    values[{std::wstring(section), std::wstring(key)}] = value;
    writes.push_back(std::wstring(section) + L"/" + std::wstring(key));
  }
};

TEST(Settings, MissingFileGivesTheDefaults) {
  MemoryStore store;
  const app::Settings s = app::LoadSettings(store);
  EXPECT_EQ(s.posTop, 80);
  EXPECT_EQ(s.posLeft, 80);
  EXPECT_EQ(s.windowMode, 0);
  EXPECT_EQ(s.resizeDot, 640);
  EXPECT_EQ(s.comp, 60);
  EXPECT_EQ(s.editPath, L"pbrush.exe");
  EXPECT_EQ(s.printNum, 0);
  EXPECT_EQ(s.printMulti, 100);
  EXPECT_TRUE(s.susiePath.empty());
  for (const auto& f : s.iconFiles) EXPECT_TRUE(f.empty());
}

TEST(Settings, ValuesAreReadAsTheyComeAndBadOnesFallBack) {
  MemoryStore store;
  store.values[{L"Mode", L"WindowMode"}] = L"2";
  store.values[{L"Print", L"Top"}] = L"0x10";
  store.values[{L"Print", L"Multi"}] = L"abc";
  store.values[{L"Print", L"Left"}] = L"";
  store.values[{L"Resize", L"Dot"}] = L"99999";  // outside the dialog's range: used as it is
  store.values[{L"Edit", L"EditPath"}] = L"";    // an empty string is a value, not a missing key
  store.values[{L"ICON", L"File7"}] = L"C:\\アイコン\\a.ico";
  const app::Settings s = app::LoadSettings(store);
  EXPECT_EQ(s.windowMode, 2);
  EXPECT_EQ(s.printTop, 16);
  EXPECT_EQ(s.printMulti, 100);
  EXPECT_EQ(s.printLeft, 0);
  EXPECT_EQ(s.resizeDot, 99999);
  EXPECT_EQ(s.editPath, L"");
  EXPECT_EQ(s.iconFiles[7], L"C:\\アイコン\\a.ico");
}

TEST(Settings, SaveWritesEveryKeyInLayoutOrderAndRoundTrips) {
  app::Settings s;
  s.windowMode = 2;
  s.printTop = 16;
  s.susiePath = L"D:\\プラグイン\\";
  s.iconFiles[3] = L"x.ico";
  MemoryStore store;
  app::SaveSettings(store, s);
  const std::vector<std::wstring> expected = {
      L"Pos/Top",     L"Pos/Left",        L"Mode/WindowMode", L"Resize/Mode",   L"Resize/Dot",
      L"Mode/Comp",   L"Susie/Path",      L"Edit/EditPath",   L"Print/Num",     L"Print/Manual",
      L"Print/Multi", L"Print/Left",      L"Print/Top",       L"ICON/File0",    L"ICON/File1",
      L"ICON/File2",  L"ICON/File3",      L"ICON/File4",      L"ICON/File5",    L"ICON/File6",
      L"ICON/File7",  L"Undo/Limit",      L"Mosaic/Mode",     L"Mosaic/Block",  L"Mosaic/Color",
      L"Shape/Width", L"Shape/Direction", L"Capture/Delay",   L"Capture/Hotkey"};
  EXPECT_EQ(store.writes, expected);
  EXPECT_EQ((store.values[{L"Print", L"Top"}]), L"16");
  EXPECT_EQ((store.values[{L"Mode", L"WindowMode"}]), L"2");
  EXPECT_EQ((store.values[{L"ICON", L"File0"}]), L"");

  const app::Settings back = app::LoadSettings(store);
  EXPECT_EQ(back.windowMode, 2);
  EXPECT_EQ(back.printTop, 16);
  EXPECT_EQ(back.susiePath, s.susiePath);
  EXPECT_EQ(back.iconFiles, s.iconFiles);
}

// The keys after the layout's own are kept within the bounds the program relies on; a value
// beyond them, like one that is no number, leaves the default.
TEST(Settings, TheKeysBeyondTheLayoutTakeValuesWithinTheirBoundsOnly) {
  struct Case {
    const wchar_t* section;
    const wchar_t* key;
    const wchar_t* text;  // null: the key is missing
    int32_t expected;
    int32_t app::Settings::*field;
  };
  const Case cases[] = {
      {L"Undo", L"Limit", nullptr, 512, &app::Settings::undoLimit},
      {L"Undo", L"Limit", L"256", 256, &app::Settings::undoLimit},
      {L"Undo", L"Limit", L"0", 0, &app::Settings::undoLimit},
      {L"Undo", L"Limit", L"-1", 512, &app::Settings::undoLimit},
      {L"Undo", L"Limit", L"x", 512, &app::Settings::undoLimit},
      {L"Undo", L"Limit", L"1048576", 1048576, &app::Settings::undoLimit},
      {L"Undo", L"Limit", L"1048577", 512, &app::Settings::undoLimit},
      {L"Undo", L"Limit", L"$7FFFFFFF", 512, &app::Settings::undoLimit},
      {L"Mosaic", L"Mode", nullptr, 0, &app::Settings::mosaicMode},
      {L"Mosaic", L"Mode", L"1", 1, &app::Settings::mosaicMode},
      {L"Mosaic", L"Mode", L"2", 0, &app::Settings::mosaicMode},
      {L"Mosaic", L"Block", nullptr, 16, &app::Settings::mosaicBlock},
      {L"Mosaic", L"Block", L"8", 8, &app::Settings::mosaicBlock},
      {L"Mosaic", L"Block", L"64", 64, &app::Settings::mosaicBlock},
      {L"Mosaic", L"Block", L"0", 16, &app::Settings::mosaicBlock},
      {L"Mosaic", L"Block", L"65", 16, &app::Settings::mosaicBlock},
      {L"Mosaic", L"Color", nullptr, 0, &app::Settings::mosaicColor},
      {L"Mosaic", L"Color", L"$FFFFFF", 0xFFFFFF, &app::Settings::mosaicColor},
      {L"Mosaic", L"Color", L"$1000000", 0, &app::Settings::mosaicColor},
      {L"Shape", L"Width", nullptr, 3, &app::Settings::shapeWidth},
      {L"Shape", L"Width", L"16", 16, &app::Settings::shapeWidth},
      {L"Shape", L"Width", L"0", 3, &app::Settings::shapeWidth},
      {L"Shape", L"Direction", nullptr, 0, &app::Settings::shapeDirection},
      {L"Shape", L"Direction", L"3", 3, &app::Settings::shapeDirection},
      {L"Shape", L"Direction", L"4", 0, &app::Settings::shapeDirection},
      {L"Shape", L"Direction", L"-1", 0, &app::Settings::shapeDirection},
  };
  for (const Case& c : cases) {
    MemoryStore store;
    if (c.text) store.values[{c.section, c.key}] = c.text;
    EXPECT_EQ(app::LoadSettings(store).*c.field, c.expected) << testing::PrintToString(
        std::wstring(c.section) + L"/" + c.key + L"=" + (c.text ? c.text : L"(missing)"));
  }
}

// A delay the dialog does not offer, or a value no hotkey control gives, would leave the window
// hidden for long or take a bare key from every program: it reads as none.
TEST(Settings, CaptureDelayAndHotkeyTakeOnlyWhatTheDialogOffersAndRoundTrip) {
  const std::tuple<const wchar_t*, const wchar_t*, int32_t, int32_t> cases[] = {
      {nullptr, nullptr, 0, 0},    {L"3", L"1857", 3, 1857}, {L"10", L"0x0678", 10, 0x678},
      {L"4", L"65536", 0, 0},      {L"-5", L"768", 0, 0},    {L"999999", L"-1", 0, 0},
      {L"abc", L"$0341", 0, 0x341}};
  for (const auto& [delay, hotkey, wantDelay, wantHotkey] : cases) {
    MemoryStore store;
    if (delay) store.values[{L"Capture", L"Delay"}] = delay;
    if (hotkey) store.values[{L"Capture", L"Hotkey"}] = hotkey;
    const app::Settings s = app::LoadSettings(store);
    EXPECT_EQ(s.captureDelay, wantDelay) << testing::PrintToString(delay);
    EXPECT_EQ(s.captureHotkey, wantHotkey) << testing::PrintToString(hotkey);
    MemoryStore written;
    app::SaveSettings(written, s);
    EXPECT_EQ(app::LoadSettings(written).captureDelay, wantDelay);
    EXPECT_EQ(app::LoadSettings(written).captureHotkey, wantHotkey);
  }
}

TEST(PathRules, ExtensionIsTextAfterTheLastDotBehindTheLastFolder) {
  EXPECT_FALSE(core::HasExtension(L"C:\\a.b\\shot"));
  EXPECT_TRUE(core::HasExtension(L"shot."));
  EXPECT_EQ(core::ExtensionOf(L"shot."), L".");
  EXPECT_EQ(core::ExtensionOf(L"C:\\x\\PHOTO.JPG"), L".JPG");
  EXPECT_EQ(core::ExtensionOf(L"C:shot"), L"");
  EXPECT_EQ(core::ExtensionOf(L"C:\\x\\a.tar.gz"), L".gz");
  EXPECT_EQ(core::ReplaceExtension(L"C:\\x\\Capslate.exe", L".INI"), L"C:\\x\\Capslate.INI");
  EXPECT_EQ(core::ReplaceExtension(L"C:\\a.b\\noext", L".HLP"), L"C:\\a.b\\noext.HLP");
  EXPECT_EQ(core::FolderOf(L"C:\\x\\y\\Capslate.exe"), L"C:\\x\\y\\");
  EXPECT_EQ(core::FolderOf(L"Capslate.exe"), L"");
}

TEST(PathRules, PatternListTestIsACaseBlindSubstringTest) {
  const wchar_t* list = L"*.bmp;*.dib;*.jpg;*.jpeg";
  EXPECT_TRUE(core::PatternListMentions(list, L".bmp"));
  EXPECT_TRUE(core::PatternListMentions(list, L".JPG"));
  EXPECT_TRUE(core::PatternListMentions(list, L".jp"));  // inside "*.jpg"
  EXPECT_TRUE(core::PatternListMentions(list, L""));     // "*" occurs
  EXPECT_FALSE(core::PatternListMentions(list, L".png"));
  EXPECT_FALSE(core::PatternListMentions(list, L".ico"));
}

}  // namespace

namespace {

TEST(PathRules, ChosenFoldersGetOneTrailingBackslashButADriveRootKeepsItsOwn) {
  EXPECT_EQ(core::WithFolderBackslash(L"C:\\"), L"C:\\");
  EXPECT_EQ(core::WithFolderBackslash(L"C:\\Susie"), L"C:\\Susie\\");
  EXPECT_EQ(core::WithFolderBackslash(L"C:\\プラグイン\\表"), L"C:\\プラグイン\\表\\");
  EXPECT_EQ(core::WithFolderBackslash(L"\\\\server\\share"), L"\\\\server\\share\\");
  // A typed folder gets its backslash only where it lacks one.
  EXPECT_EQ(core::WithTrailingBackslash(L"C:\\Susie"), L"C:\\Susie\\");
  EXPECT_EQ(core::WithTrailingBackslash(L"C:\\Susie\\"), L"C:\\Susie\\");
  EXPECT_EQ(core::WithTrailingBackslash(L""), L"");
}

TEST(PathRules, QuotedArgumentsSurviveTheCommandLineRules) {
  const std::pair<const wchar_t*, const wchar_t*> cases[] = {
      {L"C:\\plain\\tmp$$$.bmp", L"C:\\plain\\tmp$$$.bmp"},
      {L"C:\\dir with blanks\\tmp$$$.bmp", L"\"C:\\dir with blanks\\tmp$$$.bmp\""},
      {L"", L"\"\""},
      {L"a b\\", L"\"a b\\\\\""},  // a final backslash is doubled before the quote
      {L"say \"hi\"", L"\"say \\\"hi\\\"\""},
  };
  for (const auto& [argument, quoted] : cases) EXPECT_EQ(core::QuoteArgument(argument), quoted);
}

}  // namespace
