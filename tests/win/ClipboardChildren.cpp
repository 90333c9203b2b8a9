#include "ClipboardChildren.h"

#include <cstring>
#include <stdexcept>

#include "FormFixture.h"
#include "core/BmpCodec.h"
#include "win/Picture.h"

namespace winetest {
namespace {

int PutText(int argc, wchar_t** argv) {
  if (argc < 2 || !OpenClipboard(nullptr)) return 2;
  EmptyClipboard();
  const size_t bytes = (wcslen(argv[1]) + 1) * sizeof(wchar_t);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
  std::memcpy(GlobalLock(memory), argv[1], bytes);
  GlobalUnlock(memory);
  const bool ok = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
  CloseClipboard();
  return ok ? 0 : 3;
}

int PutScreenBitmap(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const core::Dib pattern = PatternDib(_wtoi(argv[1]), _wtoi(argv[2]));
  std::vector<uint8_t> info = win::MakeBitmapInfo(pattern);
  HDC screen = GetDC(nullptr);
  HBITMAP bitmap = CreateCompatibleBitmap(screen, pattern.Width(), pattern.Height());
  SetDIBits(screen, bitmap, 0, static_cast<UINT>(pattern.Height()), pattern.Bits(),
            reinterpret_cast<BITMAPINFO*>(info.data()), DIB_RGB_COLORS);
  ReleaseDC(nullptr, screen);
  if (!OpenClipboard(nullptr)) return 3;
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_BITMAP, bitmap) != nullptr;
  CloseClipboard();
  return ok ? 0 : 4;
}

int PutDibFile(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::vector<uint8_t> packed = ReadFileBytes(argv[1]);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, packed.size());
  std::memcpy(GlobalLock(memory), packed.data(), packed.size());
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) return 3;
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_DIB, memory) != nullptr;
  CloseClipboard();
  return ok ? 0 : 4;
}

int PutMetafile(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const int w = _wtoi(argv[1]), h = _wtoi(argv[2]);
  HDC recorder = CreateEnhMetaFileW(nullptr, nullptr, nullptr, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  RECT area{0, 0, w, h};
  FillRect(recorder, &area, red);
  DeleteObject(red);
  HENHMETAFILE metafile = CloseEnhMetaFile(recorder);
  if (!OpenClipboard(nullptr)) return 3;
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_ENHMETAFILE, metafile) != nullptr;
  CloseClipboard();
  return ok ? 0 : 4;
}

// Only a Windows metafile (CF_METAFILEPICT): a red rectangle of W x H pixels, its extent given in
// hundredths of a millimetre at 96 dots per inch, as programs put one there.
int PutMetafilePict(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const int w = _wtoi(argv[1]), h = _wtoi(argv[2]);
  HDC recorder = CreateMetaFileW(nullptr);
  SetWindowOrgEx(recorder, 0, 0, nullptr);
  SetWindowExtEx(recorder, w, h, nullptr);
  HBRUSH red = CreateSolidBrush(RGB(255, 0, 0));
  HGDIOBJ old = SelectObject(recorder, red);
  SelectObject(recorder, GetStockObject(NULL_PEN));
  Rectangle(recorder, 0, 0, w + 1, h + 1);
  SelectObject(recorder, old);
  DeleteObject(red);
  HMETAFILE metafile = CloseMetaFile(recorder);
  HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, sizeof(METAFILEPICT));
  auto* picture = static_cast<METAFILEPICT*>(GlobalLock(memory));
  *picture = METAFILEPICT{MM_ANISOTROPIC, MulDiv(w, 2540, 96), MulDiv(h, 2540, 96), metafile};
  GlobalUnlock(memory);
  if (!OpenClipboard(nullptr)) return 3;
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_METAFILEPICT, memory) != nullptr;
  CloseClipboard();
  return ok ? 0 : 4;
}

// An enhanced metafile whose header claims the bounds LEFT TOP RIGHT BOTTOM, whatever it draws.
int PutMetafileWithBounds(int argc, wchar_t** argv) {
  if (argc < 5) return 2;
  struct {
    ENHMETAHEADER header;
    EMREOF end;
  } records{};
  ENHMETAHEADER& header = records.header;
  header.iType = EMR_HEADER;
  header.nSize = sizeof header;
  header.rclBounds = RECTL{_wtoi(argv[1]), _wtoi(argv[2]), _wtoi(argv[3]), _wtoi(argv[4])};
  header.rclFrame = RECTL{0, 0, 1000, 1000};
  header.dSignature = ENHMETA_SIGNATURE;
  header.nVersion = 0x10000;
  header.nBytes = sizeof records;
  header.nRecords = 2;
  header.nHandles = 1;
  header.szlDevice = SIZEL{1280, 1024};
  header.szlMillimeters = SIZEL{320, 240};
  records.end.emr = EMR{EMR_EOF, sizeof records.end};
  records.end.offPalEntries = sizeof records.end - sizeof(DWORD);
  records.end.nSizeLast = sizeof records.end;
  HENHMETAFILE metafile =
      SetEnhMetaFileBits(sizeof records, reinterpret_cast<const BYTE*>(&records));
  if (!metafile || !OpenClipboard(nullptr)) return 3;
  EmptyClipboard();
  const bool ok = SetClipboardData(CF_ENHMETAFILE, metafile) != nullptr;
  CloseClipboard();
  return ok ? 0 : 4;
}

