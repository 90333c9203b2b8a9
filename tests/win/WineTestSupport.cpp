#include "tests/win/WineTestSupport.h"

#include <objbase.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <stdexcept>
#include <utility>

#include "core/PathRules.h"

namespace winetest {
namespace {

// Filled during static initialisation by the registrars of the test files, read-only afterwards.
std::map<std::wstring, ChildMode>& ChildModes() {
  static std::map<std::wstring, ChildMode> modes;
  return modes;
}

std::wstring OwnExePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) throw std::runtime_error("GetModuleFileNameW failed");
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

std::wstring ClassName(HWND window) {
  wchar_t name[64] = {};
  GetClassNameW(window, name, 64);
  return name;
}

// Waits for `handle` while dispatching this thread's messages: the child may send messages to our
// windows and wait for the answer (rendering clipboard data, the clipboard viewer chain).
bool WaitPumping(HANDLE handle, std::chrono::milliseconds timeout) {
  const auto end = std::chrono::steady_clock::now() + timeout;
  for (;;) {
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() < 0) left = std::chrono::milliseconds(0);
    DWORD woken =
        MsgWaitForMultipleObjects(1, &handle, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
    if (woken == WAIT_OBJECT_0) return true;
    if (woken != WAIT_OBJECT_0 + 1) return false;  // timed out or failed
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));
        return WaitForSingleObject(handle, static_cast<DWORD>(left.count())) == WAIT_OBJECT_0;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

}  // namespace

namespace {

BOOL CALLBACK MatchControlId(HWND child, LPARAM param) {
  auto* want = reinterpret_cast<std::pair<int, HWND>*>(param);
  if (GetDlgCtrlID(child) != want->first) return TRUE;
  want->second = child;
  return FALSE;
}

}  // namespace

HWND FindDescendant(HWND parent, int id) {
  std::pair<int, HWND> want{id, nullptr};
  EnumChildWindows(parent, MatchControlId, reinterpret_cast<LPARAM>(&want));
  return want.second;
}

std::wstring WindowText(HWND window) {
  int length = GetWindowTextLengthW(window);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window, text.data(), length + 1)));
  return text;
}

void RegisterChildMode(const std::wstring& name, ChildMode mode) {
  ChildModes()[name] = std::move(mode);
}

int RunChildMode(int argc, wchar_t** argv) {
  if (argc < 1) {
    fwprintf(stderr, L"--child needs a mode name\n");
    return kUnknownChildMode;
  }
  auto found = ChildModes().find(argv[0]);
  if (found == ChildModes().end()) {
    fwprintf(stderr, L"unknown child mode '%ls'\n", argv[0]);
    return kUnknownChildMode;
  }
  return found->second(argc, argv);
}

std::wstring QuoteArgument(const std::wstring& arg) { return core::QuoteArgument(arg); }

int RunChild(const std::wstring& mode, const std::vector<std::wstring>& args,
             std::chrono::milliseconds timeout) {
  std::wstring exe = OwnExePath();
  std::wstring commandLine = QuoteArgument(exe) + L" --child " + QuoteArgument(mode);
  for (const auto& arg : args) commandLine += L" " + QuoteArgument(arg);

  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(exe.c_str(), commandLine.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    throw std::runtime_error("CreateProcessW failed, error " + std::to_string(GetLastError()));
  }
  UniqueHandle process(info.hProcess);
  UniqueHandle thread(info.hThread);

  if (!WaitPumping(process.Get(), timeout)) {
    TerminateProcess(process.Get(), 1);
    WaitForSingleObject(process.Get(), 5000);
    throw std::runtime_error("child mode '" + Utf8(mode) + "' did not end within " +
                             std::to_string(timeout.count()) + " ms and was terminated");
  }
  DWORD exitCode = 0;
  GetExitCodeProcess(process.Get(), &exitCode);
  return static_cast<int>(exitCode);
}

