// Checks the platform facts the GUI tests rely on: windows reach the screen where they were put,
// pictures travel on the clipboard between processes, the code page is 932 and Japanese text
// renders with real glyphs. Also checks the rig's own helpers: child processes and the watchdog.

#include <windows.h>

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <cstring>
#include <memory>
#include <string>
#include <thread>
#include <type_traits>
#include <vector>

#include "tests/win/WineTestSupport.h"

namespace {

using namespace std::chrono_literals;
using winetest::RunChild;

// ---- Small owners for the handles these tests use ----------------------------------------------

struct WindowDeleter {
  void operator()(HWND window) const { DestroyWindow(window); }
};
using UniqueWindow = std::unique_ptr<std::remove_pointer_t<HWND>, WindowDeleter>;

class ScreenDc {
 public:
  ScreenDc() : dc_(GetDC(nullptr)) {}
  ~ScreenDc() { ReleaseDC(nullptr, dc_); }
  ScreenDc(const ScreenDc&) = delete;
  ScreenDc& operator=(const ScreenDc&) = delete;
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

class ClipboardLock {
 public:
  // Another process may hold the clipboard for a moment; retry for up to a second.
  explicit ClipboardLock(HWND owner) {
    for (int i = 0; i < 100 && !open_; ++i) {
      open_ = OpenClipboard(owner) != FALSE;
      if (!open_) Sleep(10);
    }
  }
  ~ClipboardLock() {
    if (open_) CloseClipboard();
  }
  ClipboardLock(const ClipboardLock&) = delete;
  ClipboardLock& operator=(const ClipboardLock&) = delete;
  bool IsOpen() const { return open_; }

 private:
  bool open_ = false;
};

UniqueWindow MessageOnlyWindow() {
  return UniqueWindow(CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                                      GetModuleHandleW(nullptr), nullptr));
}

// ---- Pictures ----------------------------------------------------------------------------------

// A packed 24-bit DIB (header + rows) whose every pixel depends on x, y and seed, so a shifted
// row, a lost padding byte or swapped channels all show up.
std::vector<uint8_t> MakePackedDib(int width, int height, int seed) {
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) & ~size_t{3};
  std::vector<uint8_t> bytes(sizeof(BITMAPINFOHEADER) + stride * static_cast<size_t>(height));
  BITMAPINFOHEADER header{};
  header.biSize = sizeof header;
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  header.biSizeImage = static_cast<DWORD>(stride * static_cast<size_t>(height));
  std::memcpy(bytes.data(), &header, sizeof header);
  for (int y = 0; y < height; ++y) {
    uint8_t* row = bytes.data() + sizeof header + stride * static_cast<size_t>(y);
    for (int x = 0; x < width; ++x) {
      row[x * 3 + 0] = static_cast<uint8_t>(x * 31 + seed);
      row[x * 3 + 1] = static_cast<uint8_t>(y * 57 + seed * 3);
      row[x * 3 + 2] = static_cast<uint8_t>(x * y + seed * 7);
    }
  }
  return bytes;
}

bool PutDibOnClipboard(HWND owner, const std::vector<uint8_t>& dib) {
  ClipboardLock clipboard(owner);
  if (!clipboard.IsOpen() || !EmptyClipboard()) return false;
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, dib.size());
  if (memory == nullptr) return false;
  std::memcpy(GlobalLock(memory), dib.data(), dib.size());
  GlobalUnlock(memory);
  if (SetClipboardData(CF_DIB, memory) == nullptr) {
    GlobalFree(memory);  // still ours when SetClipboardData fails
    return false;
  }
  return true;
}

// The clipboard's CF_DIB as bytes; empty when there is none.
std::vector<uint8_t> ReadClipboardDib(HWND owner) {
  ClipboardLock clipboard(owner);
  if (!clipboard.IsOpen()) return {};
  HANDLE memory = GetClipboardData(CF_DIB);
  if (memory == nullptr) return {};
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(memory));
  std::vector<uint8_t> copy(bytes, bytes + GlobalSize(memory));
  GlobalUnlock(memory);
  return copy;
}

