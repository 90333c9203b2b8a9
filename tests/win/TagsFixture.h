#pragma once
// The fixture of the tag tests: the main window with a picture loaded, its tags and track boxes as
// the user sees and drags them, the picture's pixels, the screen, and the clipboard as another
// program reads it.

#include <windows.h>

#include <string>

#include "FormFixture.h"
#include "core/Dib.h"
#include "tags/TagSet.h"

namespace winetest {

class TagsFixture : public FormFixture {
 protected:
  static constexpr uint32_t kGrey = 0x808080;

  // Starts the program with a file of this picture, or of a grey one, as its first argument.
  void StartWithPicture(const core::Dib& picture);
  void StartWithGrey(int width, int height);

  const tags::TagSet& TagSet() const { return form->Tags(); }
  HWND Area() const { return form->Controls().ScrollBox1; }
  RECT Track(tags::TagKind kind) const;
  bool TrackShown(tags::TagKind kind) const { return TagSet().TrackBox(kind).Visible(); }
  // The picture's pixels, with GDI's drawing done.
  const core::Dib& Picture() const;
  // Drags a track box by a point inside it that no handle and no tag covers.
  void DragTrackBy(tags::TagKind kind, int dx, int dy);
  // Drags the bottom-right handle of a track box to make it `width` x `height`: the right and
  // bottom edges go where the pointer goes.
  void SizeTrack(tags::TagKind kind, int width, int height);
  // A press on the picture far from the tags: the active tag's track box hides.
  void PressThePictureAway();
  // Clicks the up arrow of up-down `arrows` `steps` times, or its down arrow -`steps` times.
  static void StepArrows(HWND arrows, int steps);

  // Another program puts text on the clipboard; whether the clipboard still holds only that.
  void PutTextOnClipboard();
  static bool ClipboardHoldsTheirText();
  // The clipboard's picture as another process reads it.
  core::Dib ClipboardPicture() const;

  // What the screen shows of a window's client area, as a 24-bit picture.
  static core::Dib ScreenOf(HWND window, const RECT& area);
};

std::string Describe(const RECT& r);
// "same", or the first pixel at which `part` differs from the area of `picture` at (left, top).
std::string Difference(const core::Dib& picture, int left, int top, const core::Dib& part);
// The pixels of `area` of a 24- or 32-bit picture, as a 24-bit picture of their own.
core::Dib Crop(const core::Dib& picture, const RECT& area);
// The smallest rectangle holding every pixel that is not `background`; empty when none is.
RECT InkBounds(const core::Dib& picture, uint32_t background);
// A one-image icon file: `size` x `size` pixels at 32 bits, `colour` inside, transparent (through
// the mask) in a margin of `margin` pixels.
void WriteIconFile(const std::wstring& path, int size, COLORREF colour, int margin);

}  // namespace winetest