namespace {

thread_local std::function<void(HWND)> pendingDialogAction;

BOOL CALLBACK FindVisibleDialog(HWND window, LPARAM found) {
  if (ClassName(window) == L"#32770" && IsWindowVisible(window)) {
    *reinterpret_cast<HWND*>(found) = window;
    return FALSE;
  }
  return TRUE;
}

void CALLBACK DialogTimer(HWND, UINT, UINT_PTR id, DWORD) {
  HWND dialog = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindVisibleDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog || !pendingDialogAction) return;
  KillTimer(nullptr, id);
  auto action = std::move(pendingDialogAction);
  pendingDialogAction = nullptr;
  action(dialog);
}

void SendMouse(DWORD flags, POINT screen) {
  INPUT input{};
  input.type = INPUT_MOUSE;
  input.mi.dx = MulDiv(screen.x, 65535, GetSystemMetrics(SM_CXSCREEN) - 1);
  input.mi.dy = MulDiv(screen.y, 65535, GetSystemMetrics(SM_CYSCREEN) - 1);
  input.mi.dwFlags = flags | MOUSEEVENTF_ABSOLUTE;
  SendInput(1, &input, sizeof input);
}

}  // namespace

void WhenDialogAppears(std::function<void(HWND dialog)> action) {
  pendingDialogAction = std::move(action);
  SetTimer(nullptr, 0, 30, DialogTimer);
}

void MoveMouseTo(POINT screen) { SendMouse(MOUSEEVENTF_MOVE, screen); }

void LeftButton(bool down) {
  POINT at{};
  GetCursorPos(&at);
  SendMouse(down ? MOUSEEVENTF_LEFTDOWN : MOUSEEVENTF_LEFTUP, at);
}

void ClickAt(HWND window, POINT client) {
  ClientToScreen(window, &client);
  MoveMouseTo(client);
  PumpMessages(20);
  LeftButton(true);
  PumpMessages(20);
  LeftButton(false);
  PumpMessages(50);
}

void PumpMessages(int ms) {
  const auto end = std::chrono::steady_clock::now() + std::chrono::milliseconds(ms);
  for (;;) {
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      if (msg.message == WM_QUIT) {
        PostQuitMessage(static_cast<int>(msg.wParam));  // leave it for the caller's loop
        return;
      }
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
    auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
        end - std::chrono::steady_clock::now());
    if (left.count() <= 0) return;
    MsgWaitForMultipleObjects(0, nullptr, FALSE, static_cast<DWORD>(left.count()), QS_ALLINPUT);
  }
}

namespace {

// EnumChildWindows callback: appends the text of each Static control to the std::wstring at
// `param`.
BOOL CALLBACK AppendStaticText(HWND child, LPARAM param) {
  if (ClassName(child) == L"Static") {
    std::wstring text = WindowText(child);
    if (!text.empty()) *reinterpret_cast<std::wstring*>(param) += L" | " + text;
  }
  return TRUE;
}

// EnumWindows callback: collects the visible dialogs into the std::vector<HWND> at `param`.
BOOL CALLBACK CollectVisibleDialog(HWND window, LPARAM param) {
  if (IsWindowVisible(window) && ClassName(window) == L"#32770") {
    reinterpret_cast<std::vector<HWND>*>(param)->push_back(window);
  }
  return TRUE;
}

}  // namespace

std::wstring DialogTexts(HWND dialog) {
  std::wstring texts = WindowText(dialog);
  EnumChildWindows(dialog, AppendStaticText, reinterpret_cast<LPARAM>(&texts));
  return texts;
}

DialogWatchdog::DialogWatchdog(std::chrono::milliseconds after, OnClose onClose)
    : after_(after), onClose_(std::move(onClose)), thread_([this] { Run(); }) {}

DialogWatchdog::~DialogWatchdog() {
  {
    std::lock_guard lock(mutex_);
    stopping_ = true;
  }
  stopSignal_.notify_all();
  thread_.join();
}

