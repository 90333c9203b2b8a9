#pragma once
// TNkClipDetector: raises OnClipChange whenever the contents of the system clipboard change. It
// joins the clipboard viewer chain through a hidden window of its own while a handler is set,
// passes every chain message on as the chain requires, and leaves the chain when the handler is
// removed or the detector is destroyed.

#include <windows.h>

#include <functional>

#include "win/Handles.h"

namespace acquire {

class TNkClipDetector {
 public:
  using NotifyEvent = std::function<void(TNkClipDetector& sender)>;

  TNkClipDetector();
  virtual ~TNkClipDetector();
  TNkClipDetector(const TNkClipDetector&) = delete;
  TNkClipDetector& operator=(const TNkClipDetector&) = delete;

  // True (the default): the notice Windows sends while the detector joins the chain is dropped.
  bool IgnoreFirst = true;

  // An empty handler leaves the chain; a handler while outside the chain joins it; a handler while
  // inside only replaces the old one. Throws core::Error when the hidden window can't be made.
  void SetOnClipChange(NotifyEvent handler);
  const NotifyEvent& OnClipChange() const { return onClipChange_; }

  HWND NextViewer() const { return nextViewer_; }
  HWND ViewerWindow() const { return viewerWindow_.get(); }

 protected:
  // Raises OnClipChange when a handler is set. A subclass may react here without a handler.
  virtual void DoClipChange();

 private:
  static LRESULT CALLBACK ViewerWndProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  void LeaveChain();

  HWND nextViewer_ = nullptr;
  NotifyEvent onClipChange_;
  bool joining_ = false;
  win::UniqueWindow viewerWindow_;
};

}  // namespace acquire
