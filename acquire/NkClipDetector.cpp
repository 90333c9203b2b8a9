#include "acquire/NkClipDetector.h"

#include "core/Error.h"
#include "win/WindowObject.h"

namespace acquire {
namespace {

constexpr const wchar_t* kViewerClass = L"TNkClipDetectorViewer";

void RegisterViewerClass(HINSTANCE instance, WNDPROC proc) {
  WNDCLASSEXW wc{sizeof wc};
  wc.lpfnWndProc = proc;
  wc.hInstance = instance;
  wc.lpszClassName = kViewerClass;
  win::RegisterClassOnce(wc);
}

}  // namespace

TNkClipDetector::TNkClipDetector() = default;

TNkClipDetector::~TNkClipDetector() { LeaveChain(); }

void TNkClipDetector::LeaveChain() {
  if (!viewerWindow_) return;
  ChangeClipboardChain(viewerWindow_.get(), nextViewer_);
  viewerWindow_.reset();
}

void TNkClipDetector::SetOnClipChange(NotifyEvent handler) {
  if (!handler) {
    LeaveChain();
    onClipChange_ = nullptr;
    return;
  }
  if (viewerWindow_) {
    onClipChange_ = std::move(handler);
    return;
  }
  HINSTANCE instance = GetModuleHandleW(nullptr);
  RegisterViewerClass(instance, ViewerWndProc);
  // A message-only window: it is never shown, it only takes part in the viewer chain, and it
  // costs the system no screen window.
  HWND viewer =
      CreateWindowExW(0, kViewerClass, L"", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr, instance, this);
  if (!viewer) throw core::Error("TNkClipDetector.SetOnClipChange: Cannot Allocate HWnd");
  viewerWindow_.reset(viewer);
  onClipChange_ = std::move(handler);
  joining_ = true;
  nextViewer_ = SetClipboardViewer(viewer);  // sends the first WM_DRAWCLIPBOARD before returning
  joining_ = false;
}

void TNkClipDetector::DoClipChange() {
  if (onClipChange_) onClipChange_(*this);
}

LRESULT CALLBACK TNkClipDetector::ViewerWndProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) noexcept {
  TNkClipDetector* self = win::WindowObject<TNkClipDetector>(window, message, lParam);
  if (!self) return DefWindowProcW(window, message, wParam, lParam);
  switch (message) {
    case WM_DRAWCLIPBOARD:
      if (!(self->IgnoreFirst && self->joining_)) {
        try {
          self->DoClipChange();
        } catch (...) {
          // The handler reports its own errors; the chain must hear of the change regardless.
        }
      }
      if (self->nextViewer_) SendMessageW(self->nextViewer_, WM_DRAWCLIPBOARD, 0, 0);
      return 0;
    case WM_CHANGECBCHAIN:
      if (reinterpret_cast<HWND>(wParam) == self->nextViewer_) {
        self->nextViewer_ = reinterpret_cast<HWND>(lParam);
        return 0;
      }
      return SendMessageW(self->nextViewer_, WM_CHANGECBCHAIN, wParam, lParam);
    default:
      return DefWindowProcW(window, message, wParam, lParam);
  }
}

}  // namespace acquire
