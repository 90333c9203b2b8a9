#pragma once
// The three state machines the main window declares, as the subsystems see them. The numbers are
// the ones the window has always used, so that what reads them as numbers (tests, other
// programs' expectations of the status) keeps its meaning.

namespace host {

// What the picture area holds.
enum class PictureState {
  Start = 0,           // nothing loaded yet: the built-in start picture
  CapturePending = 1,  // the window is hidden, waiting for a screen shot on the clipboard
  Present = 2,         // a picture is present; commands that work on the picture need this
};

// The Cut command.
enum class CropState {
  Idle = 0,
  Armed = 1,     // waiting for a left press on the picture
  Dragging = 2,  // the band follows the pointer until a button is released
};

// The tag whose track box is shown and on which the tag menu acts. A tag kind is any value but
// None; a new kind takes a number after the last one, never None's.
enum class ActiveTag {
  Icon = 1,
  Memo = 2,
  Shape = 3,
  Image = 4,
  None = 5,  // no tag: what a press on the picture, and hiding a tag, leave
  Mosaic = 6,
};

}  // namespace host
