#pragma once
// The wait between a capture command and the grab: a small topmost window in the corner of the
// primary screen counts the seconds down, and goes away early enough that the screen no longer
// shows it when the grab comes. Without a delay it only gives the screen its moment to settle.

#include <windows.h>

#include <functional>

#include "win/Handles.h"

namespace acquire {

class CaptureTimer {
 public:
  // `elapsed` runs on this thread when a wait ends; it may start the next one.
  explicit CaptureTimer(std::function<void()> elapsed);
  ~CaptureTimer() = default;
  CaptureTimer(const CaptureTimer&) = delete;
  CaptureTimer& operator=(const CaptureTimer&) = delete;

  // Waits `seconds` (one of the offered delays) and at least the screen's moment to settle.
  void Start(int seconds);
  bool Running() const { return running_; }
  // The countdown window, which stands on the screen while more than the settling time is left.
  HWND Handle() const { return window_.get(); }

 private:
  static LRESULT CALLBACK WindowProc(HWND, UINT, WPARAM, LPARAM) noexcept;
  void Tick();
  void Paint();
  // Whole seconds left, rounded up.
  int SecondsLeft() const;

  std::function<void()> elapsed_;
  win::UniqueWindow window_;
  win::UniqueFont font_;
  bool running_ = false;
  ULONGLONG grabAt_ = 0;  // GetTickCount64 value
  int shownSeconds_ = 0;
};

}  // namespace acquire