std::vector<std::wstring> DialogWatchdog::Closed() const {
  std::lock_guard lock(mutex_);
  return closed_;
}

void DialogWatchdog::Run() {
  std::unique_lock lock(mutex_);
  while (!stopping_) {
    lock.unlock();
    Scan();
    lock.lock();
    stopSignal_.wait_for(lock, std::chrono::milliseconds(100), [this] { return stopping_; });
  }
}

void DialogWatchdog::Scan() {
  std::vector<HWND> dialogs;
  EnumWindows(CollectVisibleDialog, reinterpret_cast<LPARAM>(&dialogs));

  const auto now = std::chrono::steady_clock::now();
  std::vector<std::wstring> toReport;
  std::vector<HWND> toClose;
  {
    std::lock_guard lock(mutex_);
    // Forget dialogs that have gone, so a reused handle starts a new count.
    std::erase_if(seen_, [&](const auto& entry) {
      return std::find(dialogs.begin(), dialogs.end(), entry.first) == dialogs.end();
    });
    for (HWND dialog : dialogs) {
      auto it = std::find_if(seen_.begin(), seen_.end(),
                             [dialog](const auto& entry) { return entry.first == dialog; });
      if (it == seen_.end()) {
        seen_.emplace_back(dialog, now);
      } else if (now - it->second >= after_) {
        toClose.push_back(dialog);
        // Report once; a dialog that ignores the close is asked again after another period.
        it->second = now;
      }
    }
  }
  for (HWND dialog : toClose) {
    std::wstring texts = DialogTexts(dialog);
    fwprintf(stderr, L"watchdog: closing dialog nobody answered: %ls\n", texts.c_str());
    {
      std::lock_guard lock(mutex_);
      closed_.push_back(texts);
    }
    if (onClose_) onClose_(texts);
    PostMessageW(dialog, WM_COMMAND, IDCANCEL, 0);
    PostMessageW(dialog, WM_CLOSE, 0, 0);
  }
}

TempDir::TempDir() {
  wchar_t base[MAX_PATH + 1] = {};
  if (GetTempPathW(MAX_PATH + 1, base) == 0) throw std::runtime_error("GetTempPathW failed");
  GUID guid{};
  CoCreateGuid(&guid);
  wchar_t name[64] = {};
  StringFromGUID2(guid, name, 64);
  path_ = std::filesystem::path(base) / (std::wstring(L"capslate-test-") + name);
  std::filesystem::create_directories(path_);
}

TempDir::~TempDir() {
  std::error_code ignored;
  std::filesystem::remove_all(path_, ignored);
}

std::vector<uint8_t> ReadFileBytes(const std::filesystem::path& path) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw std::runtime_error("cannot open " + Utf8(path.wstring()));
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.Get(), &size))
    throw std::runtime_error("cannot size " + Utf8(path.wstring()));
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD read = 0;
    if (!ReadFile(file.Get(), bytes.data() + done, chunk, &read, nullptr) || read == 0) {
      throw std::runtime_error("cannot read " + Utf8(path.wstring()));
    }
    done += read;
  }
  return bytes;
}

void WriteFileBytes(const std::filesystem::path& path, const std::vector<uint8_t>& bytes) {
  UniqueHandle file(CreateFileW(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) throw std::runtime_error("cannot create " + Utf8(path.wstring()));
  DWORD written = 0;
  if (!WriteFile(file.Get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size()) {
    throw std::runtime_error("cannot write " + Utf8(path.wstring()));
  }
}

std::string Utf8(const std::wstring& text) {
  if (text.empty()) return {};
  int size = WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), nullptr, 0,
                                 nullptr, nullptr);
  std::string out(static_cast<size_t>(size), '\0');
  WideCharToMultiByte(CP_UTF8, 0, text.data(), static_cast<int>(text.size()), out.data(), size,
                      nullptr, nullptr);
  return out;
}

}  // namespace winetest
