#pragma once
// Helpers shared by the Windows test programs: a second process of the same test program for
// cross-process checks, message pumping, a watchdog for dialogs nobody answers, temporary folders
// and file reading.

#include <windows.h>

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <utility>
#include <vector>

namespace winetest {

// ---- Child processes ---------------------------------------------------------------------------
// A test program started as `test.exe --child NAME args...` runs the routine registered under
// NAME instead of the tests and exits with its result. The routine gets argv[0] = NAME and then the
// arguments given to RunChild.
using ChildMode = std::function<int(int argc, wchar_t** argv)>;

// Registers a routine; called during static initialisation through ChildModeRegistrar.
void RegisterChildMode(const std::wstring& name, ChildMode mode);

// Put one at namespace scope in a test file:
//   static winetest::ChildModeRegistrar putDib(L"put-dib", [](int argc, wchar_t** argv) { ... });
struct ChildModeRegistrar {
  ChildModeRegistrar(const wchar_t* name, ChildMode mode) {
    RegisterChildMode(name, std::move(mode));
  }
};

// Handles `--child NAME args...`; returns the routine's exit code. Unknown names return
// kUnknownChildMode.
inline constexpr int kUnknownChildMode = 120;
// A test program started with this environment variable set runs the routine it names, with the
// program's own arguments: for programs that the program under test starts itself.
inline constexpr const wchar_t* kChildModeVariable = L"CAPSLATE_TEST_CHILD_MODE";
int RunChildMode(int argc, wchar_t** argv);

// Starts this test program again as `--child mode args...`, waits for it and returns its exit
// code. Messages of the calling thread are dispatched meanwhile, so the child can send to our
// windows. Throws std::runtime_error when it cannot start or has not ended after `timeout` (it is
// then terminated).
int RunChild(const std::wstring& mode, const std::vector<std::wstring>& args,
             std::chrono::milliseconds timeout = std::chrono::seconds(30));

// Quotes one argument so that CommandLineToArgvW and the C runtime give it back unchanged.
std::wstring QuoteArgument(const std::wstring& arg);

// ---- Handles and messages ----------------------------------------------------------------------
// Owns a kernel handle (process, thread, event, file); closes it on destruction.
class UniqueHandle {
 public:
  UniqueHandle() = default;
  explicit UniqueHandle(HANDLE h) : h_(h == INVALID_HANDLE_VALUE ? nullptr : h) {}
  UniqueHandle(UniqueHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  UniqueHandle& operator=(UniqueHandle&& other) noexcept {
    if (this != &other) {
      Reset();
      h_ = std::exchange(other.h_, nullptr);
    }
    return *this;
  }
  UniqueHandle(const UniqueHandle&) = delete;
  UniqueHandle& operator=(const UniqueHandle&) = delete;
  ~UniqueHandle() { Reset(); }

  HANDLE Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }
  void Reset() {
    if (h_ != nullptr) CloseHandle(h_);
    h_ = nullptr;
  }

 private:
  HANDLE h_ = nullptr;
};

// Dispatches the calling thread's messages for `ms` milliseconds. Wine shows a window's pixels
// on the X screen only when its thread looks at its queue, so pump after painting before reading
// the screen.
void PumpMessages(int ms);

// Runs `action` with the first visible dialog (class #32770) of the calling thread as soon as one
// appears, from a thread timer that the dialog's own modal loop dispatches. One action at a time;
// a new call replaces an action that has not run yet.
void WhenDialogAppears(std::function<void(HWND dialog)> action);

// ---- Real input --------------------------------------------------------------------------------
// Moves the pointer to a screen point, and presses or releases the left button there, through
// SendInput, so the system does everything it does for a user's mouse (hit-testing, activation,
// capture, the scroll bars' own tracking).
void MoveMouseTo(POINT screen);
void LeftButton(bool down);
// A left click at a point of a window's client area.
void ClickAt(HWND window, POINT client);

// ---- Dialog watchdog ---------------------------------------------------------------------------
// A thread that looks at the visible top-level dialogs (class #32770) of every process every 100 ms
// and closes each one that has stayed open longer than `after`: it reports the dialog's texts to
// `onClose` (called on the watchdog thread), then posts IDCANCEL and WM_CLOSE. It keeps a test from
// hanging on a message box or a helper program's error box that nobody answers.
class DialogWatchdog {
 public:
  using OnClose = std::function<void(const std::wstring& texts)>;
  explicit DialogWatchdog(std::chrono::milliseconds after, OnClose onClose = nullptr);
  ~DialogWatchdog();
  DialogWatchdog(const DialogWatchdog&) = delete;
  DialogWatchdog& operator=(const DialogWatchdog&) = delete;

  // The texts of the dialogs closed so far: the caption and the static texts, separated by " | ".
  std::vector<std::wstring> Closed() const;

 private:
  void Run();
  void Scan();

  std::chrono::milliseconds after_;
  OnClose onClose_;
  mutable std::mutex mutex_;
  std::condition_variable stopSignal_;
  bool stopping_ = false;
  std::vector<std::pair<HWND, std::chrono::steady_clock::time_point>> seen_;
  std::vector<std::wstring> closed_;
  std::thread thread_;  // last: starts after every other member is ready
};

// Caption and static texts of a dialog, separated by " | ".
std::wstring DialogTexts(HWND dialog);

// ---- Files -------------------------------------------------------------------------------------
// A new empty folder under the system temporary folder, deleted with its contents on destruction.
class TempDir {
 public:
  TempDir();
  ~TempDir();
  TempDir(const TempDir&) = delete;
  TempDir& operator=(const TempDir&) = delete;

  const std::filesystem::path& Path() const { return path_; }
  std::filesystem::path operator/(const std::filesystem::path& name) const { return path_ / name; }

 private:
  std::filesystem::path path_;
};

// The whole file; throws std::runtime_error when it cannot be read.
std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path);
void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes);

// A window's text (GetWindowTextW).
std::wstring WindowText(HWND window);
// The descendant of `parent` with the control ID `id`, at any depth (controls on panels); null when
// there is none.
HWND FindDescendant(HWND parent, int id);

// UTF-8 for test messages (gtest prints std::string as is).
std::string Utf8(const std::wstring& text);

}  // namespace winetest
