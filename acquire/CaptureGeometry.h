#pragma once
// The arithmetic of capturing the screen ourselves, kept portable: the rectangle a drag picks on
// the frozen screen, where the magnifier stands beside the pointer, the delays offered, and how
// long the window waits before it grabs.

#include <string>

namespace acquire {

// A rectangle of screen pixels, right and bottom exclusive.
struct PixelRect {
  int left = 0;
  int top = 0;
  int right = 0;
  int bottom = 0;
  int Width() const { return right - left; }
  int Height() const { return bottom - top; }
  bool Empty() const { return right <= left || bottom <= top; }
  bool operator==(const PixelRect&) const = default;
};

struct PixelPoint {
  int x = 0;
  int y = 0;
};

// The part both rectangles cover; empty (all zero) when they do not meet.
PixelRect Intersection(const PixelRect& a, const PixelRect& b);

// The rectangle a drag from `from` to `to` spans, in whichever direction it went: the pixels
// between the two points, the far one excluded, so a drag of 300 pixels to the right takes 300
// columns. Clipped to `bounds`.
PixelRect DragRect(PixelPoint from, PixelPoint to, const PixelRect& bounds);

// Where a square of `size` pixels stands beside the pointer: below and to the right, `gap` pixels
// away, or on the other side of the pointer where that would leave `bounds`.
PixelRect BesidePointer(PixelPoint pointer, int size, int gap, const PixelRect& bounds);

// `seconds` when it is one of the delays offered (host::kCaptureDelays), else no delay.
int OfferedDelay(int seconds);

// The time the screen is given to show what lies beneath the windows hidden for a capture (the
// main window, the countdown) before it is read: the shortest wait of every capture, and part of
// any longer delay.
inline constexpr int kSettleMs = 200;
// Milliseconds from the command to the grab for a delay of `seconds`.
int GrabAfterMs(int seconds);

// The status line's text once a capture has been taken, with the picture's size.
std::wstring CapturedText(int width, int height);

}  // namespace acquire
