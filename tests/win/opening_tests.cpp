// Opening picture files as the user does it, with real plug-in DLLs: the Open dialog's filter, the
// plug-in formats it opens, what a plug-in is handed, which reader tries first, drops, typed names
// nobody reads, hostile plug-ins, the progress of a long decode, and the plug-in steps at start.
#include <windows.h>
#include <commctrl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "ClipboardChildren.h"
#include "FormFixture.h"
#include "PluginTestSupport.h"
#include "app/win/CommandIds.h"
#include "core/BmpCodec.h"
#include "core/Convert24.h"
#include "core/JpegCodec.h"
#include "core/PngCodec.h"

namespace {

using winetest::CopyPlugin;
using winetest::ScriptedPrompts;
using winetest::Utf8;
namespace ids = app::ids;

constexpr const wchar_t* kLoaded = L"ファイル読込が完了しました。";
constexpr const wchar_t* kBuiltIn = L"*.bmp;*.dib;*.jpg;*.jpeg";

std::vector<uint8_t> Bytes(const std::string& text) { return {text.begin(), text.end()}; }

// A binary PPM of the pattern picture, with `comment` (a line such as "# slow", which makes the
// test plug-in wait 120 ms before each progress step) first in its header, and, when `size` is
// given, a second comment that makes the file that long.
std::vector<uint8_t> PatternPpm(int width, int height, const std::string& comment = "",
                                size_t size = 0) {
  const core::Dib dib = winetest::PatternDib(width, height);
  const std::string first = comment.empty() ? "" : comment + "\n";
  const std::string dimensions = std::to_string(width) + " " + std::to_string(height) + "\n255\n";
  const size_t pixels = size_t(width) * size_t(height) * 3;
  const size_t unpadded = 3 + first.size() + dimensions.size() + pixels;
  const std::string padding =
      size >= unpadded + 2 ? "#" + std::string(size - unpadded - 2, 'x') + "\n" : "";
  std::vector<uint8_t> file = Bytes("P6\n" + first + padding + dimensions);
  for (int y = 0; y < height; ++y) {
    for (int x = 0; x < width; ++x) {
      const uint32_t rgb = winetest::PixelAt(dib, x, y);
      file.insert(file.end(), {static_cast<uint8_t>(rgb >> 16), static_cast<uint8_t>(rgb >> 8),
                               static_cast<uint8_t>(rgb)});
    }
  }
  return file;
}

// A drop of `files` as the shell delivers it, made in this process: Wine does not carry a drop
// handle from one process to another.
void Drop(HWND window, const std::vector<std::wstring>& files) {
  size_t chars = 1;
  for (const std::wstring& f : files) chars += f.size() + 1;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE | GMEM_ZEROINIT, sizeof(DROPFILES) + chars * 2);
  auto* drop = static_cast<DROPFILES*>(GlobalLock(memory));
  drop->pFiles = sizeof(DROPFILES);
  drop->pt = POINT{5, 6};
  drop->fWide = TRUE;
  auto* names = reinterpret_cast<wchar_t*>(drop + 1);
  for (const std::wstring& f : files) {
    std::memcpy(names, f.c_str(), (f.size() + 1) * sizeof(wchar_t));
    names += f.size() + 1;
  }
  GlobalUnlock(memory);
  PostMessageW(window, WM_DROPFILES, reinterpret_cast<WPARAM>(memory), 0);
}

