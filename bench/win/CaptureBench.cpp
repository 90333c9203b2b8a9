// capture_bench: measures the real Capslate.exe from outside, as a user and another program see
// it, each figure against the bound it chases, measured by this process in the same run.
//
//   capture_bench startup CAPSLATE_EXE BARE_EXE RUNS
//       Start-up: CreateProcess, then FindWindow + IsWindowVisible every 1 ms until the main window
//       shows; Capslate against a bare program that only registers a class and shows a window.
//       Each start runs from a fresh folder (no settings file); the two alternate, after one
//       start of each that is not counted.
//   capture_bench wait-window
//       Waits until Capslate's main window is visible and idle.
//   capture_bench capture WIDTH HEIGHT
//       The bound first: a screen bitmap of that size put on the clipboard, then one
//       GetClipboardData(CF_DIB) plus a copy of the picture, three times (the median counts).
//       This process put the bitmap, so the system renders the DIB from it here without fetching
//       it from another process as Capslate must: a bound Capslate cannot quite reach, which the
//       targets allow for. Then Capture in Capslate,
//       a new screen bitmap on the clipboard as PrintScreen leaves it, and the status line polled
//       every 2 ms until the capture message appears.
//   capture_bench screen-capture
//       The bound first: one BitBlt of the whole screen into a 24-bit picture plus one clipboard
//       write of that picture (CF_DIB), three times (the median counts). Then "画面全体を取込" in
//       Capslate (with no delay set), the status line polled every 2 ms until the capture message
//       appears, timed from the end of the wait every capture gives the screen to settle.
//   capture_bench close
//       Closes Capslate as its close box does and waits until its process has ended.
//
// Lines starting with "@" are for scripts/bench-wine: "@startup <ours ms> <bare ms> <ours fastest
// ms> <bare fastest ms>" and
// "@capture <w> <h> <status ms> <visible ms> <bound ms>" and
// "@screen-capture <w> <h> <status ms> <bound ms>".
#include <windows.h>
#include <commctrl.h>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <cstring>
#include <string>
#include <thread>
#include <vector>

#include "acquire/CaptureGeometry.h"
#include "app/win/CommandIds.h"
#include "bench/TestPictures.h"
#include "core/Dib.h"

namespace {

constexpr const wchar_t* kFormClass = L"TForm1";
constexpr const wchar_t* kCaption = L"Capslate!!";
constexpr const wchar_t* kBareClass = L"CapslateBenchBareWindow";
constexpr const wchar_t* kCaptured = L"ｷｬﾌﾟﾁｬｰしました。";
constexpr const wchar_t* kWaiting = L"取込中です。";
constexpr int kBoundRepetitions = 3;

double Now() {
  static const double frequency = [] {
    LARGE_INTEGER f;
    QueryPerformanceFrequency(&f);
    return static_cast<double>(f.QuadPart);
  }();
  LARGE_INTEGER c;
  QueryPerformanceCounter(&c);
  return static_cast<double>(c.QuadPart) * 1000.0 / frequency;
}

double Median(std::vector<double> values) {
  std::sort(values.begin(), values.end());
  const size_t n = values.size();
  return n % 2 ? values[n / 2] : (values[n / 2 - 1] + values[n / 2]) / 2;
}

[[noreturn]] void Fail(const char* what) {
  std::fprintf(stderr, "capture_bench: %s (error %lu)\n", what, GetLastError());
  std::exit(1);
}

class Handle {
 public:
  explicit Handle(HANDLE h = nullptr) : h_(h) {}
  ~Handle() {
    if (h_) CloseHandle(h_);
  }
  Handle(const Handle&) = delete;
  Handle& operator=(const Handle&) = delete;
  HANDLE get() const { return h_; }