int DumpClipboardDib(int argc, wchar_t** argv) {
  if (argc < 2 || !OpenClipboard(nullptr)) return 2;
  HANDLE data = GetClipboardData(CF_DIB);
  int result = 3;
  if (data) {
    const auto* bytes = static_cast<const uint8_t*>(GlobalLock(data));
    WriteFileBytes(argv[1], std::vector<uint8_t>(bytes, bytes + GlobalSize(data)));
    GlobalUnlock(data);
    result = 0;
  }
  CloseClipboard();
  return result;
}

// --- The viewer process ---

// Writes a file under a temporary name and renames it, so the test never reads it half written.
void PublishFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  const std::wstring temp = path + L".part";
  WriteFileBytes(temp, bytes);
  MoveFileExW(temp.c_str(), path.c_str(), MOVEFILE_REPLACE_EXISTING);
}

struct Viewer {
  HWND next = nullptr;
  int count = 0;
  std::wstring countFile;
};

LRESULT CALLBACK ViewerProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  auto* viewer = reinterpret_cast<Viewer*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  switch (message) {
    case WM_DRAWCLIPBOARD:
      if (viewer) {
        ++viewer->count;
        PublishFile(viewer->countFile, {static_cast<uint8_t>(viewer->count)});
        if (viewer->next) SendMessageW(viewer->next, message, wParam, lParam);
      }
      return 0;
    case WM_CHANGECBCHAIN:
      if (viewer && reinterpret_cast<HWND>(wParam) == viewer->next) {
        viewer->next = reinterpret_cast<HWND>(lParam);
        return 0;
      }
      return viewer && viewer->next ? SendMessageW(viewer->next, message, wParam, lParam) : 0;
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

// argv: viewer NAME COUNTFILE. Events NAME-ready/leave/left coordinate with the test.
int RunViewer(int argc, wchar_t** argv) {
  if (argc < 3) return 2;
  const std::wstring name = argv[1];
  Viewer viewer{nullptr, 0, argv[2]};
  WNDCLASSW wc{};
  wc.lpfnWndProc = ViewerProc;
  wc.hInstance = GetModuleHandleW(nullptr);
  wc.lpszClassName = L"TestClipboardViewer";
  RegisterClassW(&wc);
  HWND window = CreateWindowW(wc.lpszClassName, name.c_str(), WS_POPUP, 0, 0, 0, 0, nullptr,
                              nullptr, wc.hInstance, nullptr);
  SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(&viewer));
  viewer.next = SetClipboardViewer(window);
  // Tell the test our window.
  PublishFile(viewer.countFile + L".hwnd",
              std::vector<uint8_t>(reinterpret_cast<uint8_t*>(&window),
                                   reinterpret_cast<uint8_t*>(&window) + sizeof window));
  UniqueHandle leave(OpenEventW(SYNCHRONIZE, FALSE, (name + L"-leave").c_str()));
  UniqueHandle left(OpenEventW(EVENT_MODIFY_STATE, FALSE, (name + L"-left").c_str()));
  for (;;) {
    HANDLE waits[] = {leave.Get()};
    const DWORD r = MsgWaitForMultipleObjects(1, waits, FALSE, 30000, QS_ALLINPUT);
    if (r == WAIT_OBJECT_0) break;
    if (r == WAIT_TIMEOUT) break;
    MSG msg;
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageW(&msg);
  }
  ChangeClipboardChain(window, viewer.next);
  SetEvent(left.Get());
  // Stay a moment to answer messages sent while leaving, then go.
  PumpMessages(50);
  DestroyWindow(window);
  return 0;
}

// argv: hold-clipboard NAME. Opens the clipboard, sets the event NAME-held, and closes it again
// when the event NAME-release is set (or after 30 s).
int HoldClipboard(int argc, wchar_t** argv) {
  if (argc < 2) return 2;
  const std::wstring name = argv[1];
  UniqueHandle held(OpenEventW(EVENT_MODIFY_STATE, FALSE, (name + L"-held").c_str()));
  UniqueHandle release(OpenEventW(SYNCHRONIZE, FALSE, (name + L"-release").c_str()));
  if (!held || !release || !OpenClipboard(nullptr)) return 3;
  SetEvent(held.Get());
  WaitForSingleObject(release.Get(), 30000);
  CloseClipboard();
  return 0;
}