// Compares header fields and pixel rows; the clipboard may round the block size up.
::testing::AssertionResult SamePicture(const std::vector<uint8_t>& expected,
                                       const std::vector<uint8_t>& actual) {
  if (actual.size() < expected.size()) {
    return ::testing::AssertionFailure()
           << "got " << actual.size() << " bytes, expected at least " << expected.size();
  }
  BITMAPINFOHEADER want{}, got{};
  std::memcpy(&want, expected.data(), sizeof want);
  std::memcpy(&got, actual.data(), sizeof got);
  if (got.biWidth != want.biWidth || got.biHeight != want.biHeight ||
      got.biBitCount != want.biBitCount || got.biCompression != want.biCompression) {
    return ::testing::AssertionFailure()
           << "header " << got.biWidth << "x" << got.biHeight << " " << got.biBitCount
           << " bpp, compression " << got.biCompression << "; expected " << want.biWidth << "x"
           << want.biHeight << " " << want.biBitCount << " bpp";
  }
  const size_t offset = sizeof(BITMAPINFOHEADER);
  for (size_t i = offset; i < expected.size(); ++i) {
    if (expected[i] != actual[i]) {
      return ::testing::AssertionFailure() << "pixel byte " << (i - offset) << " is "
                                           << int{actual[i]} << ", expected " << int{expected[i]};
    }
  }
  return ::testing::AssertionSuccess();
}

// Helper routines for the second process: put-dib W H SEED, check-dib W H SEED.
constexpr int kChildOk = 0;
constexpr int kChildNoClipboard = 10;
constexpr int kChildNoDib = 11;
constexpr int kChildWrongDib = 12;

const winetest::ChildModeRegistrar putDib(L"put-dib", [](int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  UniqueWindow owner = MessageOnlyWindow();
  auto dib = MakePackedDib(_wtoi(argv[1]), _wtoi(argv[2]), _wtoi(argv[3]));
  return PutDibOnClipboard(owner.get(), dib) ? kChildOk : kChildNoClipboard;
});

const winetest::ChildModeRegistrar checkDib(L"check-dib", [](int argc, wchar_t** argv) {
  if (argc != 4) return 2;
  UniqueWindow owner = MessageOnlyWindow();
  auto actual = ReadClipboardDib(owner.get());
  if (actual.empty()) return kChildNoDib;
  auto expected = MakePackedDib(_wtoi(argv[1]), _wtoi(argv[2]), _wtoi(argv[3]));
  return SamePicture(expected, actual) ? kChildOk : kChildWrongDib;
});

TEST(Clipboard, DibPutByAnotherProcessArrivesUnchanged) {
  const DWORD sequenceBefore = GetClipboardSequenceNumber();
  // An odd width, so each 21-byte row carries 3 bytes of padding.
  ASSERT_EQ(RunChild(L"put-dib", {L"7", L"5", L"3"}), kChildOk);
  EXPECT_NE(GetClipboardSequenceNumber(), sequenceBefore);

  UniqueWindow owner = MessageOnlyWindow();
  auto dib = ReadClipboardDib(owner.get());
  ASSERT_FALSE(dib.empty()) << "no CF_DIB after the other process exited";
  EXPECT_TRUE(SamePicture(MakePackedDib(7, 5, 3), dib));
}

TEST(Clipboard, DibFromAnotherProcessIsAlsoOfferedAsBitmap) {
  ASSERT_EQ(RunChild(L"put-dib", {L"9", L"4", L"1"}), kChildOk);
  UniqueWindow owner = MessageOnlyWindow();
  ClipboardLock clipboard(owner.get());
  ASSERT_TRUE(clipboard.IsOpen());
  auto bitmap = static_cast<HBITMAP>(GetClipboardData(CF_BITMAP));
  ASSERT_NE(bitmap, nullptr);
  BITMAP info{};
  ASSERT_NE(GetObjectW(bitmap, sizeof info, &info), 0);
  EXPECT_EQ(info.bmWidth, 9);
  EXPECT_EQ(info.bmHeight, 4);
}

TEST(Clipboard, DibPutByThisProcessArrivesInAnother) {
  UniqueWindow owner = MessageOnlyWindow();
  ASSERT_TRUE(PutDibOnClipboard(owner.get(), MakePackedDib(6, 3, 9)));
  EXPECT_EQ(RunChild(L"check-dib", {L"6", L"3", L"9"}), kChildOk);
  // A different picture must not pass: the child really compares.
  EXPECT_EQ(RunChild(L"check-dib", {L"6", L"3", L"10"}), kChildWrongDib);
}

// ---- Windows on the screen ---------------------------------------------------------------------

constexpr COLORREF kLeftColour = RGB(220, 20, 30);
constexpr COLORREF kRightColour = RGB(10, 40, 200);