 private:
  HANDLE h_;
};

HWND FindForm() {
  HWND form = FindWindowW(kFormClass, kCaption);
  return form && IsWindowVisible(form) ? form : nullptr;
}

HWND WaitForForm(int timeoutMs) {
  for (int waited = 0; waited < timeoutMs; waited += 10) {
    if (HWND form = FindForm()) return form;
    Sleep(10);
  }
  Fail("Capslate's main window did not appear");
}

// --- Start-up ---

// A new folder under the temporary folder with a copy of `exe` in it; returns the copy's path.
std::wstring CopyIntoFreshFolder(const std::wstring& exe, int serial) {
  wchar_t temp[MAX_PATH];
  GetTempPathW(MAX_PATH, temp);
  const std::wstring folder = std::wstring(temp) + L"capslate-bench-" +
                              std::to_wstring(GetCurrentProcessId()) + L"-" +
                              std::to_wstring(serial);
  CreateDirectoryW(folder.c_str(), nullptr);
  const std::wstring name = exe.substr(exe.find_last_of(L"\\/") + 1);
  const std::wstring copy = folder + L"\\" + name;
  if (!CopyFileW(exe.c_str(), copy.c_str(), FALSE)) Fail("cannot copy the program");
  return copy;
}

void RemoveFolderOf(const std::wstring& file) {
  const std::wstring folder = file.substr(0, file.find_last_of(L'\\'));
  WIN32_FIND_DATAW found;
  HANDLE search = FindFirstFileW((folder + L"\\*").c_str(), &found);
  if (search != INVALID_HANDLE_VALUE) {
    do {
      if (!(found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)) {
        DeleteFileW((folder + L"\\" + found.cFileName).c_str());
      }
    } while (FindNextFileW(search, &found));
    FindClose(search);
  }
  RemoveDirectoryW(folder.c_str());
}

// Milliseconds from CreateProcess until a visible top-level window of `windowClass` exists; then
// closes the program and waits for it to end.
double TimeStart(const std::wstring& exe, const wchar_t* windowClass, const wchar_t* caption,
                 int serial) {
  const std::wstring copy = CopyIntoFreshFolder(exe, serial);
  std::wstring command = L"\"" + copy + L"\"";
  const std::wstring folder = copy.substr(0, copy.find_last_of(L'\\'));
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION info{};
  const double start = Now();
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, folder.c_str(),
                      &startup, &info)) {
    Fail("cannot start the program");
  }
  Handle process(info.hProcess);
  Handle thread(info.hThread);
  HWND window = nullptr;
  double shown = 0;
  while (!window) {
    HWND found = FindWindowW(windowClass, caption);
    if (found && IsWindowVisible(found)) {
      shown = Now() - start;
      window = found;
      break;
    }
    if (Now() - start > 30000) Fail("the program showed no window within 30 s");
    Sleep(1);
  }
  PostMessageW(window, WM_CLOSE, 0, 0);
  if (WaitForSingleObject(process.get(), 10000) != WAIT_OBJECT_0) {
    TerminateProcess(process.get(), 1);
    WaitForSingleObject(process.get(), 5000);
  }
  RemoveFolderOf(copy);
  return shown;
}

int Startup(const std::wstring& ours, const std::wstring& bare, int runs) {
  int serial = 0;
  // The first start of a program in a prefix pays for loading it from disk; not counted.
  TimeStart(bare, kBareClass, nullptr, ++serial);
  TimeStart(ours, kFormClass, kCaption, ++serial);
  std::vector<double> oursMs, bareMs;
  for (int i = 0; i < runs; ++i) {
    bareMs.push_back(TimeStart(bare, kBareClass, nullptr, ++serial));
    oursMs.push_back(TimeStart(ours, kFormClass, kCaption, ++serial));
    std::printf("start-up run %d: Capslate %.0f ms, bare window %.0f ms\n", i + 1, oursMs.back(),
                bareMs.back());
  }
  std::printf("@startup %.1f %.1f %.1f %.1f\n", Median(oursMs), Median(bareMs),
              *std::min_element(oursMs.begin(), oursMs.end()),
              *std::min_element(bareMs.begin(), bareMs.end()));
  return 0;
}

// --- The clipboard ---