class Opening : public winetest::FormFixture {
 protected:
  // The window with a picture of its own, whose pixels a failed load must leave alone.
  void StartWithPicture(std::vector<std::wstring> plugins = {}) {
    for (const std::wstring& kind : plugins) CopyPlugin(kind, dir.Path());
    winetest::WriteBmpFile(PathIn(L"before.bmp"), winetest::PatternDib(40, 30));
    Start({PathIn(L"before.bmp")});
    ASSERT_EQ(form->PictureState(), host::PictureState::Present);
    form->SetStatusText(L"前の状態");
  }
  void ExpectPictureUnchanged() {
    EXPECT_EQ(form->PictureState(), host::PictureState::Present);
    ASSERT_EQ(form->Picture().Width(), 40);
    ASSERT_EQ(form->Picture().Height(), 30);
    EXPECT_EQ(winetest::PixelAt(form->Picture().Pixels(), 7, 9),
              winetest::PixelAt(winetest::PatternDib(40, 30), 7, 9));
    EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"前の状態"));
  }
  void Open(const std::wstring& path) {
    prompts.openAnswers.push_back(ScriptedPrompts::Choose(path, 1));
    Command(ids::mnuRead);
  }
  // The one error box since the last call.
  std::string TakeError() {
    EXPECT_EQ(prompts.errors.size(), 1u);
    const std::string text = prompts.errors.empty() ? "" : Utf8(prompts.errors.back());
    prompts.errors.clear();
    return text;
  }
  // Loads a picture of 1100 rows through the plug-in, slowly, with a key press, a drop and a close
  // request waiting in the queue and the window in need of a repaint; returns what happened during
  // the load.
  std::vector<std::string> LoadTallPictureWithRequestsWaiting(const std::wstring& file);
  // Every pixel of the current picture against a picture decoded otherwise.
  void ExpectPixelsOf(const core::Dib& expected) {
    const core::Dib rgb = core::ConvertTo24(expected);
    const core::Dib& shown = form->Picture().Pixels();
    ASSERT_EQ(shown.Width(), rgb.Width());
    ASSERT_EQ(shown.Height(), rgb.Height());
    ASSERT_EQ(shown.BitCount(), 24);
    EXPECT_EQ(0, std::memcmp(shown.Bits(), rgb.Bits(), rgb.ImageSize()));
  }
};

TEST_F(Opening, TheFilterOffersTheBuiltInPatternsThenEachPluginsFirstEntry) {
  Start();
  Command(ids::mnuRead);
  ASSERT_EQ(prompts.openDialogs.size(), 1u);
  EXPECT_EQ(Utf8(prompts.openDialogs[0].filter),
            Utf8(std::wstring(L"画像ﾌｧｲﾙ") + kBuiltIn + L"|" + kBuiltIn));
  EXPECT_EQ(prompts.openDialogs[0].initialFileName, L"");
  Close();

  // The plug-ins in the order they were loaded: the configured folder's after the program's.
  CopyPlugin(L"netpbm", dir.Path());
  std::filesystem::create_directories(dir / L"more");
  CopyPlugin(L"pic_a", dir / L"more");
  WriteIni(L"[Susie]\r\nPath=" + (dir / L"more").wstring() + L"\\\r\n");
  Start();
  Command(ids::SpeedButton4);
  const std::wstring patterns = std::wstring(kBuiltIn) + L";*.ppm;*.pgm;*.pi;*.pic";
  EXPECT_EQ(Utf8(prompts.openDialogs.back().filter),
            Utf8(L"画像ﾌｧｲﾙ" + patterns + L"|" + patterns));
}

TEST_F(Opening, APluginFormatOpensWithItsPixelsNameStatusAndClipboardCopy) {
  StartWithPicture({L"netpbm"});
  struct Case {
    const wchar_t* file;
    const wchar_t* bmp;
  };
  for (const Case& c : {Case{L"rgb24.ppm", L"rgb24.bmp"}, Case{L"pal8gs.pgm", L"pal8gs.bmp"}}) {
    SCOPED_TRACE(Utf8(c.file));
    winetest::WriteFileBytes(PathIn(c.file), winetest::CorpusFile(c.file));
    Open(PathIn(c.file));
    EXPECT_TRUE(prompts.errors.empty());
    EXPECT_EQ(Utf8(form->StatusText()), Utf8(kLoaded));
    EXPECT_EQ(form->State().CurrentFileName, PathIn(c.file));
    const core::Dib expected = core::ReadBmp(winetest::CorpusFile(c.bmp));
    ExpectPixelsOf(expected);
    ASSERT_EQ(winetest::RunChild(L"dump-clipboard-dib", {PathIn(L"clip.dib")}), 0);
    const core::Dib fromClipboard =
        core::ReadPackedDib(winetest::ReadFileBytes(PathIn(L"clip.dib")));
    EXPECT_EQ(winetest::PixelAt(core::ConvertTo24(fromClipboard), 100, 50),
              winetest::PixelAt(core::ConvertTo24(expected), 100, 50));
  }
}