ChildModeRegistrar putText(L"put-text", PutText);
ChildModeRegistrar putScreenBitmap(L"put-screen-bitmap", PutScreenBitmap);
ChildModeRegistrar putDibFile(L"put-dib-file", PutDibFile);
ChildModeRegistrar putMetafile(L"put-metafile", PutMetafile);
ChildModeRegistrar putMetafilePict(L"put-metafilepict", PutMetafilePict);
ChildModeRegistrar putMetafileWithBounds(L"put-metafile-bounds", PutMetafileWithBounds);
ChildModeRegistrar dumpClipboardDib(L"dump-clipboard-dib", DumpClipboardDib);
ChildModeRegistrar viewerMode(L"viewer", RunViewer);
ChildModeRegistrar holdClipboard(L"hold-clipboard", HoldClipboard);

bool Signalled(const UniqueHandle& handle) {
  return WaitForSingleObject(handle.Get(), 0) == WAIT_OBJECT_0;
}

// Starts this test program again as `--child mode args...` without waiting for it.
UniqueHandle StartChild(const std::wstring& mode, const std::vector<std::wstring>& args) {
  wchar_t exe[MAX_PATH];
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  std::wstring command = QuoteArgument(exe) + L" --child " + mode;
  for (const std::wstring& arg : args) command += L" " + QuoteArgument(arg);
  STARTUPINFOW startup{sizeof startup};
  PROCESS_INFORMATION info{};
  if (!CreateProcessW(nullptr, command.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                      &startup, &info)) {
    throw std::runtime_error("cannot start the child process " + Utf8(mode));
  }
  CloseHandle(info.hThread);
  return UniqueHandle(info.hProcess);
}

}  // namespace

core::Dib ClipboardDibOfAnotherProcess(const std::wstring& dumpFile) {
  if (RunChild(L"dump-clipboard-dib", {dumpFile}) != 0) {
    throw std::runtime_error("the clipboard holds no DIB");
  }
  return core::ReadPackedDib(ReadFileBytes(dumpFile));
}

ViewerProcess::ViewerProcess(const std::wstring& folder) {
  static int serial = 0;
  name_ = L"CapslateViewer-" + std::to_wstring(GetCurrentProcessId()) + L"-" +
          std::to_wstring(++serial);
  countFile_ = folder + L"\\" + name_ + L".count";
  leaveEvent_ = UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, (name_ + L"-leave").c_str()));
  leftEvent_ = UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, (name_ + L"-left").c_str()));
  process_ = StartChild(L"viewer", {name_, countFile_});
  const std::wstring hwndFile = countFile_ + L".hwnd";
  WaitFor([&] {
    if (GetFileAttributesW(hwndFile.c_str()) == INVALID_FILE_ATTRIBUTES) return false;
    try {
      const std::vector<uint8_t> bytes = ReadFileBytes(hwndFile);
      if (bytes.size() == sizeof window_) std::memcpy(&window_, bytes.data(), sizeof window_);
    } catch (const std::exception&) {
      // still being renamed into place: try again
    }
    return window_ != nullptr;
  });
}

ViewerProcess::~ViewerProcess() {
  Leave();
  if (WaitForSingleObject(process_.Get(), 5000) != WAIT_OBJECT_0) {
    TerminateProcess(process_.Get(), 1);
  }
}

int ViewerProcess::DrawClipboardCount() const {
  if (GetFileAttributesW(countFile_.c_str()) == INVALID_FILE_ATTRIBUTES) return -1;
  try {
    const std::vector<uint8_t> bytes = ReadFileBytes(countFile_);
    return bytes.empty() ? -1 : bytes[0];
  } catch (...) {
    return -1;
  }
}

void ViewerProcess::Leave() {
  if (WaitForSingleObject(leftEvent_.Get(), 0) == WAIT_OBJECT_0) return;
  SetEvent(leaveEvent_.Get());
  WaitFor([&] { return WaitForSingleObject(leftEvent_.Get(), 0) == WAIT_OBJECT_0; });
}

ClipboardHolder::ClipboardHolder() {
  static int serial = 0;
  const std::wstring name = L"CapslateClipboardHolder-" + std::to_wstring(GetCurrentProcessId()) +
                            L"-" + std::to_wstring(++serial);
  heldEvent_ = UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, (name + L"-held").c_str()));
  releaseEvent_ = UniqueHandle(CreateEventW(nullptr, TRUE, FALSE, (name + L"-release").c_str()));
  process_ = StartChild(L"hold-clipboard", {name});
  // Our windows answer meanwhile (WaitFor dispatches): a starting process sends to the windows of
  // others, and would wait for them.
  WaitFor([&] { return Signalled(heldEvent_) || Signalled(process_); }, 10000);
  if (!Signalled(heldEvent_)) {
    throw std::runtime_error("the other program could not hold the clipboard");
  }
}

ClipboardHolder::~ClipboardHolder() {
  SetEvent(releaseEvent_.Get());
  if (!WaitFor([&] { return Signalled(process_); })) TerminateProcess(process_.Get(), 1);
}

}  // namespace winetest