// A device-dependent bitmap of the screen's format holding the screenshot-like picture, as
// PrintScreen makes it.
HBITMAP MakeScreenBitmap(const core::Dib& picture) {
  BITMAPINFOHEADER header{sizeof header};
  header.biWidth = picture.Width();
  header.biHeight = picture.Height();
  header.biPlanes = 1;
  header.biBitCount = static_cast<WORD>(picture.BitCount());
  header.biCompression = BI_RGB;
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, picture.Width(), picture.Height());
  if (!bitmap || SetDIBits(screen, bitmap, 0, static_cast<UINT>(picture.Height()), picture.Bits(),
                           reinterpret_cast<BITMAPINFO*>(&header), DIB_RGB_COLORS) == 0) {
    Fail("cannot make the screen bitmap");
  }
  ReleaseDC(nullptr, screen);
  return bitmap;
}

bool OpenClipboardSoon() {
  for (int attempt = 0; attempt < 200; ++attempt) {
    if (OpenClipboard(nullptr)) return true;
    Sleep(5);
  }
  return false;
}

// Puts the bitmap on the clipboard (which takes it over) and returns the time just before the
// clipboard is closed, which is when viewers hear of the change.
double PutOnClipboard(HBITMAP bitmap) {
  if (!OpenClipboardSoon()) Fail("cannot open the clipboard");
  EmptyClipboard();
  if (!SetClipboardData(CF_BITMAP, bitmap)) Fail("cannot put the bitmap on the clipboard");
  const double landed = Now();
  CloseClipboard();
  return landed;
}

// One GetClipboardData(CF_DIB) and a copy of the picture into `copy` (allocated and touched
// before); milliseconds.
double ReadClipboardDib(std::vector<uint8_t>& copy) {
  const double start = Now();
  if (!OpenClipboardSoon()) Fail("cannot open the clipboard");
  HANDLE data = GetClipboardData(CF_DIB);
  const void* bytes = data ? GlobalLock(data) : nullptr;
  if (!bytes) Fail("no CF_DIB on the clipboard");
  const size_t size = std::min<size_t>(copy.size(), GlobalSize(data));
  std::memcpy(copy.data(), bytes, size);
  GlobalUnlock(data);
  CloseClipboard();
  const double took = Now() - start;
  if (size < 40 || std::memcmp(copy.data(), "\x28\0\0\0", 4) != 0) Fail("CF_DIB looks wrong");
  return took;
}

// --- The status line of another process ---

class StatusLine {
 public:
  explicit StatusLine(HWND form) : bar_(FindWindowExW(form, nullptr, STATUSCLASSNAMEW, nullptr)) {
    if (!bar_) Fail("no status line");
    DWORD pid = 0;
    GetWindowThreadProcessId(form, &pid);
    process_ = OpenProcess(PROCESS_VM_OPERATION | PROCESS_VM_READ | PROCESS_VM_WRITE, FALSE, pid);
    if (!process_) Fail("cannot open Capslate's process");
    remote_ = VirtualAllocEx(process_, nullptr, kBytes, MEM_COMMIT | MEM_RESERVE, PAGE_READWRITE);
    if (!remote_) Fail("cannot allocate memory in Capslate's process");
  }
  ~StatusLine() {
    VirtualFreeEx(process_, remote_, 0, MEM_RELEASE);
    CloseHandle(process_);
  }
  StatusLine(const StatusLine&) = delete;
  StatusLine& operator=(const StatusLine&) = delete;

  // The text; the call waits while Capslate is busy, as any message to its window would.
  std::wstring Text() const {
    wchar_t text[kBytes / sizeof(wchar_t)] = {};
    DWORD_PTR result = 0;
    // Part 0: Wine answers a simple-mode status bar only there.
    if (!SendMessageTimeoutW(bar_, SB_GETTEXTW, 0, reinterpret_cast<LPARAM>(remote_), SMTO_NORMAL,
                             60000, &result) ||
        !ReadProcessMemory(process_, remote_, text, sizeof text - sizeof(wchar_t), nullptr)) {
      Fail("cannot read the status line");
    }
    return text;
  }