TEST_F(Opening, APluginGetsTheFileInMemoryPaddedTo2048BytesAndItsAnsiName) {
  StartWithPicture({L"netpbm"});
  const std::wstring plugin = PathIn(std::wstring(L"netpbm") + winetest::kPluginExtension);
  // 100 bytes: a 5 x 5 picture (75 bytes) after a header that a comment makes 25 bytes long.
  std::vector<uint8_t> file = Bytes("P6\n#" + std::string(12, 'x') + "\n5 5\n255\n");
  while (file.size() < 100) file.push_back(static_cast<uint8_t>(file.size()));
  ASSERT_EQ(file.size(), 100u);
  const std::wstring name = PathIn(L"小さな絵.ppm");
  winetest::WriteFileBytes(name, file);
  winetest::ResetJournal(plugin);
  {
    // The text handle sits where this build's information block has it, and is freed with the
    // picture's two blocks.
    winetest::LocalFreeCounter counter;
    Open(name);
    const testplugin::Journal& journal = *winetest::JournalOf(plugin);
    EXPECT_EQ(journal.handleCount, 3);
    for (const auto& [block, times] : winetest::HandedOut(journal)) {
      EXPECT_EQ(counter.TimesFreed(block), times) << block;
    }
  }
  EXPECT_TRUE(prompts.errors.empty());
  EXPECT_EQ(form->Picture().Width(), 5);
  const testplugin::Journal& journal = *winetest::JournalOf(plugin);
  ASSERT_EQ(journal.callCount, 3) << "no second try past a header of 128 bytes";
  std::vector<uint8_t> padded = file;
  padded.resize(2048, 0);
  const char* functions[] = {"IsSupported", "GetPictureInfo", "GetPicture"};
  for (int i = 0; i < 3; ++i) {
    const testplugin::Call& call = journal.calls[i];
    EXPECT_STREQ(call.function, functions[i]);
    EXPECT_EQ(call.length, i == 0 ? -1 : 100);
    EXPECT_EQ(0, std::memcmp(call.head, padded.data(), 2048)) << call.function;
  }
  // The name in the system's code page (932 here), as plug-ins expect it.
  char ansi[260] = {};
  WideCharToMultiByte(CP_ACP, 0, name.c_str(), -1, ansi, sizeof ansi, nullptr, nullptr);
  EXPECT_STREQ(journal.calls[0].fileName, ansi);
}

TEST_F(Opening, TheExtensionDecidesWhetherThePluginsOrTheBmpReaderTryFirst) {
  StartWithPicture({L"netpbm", L"jpeg_mark"});
  const std::wstring netpbm = PathIn(std::wstring(L"netpbm") + winetest::kPluginExtension);
  const std::wstring mark = PathIn(std::wstring(L"jpeg_mark") + winetest::kPluginExtension);
  const std::vector<uint8_t> bmp = core::WriteBmp(winetest::PatternDib(30, 20));

  // A foreign header of 128 bytes: the second try starts after it.
  std::vector<uint8_t> headed(128, 0xEE);
  const std::vector<uint8_t> ppm = PatternPpm(33, 22);
  headed.insert(headed.end(), ppm.begin(), ppm.end());
  winetest::WriteFileBytes(PathIn(L"headed.ppm"), headed);
  winetest::ResetJournal(netpbm);
  Open(PathIn(L"headed.ppm"));
  EXPECT_TRUE(prompts.errors.empty());
  ExpectPixelsOf(winetest::PatternDib(33, 22));
  ASSERT_EQ(winetest::JournalOf(netpbm)->callCount, 4);
  EXPECT_EQ(0, std::memcmp(winetest::JournalOf(netpbm)->calls[1].head, "P6\n33 22", 8));

  // A BMP under a plug-in's extension: the plug-ins first, then the BMP reader.
  winetest::WriteFileBytes(PathIn(L"really a bmp.ppm"), bmp);
  winetest::ResetJournal(netpbm);
  Open(PathIn(L"really a bmp.ppm"));
  EXPECT_TRUE(prompts.errors.empty());
  EXPECT_EQ(form->Picture().Width(), 30);
  EXPECT_EQ(winetest::JournalOf(netpbm)->callCount, 2) << "asked at 0 and past 128 bytes";

  // A real BMP never reaches a plug-in, though one claims "bmp".
  winetest::WriteFileBytes(PathIn(L"plain.bmp"), core::WriteBmp(winetest::PatternDib(31, 21)));
  winetest::ResetJournal(mark);
  Open(PathIn(L"plain.bmp"));
  EXPECT_EQ(form->Picture().Width(), 31);
  EXPECT_EQ(winetest::JournalOf(mark)->callCount, 0);

  // A JPEG while a plug-in lists "jpg": the plug-in's picture, every pixel its mark colour.
  winetest::WriteFileBytes(PathIn(L"photo.jpg"),
                           core::EncodeJpeg(winetest::PatternDib(64, 48), 90));
  Open(PathIn(L"photo.jpg"));
  EXPECT_EQ(form->Picture().Width(), 64);
  EXPECT_EQ(winetest::PixelAt(form->Picture().Pixels(), 10, 10), 0x123456u);

  // Nothing decodes it.
  form->SetStatusText(L"前の状態");
  winetest::WriteFileBytes(PathIn(L"noise.ppm"), std::vector<uint8_t>(300, 0x5A));
  Open(PathIn(L"noise.ppm"));
  EXPECT_EQ(TakeError(), "認識できない画像形式です");
  EXPECT_EQ(form->Picture().Width(), 64);
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"前の状態"));
}

