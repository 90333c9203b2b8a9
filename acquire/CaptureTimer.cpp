#include "acquire/CaptureTimer.h"

#include <algorithm>
#include <string>

#include "acquire/CaptureGeometry.h"
#include "core/DpiScale.h"
#include "core/Error.h"
#include "win/Dpi.h"
#include "win/Messages.h"
#include "win/WindowObject.h"

namespace acquire {
namespace {

constexpr const wchar_t* kClass = L"CapslateCaptureCountdown";
constexpr UINT_PTR kTimerId = 1;
constexpr UINT kTickMs = 20;
// The countdown window at 96 DPI, and its distance from the work area's corner.
constexpr int kWidth = 120;
constexpr int kHeight = 72;
constexpr int kMargin = 16;

HINSTANCE Instance() { return GetModuleHandleW(nullptr); }

}  // namespace

CaptureTimer::CaptureTimer(std::function<void()> elapsed) : elapsed_(std::move(elapsed)) {}

void CaptureTimer::Start(int seconds) {
  if (!window_) {
    WNDCLASSEXW wc{sizeof wc};
    wc.lpfnWndProc = WindowProc;
    wc.hInstance = Instance();
    wc.hCursor = LoadCursorW(nullptr, IDC_ARROW);
    wc.lpszClassName = kClass;
    win::RegisterClassOnce(wc);
    // It takes no activation, so the window in front stays the one a window capture takes.
    CreateWindowExW(WS_EX_TOPMOST | WS_EX_TOOLWINDOW | WS_EX_NOACTIVATE, kClass, L"", WS_POPUP, 0,
                    0, 0, 0, nullptr, nullptr, Instance(), this);
    if (!window_) throw core::Error("取込の待ち時間を数えられません。");
  }
  grabAt_ = GetTickCount64() + static_cast<ULONGLONG>(GrabAfterMs(seconds));
  running_ = true;
  shownSeconds_ = 0;
  if (SecondsLeft() * 1000 > kSettleMs) {
    // In the corner of the primary screen's work area, away from where most windows stand.
    RECT work{};
    SystemParametersInfoW(SPI_GETWORKAREA, 0, &work, 0);
    const int dpi = win::SystemDpi();
    const int width = core::ScaleToDpi(kWidth, dpi), height = core::ScaleToDpi(kHeight, dpi);
    const int margin = core::ScaleToDpi(kMargin, dpi);
    font_.reset(CreateFontW(-core::ScaleToDpi(40, dpi), 0, 0, 0, FW_BOLD, FALSE, FALSE, FALSE,
                            DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                            DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE, L"ＭＳ Ｐゴシック"));
    SetWindowPos(window_.get(), HWND_TOPMOST, work.right - width - margin,
                 work.bottom - height - margin, width, height, SWP_NOACTIVATE | SWP_SHOWWINDOW);
    win::DispatchWindowUpdates();
  }
  SetTimer(window_.get(), kTimerId, kTickMs, nullptr);
}

int CaptureTimer::SecondsLeft() const {
  const ULONGLONG now = GetTickCount64();
  return now >= grabAt_ ? 0 : static_cast<int>((grabAt_ - now + 999) / 1000);
}

void CaptureTimer::Tick() {
  const ULONGLONG now = GetTickCount64();
  if (IsWindowVisible(window_.get())) {
    if (now + kSettleMs >= grabAt_) {
      ShowWindow(window_.get(), SW_HIDE);
      win::DispatchWindowUpdates();
    } else if (SecondsLeft() != shownSeconds_) {
      InvalidateRect(window_.get(), nullptr, TRUE);
    }
  }
  if (now < grabAt_) {
    // The last tick comes when the wait ends, not up to a tick later.
    SetTimer(window_.get(), kTimerId,
             static_cast<UINT>(std::min<ULONGLONG>(kTickMs, grabAt_ - now)), nullptr);
    return;
  }
  KillTimer(window_.get(), kTimerId);
  running_ = false;
  elapsed_();
}

void CaptureTimer::Paint() {
  win::PaintDc paint(window_.get());
  RECT client;
  GetClientRect(window_.get(), &client);
  win::UniqueBrush background(CreateSolidBrush(RGB(32, 32, 32)));
  FillRect(paint.get(), &client, background.get());
  shownSeconds_ = SecondsLeft();
  const std::wstring text = std::to_wstring(shownSeconds_);
  win::Selection font(paint.get(), font_.get());
  SetBkMode(paint.get(), TRANSPARENT);
  SetTextColor(paint.get(), RGB(255, 255, 255));
  DrawTextW(paint.get(), text.c_str(), static_cast<int>(text.size()), &client,
            DT_CENTER | DT_VCENTER | DT_SINGLELINE);
}

LRESULT CALLBACK CaptureTimer::WindowProc(HWND window, UINT message, WPARAM wParam,
                                          LPARAM lParam) noexcept {
  auto* self = win::WindowObject<CaptureTimer>(window, message, lParam);
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_NCCREATE:
      self->window_.reset(window);
      break;
    case WM_NCDESTROY:
      self->window_.release();
      break;
    case WM_MOUSEACTIVATE:
      return MA_NOACTIVATE;
    case WM_PAINT:
      self->Paint();
      return 0;
    case WM_TIMER:
      // The elapsed handler reports its own errors; nothing may escape into the system.
      try {
        if (wParam == kTimerId) self->Tick();
      } catch (...) {
      }
      return 0;
    default:
      break;
  }
  return DefWindowProcW(window, message, wParam, lParam);
}

}  // namespace acquire