 private:
  static constexpr size_t kBytes = 1024;
  HWND bar_;
  HANDLE process_ = nullptr;
  void* remote_ = nullptr;
};

bool StartsWith(const std::wstring& text, const wchar_t* prefix) {
  return text.compare(0, wcslen(prefix), prefix) == 0;
}

int Capture(int width, int height) {
  HWND form = WaitForForm(30000);
  const StatusLine status(form);
  const core::Dib picture = bench::MakeScreenshot(width, height);

  // The bound, on the same pixels.
  std::vector<uint8_t> copy(picture.ImageSize() * 2);
  std::memset(copy.data(), 1, copy.size());
  std::vector<double> boundMs;
  for (int i = 0; i < kBoundRepetitions; ++i) {
    PutOnClipboard(MakeScreenBitmap(picture));
    boundMs.push_back(ReadClipboardDib(copy));
  }
  std::vector<uint8_t>().swap(copy);

  // Capture.
  HBITMAP screenBitmap = MakeScreenBitmap(picture);
  SendMessageW(form, WM_COMMAND, MAKEWPARAM(app::ids::mnuCaputure, 0), 0);
  if (!StartsWith(status.Text(), kWaiting)) Fail("Capture did not start");
  Sleep(200);  // let the hidden window settle

  std::atomic<double> visibleAt{0};
  std::atomic<bool> stop{false};
  std::thread watcher([&] {
    while (!stop && !IsWindowVisible(form)) Sleep(1);
    if (!stop) visibleAt = Now();
  });
  const double landed = PutOnClipboard(screenBitmap);
  double captured = 0;
  std::wstring text;
  for (double next = landed;; next += 2) {
    text = status.Text();
    if (StartsWith(text, kCaptured)) {
      captured = Now();
      break;
    }
    if (Now() - landed > 60000) Fail("no capture message within 60 s");
    const double wait = next + 2 - Now();
    if (wait > 0) Sleep(static_cast<DWORD>(wait));
  }
  stop = true;
  watcher.join();
  const std::wstring size = L"X=" + std::to_wstring(width) + L" Y=" + std::to_wstring(height);
  if (text.find(size) == std::wstring::npos) Fail("the capture message gives another size");

  const double statusMs = captured - landed;
  const double visibleMs = visibleAt > 0 ? visibleAt - landed : -1;
  std::printf(
      "capture %dx%d: window visible after %.0f ms, status line after %.0f ms; "
      "bound %.0f ms (GetClipboardData(CF_DIB) + copy, median of %d: %.0f",
      width, height, visibleMs, statusMs, Median(boundMs), kBoundRepetitions, boundMs[0]);
  for (size_t i = 1; i < boundMs.size(); ++i) std::printf(" %.0f", boundMs[i]);
  std::printf(")\n@capture %d %d %.1f %.1f %.1f\n", width, height, statusMs, visibleMs,
              Median(boundMs));
  return 0;
}