TEST_F(Opening, ADropLoadsTheFirstFileWhenThePatternListMentionsItsExtension) {
  StartWithPicture({L"netpbm"});
  winetest::WriteBmpFile(PathIn(L"second.bmp"), winetest::PatternDib(12, 12));
  winetest::WriteFileBytes(PathIn(L"PHOTO.JPG"),
                           core::EncodeJpeg(winetest::PatternDib(50, 40), 90));
  winetest::WriteFileBytes(PathIn(L"other.pnm"), PatternPpm(9, 9));
  for (const wchar_t* name : {L"icon.ico", L"noext", L"half.jp"}) {
    winetest::WriteBmpFile(PathIn(name), winetest::PatternDib(13, 13));
  }
  struct Case {
    std::vector<std::wstring> files;
    int width;          // of the picture afterwards; 40 is the one before
    const char* error;  // the error box, or null for none
  };
  const Case cases[] = {
      {{PathIn(L"icon.ico")}, 40, nullptr},
      {{PathIn(L"other.pnm")}, 40, nullptr},  // registered, but not in the pattern list
      {{PathIn(L"noext")}, 40, "拡張子 . の画像形式は処理できません"},
      {{PathIn(L"half.jp")}, 40, "拡張子 .jp の画像形式は処理できません"},
      {{PathIn(L"PHOTO.JPG"), PathIn(L"second.bmp"), PathIn(L"icon.ico")}, 50, nullptr},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(Utf8(c.files[0]));
    Drop(form->Handle(), c.files);
    winetest::PumpMessages(20);
    EXPECT_EQ(form->Picture().Width(), c.width);
    if (c.error) {
      EXPECT_EQ(TakeError(), c.error);
    } else {
      EXPECT_TRUE(prompts.errors.empty());
    }
    EXPECT_EQ(Utf8(form->StatusText()), Utf8(c.width == 40 ? L"前の状態" : kLoaded));
    EXPECT_EQ(form->State().CurrentFileName, PathIn(L"before.bmp"))
        << "a drop leaves the name alone";
  }
  EXPECT_TRUE(prompts.beeps.empty());
}

TEST_F(Opening, TypedNamesOfFormatsNobodyReadsAreRefusedAndDibOpensAsBmp) {
  StartWithPicture();
  for (const wchar_t* name : {L"icon.ico", L"drawing.wmf", L"drawing.emf"}) {
    SCOPED_TRACE(Utf8(name));
    winetest::WriteBmpFile(PathIn(name), winetest::PatternDib(13, 13));
    Open(PathIn(name));
    const std::wstring extension = std::filesystem::path(name).extension().wstring().substr(1);
    EXPECT_EQ(TakeError(), "拡張子 ." + Utf8(extension) + " の画像形式は処理できません");
    ExpectPictureUnchanged();
  }
  winetest::WriteBmpFile(PathIn(L"bitmap.dib"), winetest::PatternDib(14, 15));
  Open(PathIn(L"bitmap.dib"));
  EXPECT_TRUE(prompts.errors.empty());
  ExpectPixelsOf(winetest::PatternDib(14, 15));
}

