#include "acquire/ScreenCapture.h"

#include <windows.h>

#include "acquire/ScreenGrab.h"
#include "win/ErrorBoundary.h"
#include "win/Messages.h"

namespace acquire {

ScreenCapture::ScreenCapture(host::PictureHost& picture, host::WindowServices& window)
    : picture_(picture), window_(window), timer_([this] { Guarded([this] { DelayElapsed(); }); }) {}

template <typename F>
void ScreenCapture::Guarded(F&& step) noexcept {
  try {
    step();
  } catch (...) {
    overlay_.reset();
    window_.SetVisible(true);
    win::ReportError(window_.Owner(), window_.Prompts(), win::CurrentErrorText());
  }
}

void ScreenCapture::Start(CaptureKind kind) {
  if (Busy()) return;
  kind_ = kind;
  window_.SetVisible(false);
  // Only what hiding leaves queued, as Capture does: no input is handled inside the command.
  win::DispatchWindowUpdates();
  window_.SetStatusText(L"取込中です。");
  try {
    timer_.Start(window_.Settings().captureDelay);
  } catch (...) {
    window_.SetVisible(true);
    throw;
  }
}

HWND ScreenCapture::TargetWindow() const {
  HWND target = GetForegroundWindow();
  if (GetAsyncKeyState(VK_CONTROL) & 0x8000) {
    POINT pointer{};
    GetCursorPos(&pointer);
    target = WindowFromPoint(pointer);
  }
  if (target) target = GetAncestor(target, GA_ROOT);
  if (!target || !IsWindowVisible(target) || IsIconic(target) || target == GetDesktopWindow() ||
      target == GetShellWindow()) {
    return nullptr;
  }
  return target;
}

void ScreenCapture::DelayElapsed() {
  switch (kind_) {
    case CaptureKind::Screen:
      Install(GrabScreen(VirtualScreen()));
      return;
    case CaptureKind::Window: {
      HWND target = TargetWindow();
      const PixelRect frame = target ? VisibleFrame(target) : PixelRect{};
      if (frame.Empty()) {
        End(L"取込むｳｨﾝﾄﾞｳがありません。");
        return;
      }
      Install(GrabScreen(frame));
      return;
    }
    case CaptureKind::Region: {
      const PixelRect screen = VirtualScreen();
      overlay_ = std::make_unique<RegionOverlay>(
          GrabScreen(screen), screen,
          RegionOverlay::Events{
              [this](const PixelRect& chosen) { Guarded([&] { RegionChosen(chosen); }); },
              [this] { Guarded([this] { End(L"取込を取り消しました。"); }); }});
      return;
    }
  }
}

void ScreenCapture::RegionChosen(const PixelRect& chosen) {
  win::Picture part = CutOut(overlay_->Frozen(), chosen);
  overlay_.reset();
  Install(std::move(part));
}

void ScreenCapture::Install(win::Picture picture) {
  window_.SetVisible(true);
  picture_.InstallPicture(std::move(picture));
  window_.Prompts().Beep(MB_ICONASTERISK);
  const win::Picture& shown = picture_.Picture();
  window_.SetStatusText(CapturedText(shown.Width(), shown.Height()));
}

void ScreenCapture::End(const wchar_t* status) {
  overlay_.reset();
  window_.SetVisible(true);
  window_.SetStatusText(status);
}

}  // namespace acquire