// One BitBlt of the screen into a 24-bit DIB section and one CF_DIB clipboard write of it; ms.
double GrabAndPutOnClipboard(int width, int height) {
  const double start = Now();
  BITMAPINFOHEADER header{sizeof header};
  header.biWidth = width;
  header.biHeight = height;
  header.biPlanes = 1;
  header.biBitCount = 24;
  header.biCompression = BI_RGB;
  void* bits = nullptr;
  HBITMAP section = CreateDIBSection(nullptr, reinterpret_cast<BITMAPINFO*>(&header),
                                     DIB_RGB_COLORS, &bits, nullptr, 0);
  HDC screen = GetDC(nullptr);
  HDC memory = CreateCompatibleDC(screen);
  HGDIOBJ old = SelectObject(memory, section);
  if (!section || !BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY | CAPTUREBLT)) {
    Fail("cannot read the screen");
  }
  GdiFlush();
  SelectObject(memory, old);
  DeleteDC(memory);
  ReleaseDC(nullptr, screen);
  const size_t imageBytes = static_cast<size_t>((width * 3 + 3) / 4 * 4) * height;
  HGLOBAL packed = GlobalAlloc(GMEM_MOVEABLE, sizeof header + imageBytes);
  auto* target = static_cast<uint8_t*>(packed ? GlobalLock(packed) : nullptr);
  if (!target) Fail("no memory for the clipboard copy");
  header.biSizeImage = static_cast<DWORD>(imageBytes);
  std::memcpy(target, &header, sizeof header);
  std::memcpy(target + sizeof header, bits, imageBytes);
  GlobalUnlock(packed);
  DeleteObject(section);
  if (!OpenClipboardSoon()) Fail("cannot open the clipboard");
  EmptyClipboard();
  if (!SetClipboardData(CF_DIB, packed)) Fail("cannot put the picture on the clipboard");
  CloseClipboard();
  return Now() - start;
}

int ScreenCaptureTime() {
  HWND form = WaitForForm(30000);
  const StatusLine status(form);
  const int width = GetSystemMetrics(SM_CXVIRTUALSCREEN);
  const int height = GetSystemMetrics(SM_CYVIRTUALSCREEN);
  std::vector<double> boundMs;
  for (int i = 0; i < kBoundRepetitions; ++i)
    boundMs.push_back(GrabAndPutOnClipboard(width, height));

  // The command returns once the window is hidden and the wait has begun.
  SendMessageW(form, WM_COMMAND, MAKEWPARAM(app::ids::mnuCaptureScreen, 0), 0);
  const double waitEnds = Now() + acquire::kSettleMs;
  std::wstring text;
  double captured = 0;
  for (double next = Now();; next += 2) {
    text = status.Text();
    if (StartsWith(text, kCaptured)) {
      captured = Now();
      break;
    }
    if (Now() - waitEnds > 60000) Fail("no capture message within 60 s");
    const double wait = next + 2 - Now();
    if (wait > 0) Sleep(static_cast<DWORD>(wait));
  }
  const std::wstring size = L"X=" + std::to_wstring(width) + L" Y=" + std::to_wstring(height);
  if (text.find(size) == std::wstring::npos) Fail("the capture message gives another size");
  const double statusMs = captured - waitEnds;
  const double bound = Median(boundMs);
  std::printf(
      "screen capture %dx%d: status line %.0f ms after the wait; bound %.0f ms (BitBlt + "
      "clipboard write, median of %d), ratio %.2f\n@screen-capture %d %d %.1f %.1f\n",
      width, height, statusMs, bound, kBoundRepetitions, statusMs / bound, width, height, statusMs,
      bound);
  return 0;
}

int Close() {
  HWND form = FindWindowW(kFormClass, kCaption);
  if (!form) return 0;
  DWORD pid = 0;
  GetWindowThreadProcessId(form, &pid);
  Handle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  PostMessageW(form, WM_CLOSE, 0, 0);
  if (process.get() && WaitForSingleObject(process.get(), 20000) != WAIT_OBJECT_0) {
    Fail("Capslate did not end after WM_CLOSE");
  }
  return 0;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  const std::wstring mode = argc > 1 ? argv[1] : L"";
  if (mode == L"startup" && argc == 5) return Startup(argv[2], argv[3], _wtoi(argv[4]));
  if (mode == L"wait-window" && argc == 2) {
    WaitForForm(60000);
    return 0;
  }
  if (mode == L"capture" && argc == 4) return Capture(_wtoi(argv[2]), _wtoi(argv[3]));
  if (mode == L"screen-capture" && argc == 2) return ScreenCaptureTime();
  if (mode == L"close" && argc == 2) return Close();
  std::fprintf(stderr,
               "usage: capture_bench startup CAPSLATE_EXE BARE_EXE RUNS | wait-window |\n"
               "       capture WIDTH HEIGHT | screen-capture | close\n");
  return 2;
}