TEST_F(Opening, AHostilePluginEndsInAnErrorWithThePictureIntactAndItsMemoryFreedOnce) {
  StartWithPicture({L"hostile"});
  const std::wstring plugin = PathIn(std::wstring(L"hostile") + winetest::kPluginExtension);
  const std::string refused = "Susie Plugin [" + Utf8(plugin) + "] の返した画像は使えません: ";
  struct Case {
    const char* name;
    std::string error;
  };
  const Case cases[] = {
      {"header-size", refused + "ヘッダーのサイズが 12 バイトです"},
      {"compressed", refused + "圧縮された画像です (圧縮形式 1)"},
      {"bitfields-zero-masks", refused + "ビットフィールドのマスクがありません"},
      {"bitfields-no-masks", refused + "ビットフィールドのマスクがありません"},
      {"bit-count", refused + "ビット数が不正です (7)"},
      {"colors", refused + "色数が不正です (300)"},
      {"huge", refused + "画像の大きさが不正か、大きすぎます (100000 x 100000)"},
      {"zero-width", refused + "画像の大きさが不正か、大きすぎます (0 x 4)"},
      {"short-bits", refused + "画素データが 10 バイトしかありません (48 バイト必要)"},
      {"short-info", refused + "情報ブロックが 40 バイトしかありません (1064 バイト必要)"},
      {"same-handle", refused + "画像のメモリがありません"},
      {"null-handles", refused + "画像のメモリがありません"},
      {"fail", "認識できない画像形式です"},
      {"abort", "認識できない画像形式です"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    winetest::WriteFileBytes(PathIn(L"bad.bad"), Bytes(std::string("HOSTILE ") + c.name + "\n"));
    winetest::ResetJournal(plugin);
    std::map<HLOCAL, int> handed;
    {
      winetest::LocalFreeCounter counter;
      Open(PathIn(L"bad.bad"));
      handed = winetest::HandedOut(*winetest::JournalOf(plugin));
      for (const auto& [block, times] : handed)
        EXPECT_EQ(counter.TimesFreed(block), times) << block;
    }
    for (const auto& [block, times] : handed) {
      EXPECT_EQ(LocalFlags(block), LMEM_INVALID_HANDLE) << block;
    }
    EXPECT_EQ(TakeError(), c.error);
    ExpectPictureUnchanged();
  }
}

// Plug-ins are handed a writable buffer, and some write there.
TEST_F(Opening, APluginThatWritesIntoWhatItIsHandedDecodesAndTheFileStaysAsItWas) {
  StartWithPicture({L"netpbm"});
  for (const auto& [size, side] : {std::pair{size_t{100}, 5}, std::pair{size_t{5000}, 40}}) {
    SCOPED_TRACE(size);
    const std::vector<uint8_t> file = PatternPpm(side, side, "# scribble", size);
    ASSERT_EQ(file.size(), size);
    winetest::WriteFileBytes(PathIn(L"written.ppm"), file);
    Open(PathIn(L"written.ppm"));
    EXPECT_TRUE(prompts.errors.empty());
    ExpectPixelsOf(winetest::PatternDib(side, side));
    EXPECT_EQ(winetest::ReadFileBytes(PathIn(L"written.ppm")), file);
  }
}

// A plug-in that writes into the file and fails, or whose answer is refused, has failed like any
// other: the next one gets the file as it is.
TEST_F(Opening, AfterAPluginFailsOrIsRefusedTheNextOneDecodesTheFileAsItIs) {
  StartWithPicture({L"hostile", L"netpbm"});
  for (const char* hostile : {"scribble-fail", "bitfields-no-masks"}) {
    SCOPED_TRACE(hostile);
    // A PPM that the hostile plug-in, which claims the extension, tries first.
    const std::vector<uint8_t> file = PatternPpm(40, 40, std::string("# HOSTILE ") + hostile, 5000);
    winetest::WriteFileBytes(PathIn(L"both.bad"), file);
    Open(PathIn(L"both.bad"));
    EXPECT_TRUE(prompts.errors.empty());
    ExpectPixelsOf(winetest::PatternDib(40, 40));
  }
}

TEST_F(Opening, ABitFieldPictureWithItsMasksShowsItsColours) {
  StartWithPicture({L"hostile"});
  winetest::WriteFileBytes(PathIn(L"fields.bad"), Bytes("HOSTILE bitfields-565\n"));
  Open(PathIn(L"fields.bad"));
  EXPECT_TRUE(prompts.errors.empty());
  ASSERT_EQ(form->Picture().Width(), 2);
  const core::Dib& shown = form->Picture().Pixels();
  EXPECT_EQ(winetest::PixelAt(shown, 0, 0), 0xFF0000u);
  EXPECT_EQ(winetest::PixelAt(shown, 1, 0), 0x00FF00u);
  EXPECT_EQ(winetest::PixelAt(shown, 0, 1), 0x0000FFu);
  EXPECT_EQ(winetest::PixelAt(shown, 1, 1), 0xFFFFFFu);
}

// The interface speaks the system's code page (932 here) and plug-ins keep a name in MAX_PATH
// bytes: a path that does not fit either way reaches the plug-in by its short form, which names
// the same file.
TEST_F(Opening, APluginGetsANameOfTheFileItCanUse) {
  StartWithPicture({L"netpbm"});
  const std::wstring plugin = PathIn(std::wstring(L"netpbm") + winetest::kPluginExtension);
  std::filesystem::path deep = dir.Path();
  while (deep.wstring().size() < 280) deep /= L"a folder with a long name";
  std::filesystem::create_directories(deep);
  for (const std::filesystem::path& path : {dir / L"ü한.ppm", deep / L"picture.ppm"}) {
    SCOPED_TRACE(Utf8(path.wstring()));
    const std::vector<uint8_t> file = PatternPpm(6, 4);
    winetest::WriteFileBytes(path, file);
    winetest::ResetJournal(plugin);
    Open(path.wstring());
    EXPECT_TRUE(prompts.errors.empty());
    const std::string name = winetest::JournalOf(plugin)->calls[0].fileName;
    // Back from the code page, the name opens the file (the journal keeps MAX_PATH - 1 bytes).
    wchar_t wide[MAX_PATH] = {};
    MultiByteToWideChar(CP_ACP, 0, name.c_str(), -1, wide, MAX_PATH);
    EXPECT_EQ(winetest::ReadFileBytes(wide), file) << name;
  }
}

// What the main window's thread did during a load, in order: the progress bar's positions (and
// whether it was visible then), paints, and the requests it took from its queue.
std::vector<std::string> threadEvents;
HWND progressBar = nullptr;

LRESULT CALLBACK RecordSent(int code, WPARAM wParam, LPARAM lParam) {
  const auto* call = reinterpret_cast<const CWPSTRUCT*>(lParam);
  if (code == HC_ACTION && call->hwnd == progressBar && call->message == PBM_SETPOS) {
    threadEvents.push_back("position " + std::to_string(call->wParam) +
                           (IsWindowVisible(progressBar) ? "" : " (hidden)"));
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK RecordTaken(int code, WPARAM wParam, LPARAM lParam) {
  const auto* message = reinterpret_cast<const MSG*>(lParam);
  if (code == HC_ACTION && wParam == PM_REMOVE) {
    if (message->message == WM_PAINT) threadEvents.push_back("paint");
    if (message->message == WM_CLOSE) threadEvents.push_back("close");
    if (message->message == WM_DROPFILES) threadEvents.push_back("drop");
    if (message->message == WM_KEYDOWN) threadEvents.push_back("key");
  }
  return CallNextHookEx(nullptr, code, wParam, lParam);
}

std::vector<std::string> Opening::LoadTallPictureWithRequestsWaiting(const std::wstring& file) {
  winetest::WriteFileBytes(file, PatternPpm(300, 1100, "# slow"));
  HWND window = form->Handle();
  progressBar = form->Controls().ProgressBar1;
  threadEvents.clear();
  PostMessageW(window, WM_KEYDOWN, VK_F1, 0);
  Drop(window, {file});
  PostMessageW(window, WM_CLOSE, 0, 0);
  InvalidateRect(window, nullptr, TRUE);
  HHOOK sent = SetWindowsHookExW(WH_CALLWNDPROC, RecordSent, nullptr, GetCurrentThreadId());
  HHOOK taken = SetWindowsHookExW(WH_GETMESSAGE, RecordTaken, nullptr, GetCurrentThreadId());
  prompts.openAnswers.push_back(ScriptedPrompts::Choose(file, 1));
  SendMessageW(window, WM_COMMAND, ids::mnuRead, 0);
  const std::vector<std::string> during = threadEvents;
  winetest::PumpMessages(50);
  UnhookWindowsHookEx(sent);
  UnhookWindowsHookEx(taken);
  EXPECT_EQ(form->Handle(), nullptr) << "the close request waited for the load";
  return during;
}

TEST_F(Opening, ALongDecodeShowsItsProgressAndTakesNoRequestMeanwhile) {
  StartWithPicture({L"netpbm"});
  std::vector<std::string> positions;
  for (const std::string& e : LoadTallPictureWithRequestsWaiting(PathIn(L"tall.ppm"))) {
    if (e.rfind("position", 0) == 0) positions.push_back(e);
    EXPECT_TRUE(e.rfind("position", 0) == 0 || e == "paint") << e << " during the load";
  }
  // MulDiv(rows done, 98, rows) + 1 at 0, 256, 512, 768, 1024 and 1100 rows; the start (0) comes
  // too soon to be shown.
  EXPECT_EQ(positions, (std::vector<std::string>{"position 1", "position 24", "position 47",
                                                 "position 69", "position 92", "position 99"}));
  EXPECT_FALSE(IsWindowVisible(progressBar));
}

TEST_F(Opening, TheWindowRepaintsDuringALongDecode) {
  StartWithPicture({L"netpbm"});
  const std::vector<std::string> during = LoadTallPictureWithRequestsWaiting(PathIn(L"tall.ppm"));
  EXPECT_NE(std::find(during.begin(), during.end(), "paint"), during.end());
}

TEST_F(Opening, AtStartThePluginFoldersAreSearchedBeforeTheCommandLineFileOpens) {
  // The Susie viewer's folder, the program's, then the configured one.
  std::filesystem::create_directories(dir / L"susie");
  std::filesystem::create_directories(dir / L"configured");
  CopyPlugin(L"pic_c", dir / L"susie");
  CopyPlugin(L"no_get_picture", dir.Path());
  CopyPlugin(L"netpbm", dir / L"configured");
  HKEY key = nullptr;
  RegCreateKeyExW(HKEY_CURRENT_USER, plugins::kSusieKey, 0, nullptr, 0, KEY_SET_VALUE, nullptr,
                  &key, nullptr);
  const std::wstring susie = (dir / L"susie").wstring();
  RegSetValueExW(key, L"Path", 0, REG_SZ, reinterpret_cast<const BYTE*>(susie.c_str()),
                 static_cast<DWORD>((susie.size() + 1) * sizeof(wchar_t)));
  RegCloseKey(key);
  WriteIni(L"[Susie]\r\nPath=" + (dir / L"configured").wstring() + L"\\\r\n");
  winetest::WriteFileBytes(PathIn(L"start.ppm"), PatternPpm(21, 11));
  Start({PathIn(L"start.ppm")});
  RegDeleteTreeW(HKEY_CURRENT_USER, L"Software\\Morvalen");

  // The unusable plug-in is reported once the window is up; everything else went on.
  ASSERT_EQ(prompts.errors.size(), 1u);
  const std::wstring lacking = PathIn(std::wstring(L"no_get_picture") + winetest::kPluginExtension);
  EXPECT_EQ(Utf8(prompts.errors[0]),
            "GetPictureは[" + Utf8(lacking) + "]では使えないSusie Plugin APIです");
  EXPECT_TRUE(prompts.errorOwnerVisible[0]);
  ASSERT_EQ(form->Plugins().Count(), 2);
  EXPECT_EQ(std::filesystem::path(form->Plugins().Items(0).FileName()).stem(), L"pic_c");
  EXPECT_EQ(std::filesystem::path(form->Plugins().Items(1).FileName()).stem(), L"netpbm");
  ExpectPixelsOf(winetest::PatternDib(21, 11));
  EXPECT_EQ(form->State().CurrentFileName, PathIn(L"start.ppm"));
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(kLoaded));
}

TEST_F(Opening, AnUnusablePluginIsReportedAlsoAfterAMinimizedStart) {
  CopyPlugin(L"no_get_picture", dir.Path());
  Start({}, SW_SHOWMINNOACTIVE);
  ASSERT_EQ(prompts.errors.size(), 1u);
  EXPECT_NE(prompts.errors[0].find(L"GetPictureは["), std::wstring::npos);
}

TEST_F(Opening, OnlyImportPluginsStayAndAllFilesPatternsAreNotRegistered) {
  for (const wchar_t* kind : {L"patterns", L"archive", L"xn", L"lower_version"}) {
    CopyPlugin(kind, dir.Path());
  }
  Start();
  ASSERT_EQ(form->Plugins().Count(), 1);
  EXPECT_EQ(std::filesystem::path(form->Plugins().Items(0).FileName()).stem(), L"patterns");
  for (const wchar_t* kind : {L"archive", L"xn", L"lower_version"}) {
    EXPECT_EQ(GetModuleHandleW(PathIn(kind + std::wstring(winetest::kPluginExtension)).c_str()),
              nullptr)
        << Utf8(kind) << " was unloaded again";
  }
  // Of "*.abc;*.def", "*.*" and "*.xyz;*.*": def, then abc, and nothing else.
  std::vector<std::wstring> registered;
  for (const core::PictureFormats::Format& f : form->PictureFormats().Formats()) {
    if (f.className != "TSPIBitmap") continue;
    registered.push_back(f.extension + L" " + f.description);
  }
  EXPECT_EQ(registered, (std::vector<std::wstring>{L"def ABC/DEF 画像", L"abc ABC/DEF 画像"}));
  const std::wstring plugin = PathIn(std::wstring(L"patterns") + winetest::kPluginExtension);
  Close();
  EXPECT_EQ(GetModuleHandleW(plugin.c_str()), nullptr) << "unloaded with the window";
}

TEST_F(Opening, PngOpensThroughTheProgramsOwnPluginByCommandLineOpenAndDrop) {
  // ifpng beside the program, as the package installs it: the start-up search loads it.
  CopyPlugin(L"ifpng", dir.Path());
  winetest::WriteFileBytes(PathIn(L"start.png"), core::EncodePng(winetest::PatternDib(33, 17)));
  winetest::WriteFileBytes(PathIn(L"opened.png"), core::EncodePng(winetest::PatternDib(70, 5)));
  winetest::WriteFileBytes(PathIn(L"dropped.PNG"), core::EncodePng(winetest::PatternDib(6, 90)));
  Start({PathIn(L"start.png")});
  ASSERT_EQ(form->Plugins().Count(), 1);
  EXPECT_TRUE(prompts.errors.empty());
  ExpectPixelsOf(winetest::PatternDib(33, 17));
  EXPECT_EQ(form->State().CurrentFileName, PathIn(L"start.png"));
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(kLoaded));

  Open(PathIn(L"opened.png"));
  const std::wstring patterns = std::wstring(kBuiltIn) + L";*.png";
  EXPECT_EQ(Utf8(prompts.openDialogs.back().filter),
            Utf8(L"画像ﾌｧｲﾙ" + patterns + L"|" + patterns));
  ExpectPixelsOf(winetest::PatternDib(70, 5));
  EXPECT_EQ(form->State().CurrentFileName, PathIn(L"opened.png"));

  Drop(form->Handle(), {PathIn(L"dropped.PNG")});
  winetest::PumpMessages(20);
  ExpectPixelsOf(winetest::PatternDib(6, 90));
  EXPECT_TRUE(prompts.errors.empty());

  // A file whose checksum does not match is refused, and the picture stays as it was.
  std::vector<uint8_t> broken = core::EncodePng(winetest::PatternDib(20, 20));
  broken[broken.size() - 20] ^= 0x40;  // inside the last IDAT chunk
  winetest::WriteFileBytes(PathIn(L"broken.png"), broken);
  form->SetStatusText(L"前の状態");
  Open(PathIn(L"broken.png"));
  EXPECT_EQ(TakeError(), "認識できない画像形式です");
  ExpectPixelsOf(winetest::PatternDib(6, 90));
  EXPECT_EQ(Utf8(form->StatusText()), Utf8(L"前の状態"));
}

}  // namespace