LRESULT CALLBACK TwoColourProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_PAINT) {
    PAINTSTRUCT paint;
    HDC dc = BeginPaint(window, &paint);
    RECT client;
    GetClientRect(window, &client);
    RECT left = client, right = client;
    left.right = right.left = client.right / 2;
    HBRUSH leftBrush = CreateSolidBrush(kLeftColour);
    HBRUSH rightBrush = CreateSolidBrush(kRightColour);
    FillRect(dc, &left, leftBrush);
    FillRect(dc, &right, rightBrush);
    DeleteObject(leftBrush);
    DeleteObject(rightBrush);
    EndPaint(window, &paint);
    return 0;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

class ScreenTest : public ::testing::Test {
 protected:
  static constexpr wchar_t kClassName[] = L"CapslateRigTwoColour";

  void SetUp() override {
    WNDCLASSW windowClass{};
    windowClass.lpfnWndProc = TwoColourProc;
    windowClass.hInstance = GetModuleHandleW(nullptr);
    windowClass.lpszClassName = kClassName;
    windowClass.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    ASSERT_NE(RegisterClassW(&windowClass), 0);
  }
  void TearDown() override { UnregisterClassW(kClassName, GetModuleHandleW(nullptr)); }

  UniqueWindow Show(DWORD style, int x, int y, int width, int height) {
    UniqueWindow window(CreateWindowExW(0, kClassName, L"rig", style | WS_VISIBLE, x, y, width,
                                        height, nullptr, nullptr, GetModuleHandleW(nullptr),
                                        nullptr));
    PumpAndPaint(window.get());
    return window;
  }
  static void PumpAndPaint(HWND window) {
    winetest::PumpMessages(20);
    UpdateWindow(window);
    winetest::PumpMessages(100);
  }
};

TEST_F(ScreenTest, PaintedPixelsReachTheScreenWhereTheWindowIs) {
  UniqueWindow window = Show(WS_POPUP, 100, 120, 200, 100);
  ASSERT_TRUE(window);
  POINT left{20, 50}, right{180, 50};
  ClientToScreen(window.get(), &left);
  ClientToScreen(window.get(), &right);
  EXPECT_EQ(left.x, 120);
  EXPECT_EQ(left.y, 170);

  ScreenDc screen;
  EXPECT_EQ(GetPixel(screen.Get(), left.x, left.y), kLeftColour);
  EXPECT_EQ(GetPixel(screen.Get(), right.x, right.y), kRightColour);
  // Just outside the window the colour is not ours.
  EXPECT_NE(GetPixel(screen.Get(), 99, 170), kLeftColour);
}

TEST_F(ScreenTest, FramedWindowKeepsItsPlaceAndHidesWithoutDelay) {
  UniqueWindow window = Show(WS_OVERLAPPEDWINDOW, 40, 30, 320, 240);
  ASSERT_TRUE(window);
  RECT rect;
  GetWindowRect(window.get(), &rect);
  EXPECT_EQ(rect.left, 40);
  EXPECT_EQ(rect.top, 30);
  EXPECT_EQ(rect.right - rect.left, 320);
  EXPECT_EQ(rect.bottom - rect.top, 240);

  // A window-manager-managed window would wait 2 s here for a manager that is not there.
  const auto start = std::chrono::steady_clock::now();
  ShowWindow(window.get(), SW_HIDE);
  window.reset();
  EXPECT_LT(std::chrono::steady_clock::now() - start, 1s);
}

TEST(Screen, Is1280x1024With32BitPixels) {
  EXPECT_EQ(GetSystemMetrics(SM_CXSCREEN), 1280);
  EXPECT_EQ(GetSystemMetrics(SM_CYSCREEN), 1024);
  ScreenDc screen;
  EXPECT_EQ(GetDeviceCaps(screen.Get(), BITSPIXEL), 32);
}

// ---- Japanese locale and fonts -----------------------------------------------------------------

TEST(Locale, AnsiAndOemCodePagesAre932) {
  EXPECT_EQ(GetACP(), 932u);
  EXPECT_EQ(GetOEMCP(), 932u);
  EXPECT_EQ(GetUserDefaultLCID(), 0x411u);
}

TEST(Locale, AnsiConversionGivesShiftJis) {
  const wchar_t* text = L"日本語";
  char bytes[16] = {};
  int n = WideCharToMultiByte(CP_ACP, 0, text, -1, bytes, sizeof bytes, nullptr, nullptr);
  ASSERT_EQ(n, 7);  // six bytes and the terminator
  const unsigned char expected[] = {0x93, 0xFA, 0x96, 0x7B, 0x8C, 0xEA};
  EXPECT_EQ(std::memcmp(bytes, expected, sizeof expected), 0);
}

// Renders one character in black on white into a 48x48 32-bit DIB section.
std::vector<uint32_t> RenderCharacter(const wchar_t* face, BYTE charset, wchar_t character) {
  constexpr int kSize = 48;
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = kSize;
  info.bmiHeader.biHeight = -kSize;
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  void* bits = nullptr;
  HBITMAP bitmap = CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font =
      CreateFontW(-32, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, charset, OUT_DEFAULT_PRECIS,
                  CLIP_DEFAULT_PRECIS, ANTIALIASED_QUALITY, DEFAULT_PITCH, face);
  HGDIOBJ oldBitmap = SelectObject(dc, bitmap);
  HGDIOBJ oldFont = SelectObject(dc, font);
  RECT all{0, 0, kSize, kSize};
  FillRect(dc, &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkMode(dc, TRANSPARENT);
  TextOutW(dc, 4, 4, &character, 1);
  GdiFlush();
  std::vector<uint32_t> pixels(static_cast<const uint32_t*>(bits),
                               static_cast<const uint32_t*>(bits) + kSize * kSize);
  SelectObject(dc, oldFont);
  SelectObject(dc, oldBitmap);
  DeleteObject(font);
  DeleteDC(dc);
  DeleteObject(bitmap);
  return pixels;
}

int InkedPixels(const std::vector<uint32_t>& pixels) {
  int count = 0;
  for (uint32_t pixel : pixels) count += (pixel & 0xFFFFFF) != 0xFFFFFF;
  return count;
}

// A missing glyph draws the same empty box for every character, so two different characters
// drawn alike mean the font has no Japanese glyphs.
void ExpectRealJapaneseGlyphs(const wchar_t* face, BYTE charset) {
  auto sun = RenderCharacter(face, charset, L'日');
  auto book = RenderCharacter(face, charset, L'本');
  EXPECT_GT(InkedPixels(sun), 40) << "nothing drawn";
  EXPECT_GT(InkedPixels(book), 40) << "nothing drawn";
  EXPECT_NE(sun, book) << "both characters drawn alike: missing glyphs";
}

TEST(Fonts, JapaneseFaceDrawsRealGlyphs) {
  ExpectRealJapaneseGlyphs(L"ＭＳ Ｐゴシック", SHIFTJIS_CHARSET);
}

TEST(Fonts, DialogFontFallsBackToJapaneseGlyphs) {
  ExpectRealJapaneseGlyphs(L"Tahoma", DEFAULT_CHARSET);
}

int TextWidth(const wchar_t* face, const wchar_t* text) {
  HDC dc = CreateCompatibleDC(nullptr);
  HFONT font =
      CreateFontW(-20, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, SHIFTJIS_CHARSET,
                  OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH, face);
  HGDIOBJ old = SelectObject(dc, font);
  SIZE size{};
  GetTextExtentPoint32W(dc, text, static_cast<int>(wcslen(text)), &size);
  SelectObject(dc, old);
  DeleteObject(font);
  DeleteDC(dc);
  return size.cx;
}

TEST(Fonts, ProportionalAndFixedJapaneseFacesAreDistinct) {
  // The P face must be proportional and the plain face fixed-pitch, as the faces they replace.
  EXPECT_LT(TextWidth(L"ＭＳ Ｐゴシック", L"iiii"), TextWidth(L"ＭＳ Ｐゴシック", L"WWWW"));
  EXPECT_EQ(TextWidth(L"ＭＳ ゴシック", L"iiii"), TextWidth(L"ＭＳ ゴシック", L"WWWW"));
}

// ---- Child processes ---------------------------------------------------------------------------

const std::vector<std::wstring> kTrickyArguments = {L"plain",
                                                    L"with space",
                                                    L"日本語のファイル.bmp",
                                                    L"quote\"inside",
                                                    L"C:\\ends in backslash\\",
                                                    L"a\\\\b",
                                                    L"\\\"",
                                                    L"",
                                                    L"tab\there"};

const winetest::ChildModeRegistrar expectArgs(L"expect-args", [](int argc, wchar_t** argv) {
  if (argc - 1 != static_cast<int>(kTrickyArguments.size())) return 100 + argc;
  for (int i = 1; i < argc; ++i) {
    if (kTrickyArguments[static_cast<size_t>(i - 1)] != argv[i]) return i;
  }
  return 0;
});

const winetest::ChildModeRegistrar exitWith(L"exit-with", [](int argc, wchar_t** argv) {
  return argc == 2 ? _wtoi(argv[1]) : -1;
});

const winetest::ChildModeRegistrar sleepLong(L"sleep", [](int, wchar_t**) {
  Sleep(60000);
  return 0;
});

TEST(ChildProcess, ArgumentsArriveUnchanged) {
  EXPECT_EQ(RunChild(L"expect-args", kTrickyArguments), 0)
      << "non-zero: index of the first argument that differs (100+ = wrong count)";
}

TEST(ChildProcess, ExitCodeComesBack) {
  EXPECT_EQ(RunChild(L"exit-with", {L"42"}), 42);
  EXPECT_EQ(RunChild(L"exit-with", {L"0"}), 0);
}

TEST(ChildProcess, UnknownModeIsRefused) {
  EXPECT_EQ(RunChild(L"no-such-mode", {}), winetest::kUnknownChildMode);
}

// send-to HWND: sends WM_APP to a window of the parent and exits with the answer (0 if none came
// within 3 s).
const winetest::ChildModeRegistrar sendTo(L"send-to", [](int argc, wchar_t** argv) {
  if (argc != 2) return -1;
  auto window = reinterpret_cast<HWND>(static_cast<INT_PTR>(_wtoi64(argv[1])));
  DWORD_PTR answer = 0;
  if (!SendMessageTimeoutW(window, WM_APP, 0, 0, SMTO_BLOCK, 3000, &answer)) return 0;
  return static_cast<int>(answer);
});

LRESULT CALLBACK AnswerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  return message == WM_APP ? 4321 : DefWindowProcW(window, message, wParam, lParam);
}

TEST(ChildProcess, CanSendToOurWindowsWhileWeWait) {
  UniqueWindow window = MessageOnlyWindow();
  ASSERT_TRUE(window);
  SetWindowLongPtrW(window.get(), GWLP_WNDPROC, reinterpret_cast<LONG_PTR>(AnswerProc));
  const auto handle = std::to_wstring(reinterpret_cast<INT_PTR>(window.get()));
  EXPECT_EQ(RunChild(L"send-to", {handle}), 4321);
}

TEST(ChildProcess, HangingChildIsTerminatedAtTheTimeout) {
  const auto start = std::chrono::steady_clock::now();
  EXPECT_THROW(RunChild(L"sleep", {}, 500ms), std::runtime_error);
  EXPECT_LT(std::chrono::steady_clock::now() - start, 10s);
}

// ---- Dialog watchdog ---------------------------------------------------------------------------

const winetest::ChildModeRegistrar messageBox(L"message-box", [](int argc, wchar_t** argv) {
  return argc == 2 ? MessageBoxW(nullptr, argv[1], L"rig", MB_OK) : -1;
});

bool Contains(const std::vector<std::wstring>& texts, const std::wstring& part) {
  for (const auto& text : texts) {
    if (text.find(part) != std::wstring::npos) return true;
  }
  return false;
}

TEST(Watchdog, ClosesAMessageBoxOfAnotherProcess) {
  winetest::DialogWatchdog watchdog(300ms);
  int result = RunChild(L"message-box", {L"迷子のダイアログ"}, 15s);
  EXPECT_TRUE(result == IDOK || result == IDCANCEL) << result;
  EXPECT_TRUE(Contains(watchdog.Closed(), L"迷子のダイアログ"));
}

TEST(Watchdog, WaitsForItsPeriodBeforeClosing) {
  winetest::DialogWatchdog watchdog(1500ms);
  const auto start = std::chrono::steady_clock::now();
  std::chrono::steady_clock::duration shownFor{};
  std::thread box([&] {
    MessageBoxW(nullptr, L"まだ閉じない", L"rig", MB_OK);
    shownFor = std::chrono::steady_clock::now() - start;
  });
  box.join();
  EXPECT_GE(shownFor, 1400ms);
  EXPECT_LT(shownFor, 5s);
  EXPECT_TRUE(Contains(watchdog.Closed(), L"まだ閉じない"));
}

}  // namespace
