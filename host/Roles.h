#pragma once
// What the subsystems (acquire, plugins, edit, tags, output) may ask of the main window, split by
// role. The main window implements every role; a subsystem object is built with references to the
// roles it uses and reaches the window through nothing else, so the subsystems never see the
// window's controls or each other.

#include <windows.h>

#include <span>
#include <string>

#include "core/PictureFormats.h"
#include "host/CropFrame.h"
#include "host/Settings.h"
#include "host/States.h"
#include "win/Picture.h"
#include "win/Prompts.h"

namespace host {

// The current picture and how a new one is put in place.
class PictureHost {
 public:
  // The current picture, shown by the picture control Image1. After drawing into it, call
  // RepaintPicture (or InvalidatePicture for parts of it) to show the change.
  virtual win::Picture& Picture() = 0;
  virtual void RepaintPicture() = 0;
  // Shows drawing done in place within these areas of the picture (pixels, right and bottom
  // exclusive) with the window's next paint.
  virtual void InvalidatePicture(std::span<const RECT> areas) = 0;
  // Puts `picture` in place of the current one without the after-load routine: Image1 shows it
  // and takes its size; state, clipboard and window stay as they are.
  virtual void ReplacePicture(win::Picture picture) = 0;
  // Makes `picture` the current picture: the picture it replaces becomes one undo step, Image1
  // takes the new one and its size, then the after-load routine runs (picture state Present, the
  // window fitted, a copy on the clipboard, 24 bits per pixel).
  virtual void InstallPicture(win::Picture picture) = 0;
  // Before a subsystem draws into the picture for good (a tag's embedding): the pixels of `area`
  // (right and bottom exclusive, clipped to the picture) become one undo step.
  virtual void RecordPictureArea(const RECT& area) = 0;
  virtual host::PictureState PictureState() const = 0;
  virtual void SetPictureState(host::PictureState state) = 0;
  // The guard of every command that works on the picture: true when one is present; otherwise
  // the refusal beep, and false.
  virtual bool RequirePicture() = 0;
  // Records the most recently chosen file path.
  virtual void SetCurrentFileName(std::wstring fileName) = 0;
  // The registry by which picture files are decoded.
  virtual core::PictureFormats& PictureFormats() = 0;

 protected:
  ~PictureHost() = default;
};

// What the window offers every command: its handle, the status line, the refusal beep, the
// prompts, the settings and the files it names.
class WindowServices {
 public:
  // The main window: the owner of dialogs and of the clipboard.
  virtual HWND Owner() const = 0;
  // The main window's resolution in dots per inch. The layout's lengths, written for 96 DPI,
  // scale by it (core::ScaleToDpi); picture pixels never do.
  virtual int Dpi() const = 0;
  // The picture pixel shown at the picture area's client (0, 0).
  virtual POINT ScrollOrigin() const = 0;
  // Shows or hides the main window together with its taskbar button.
  virtual void SetVisible(bool visible) = 0;
  virtual void SetStatusText(const std::wstring& text) = 0;
  // Writes the status line as SetStatusText does, but when the status line next paints: for a text
  // that changes with every pointer move, which would otherwise repaint the line at every move.
  virtual void SetStatusTextLater(const std::wstring& text) = 0;
  // A long decode's progress, 0 to 100, shown on the status line. The window repaints meanwhile,
  // but no input, drop or close request is handled, so no other command can start under it.
  virtual void ShowProgress(int percent) = 0;
  // Removes the progress indication; the status text is as it was.
  virtual void EndProgress() = 0;
  // A refused command: the question beep and nothing else.
  virtual void Refuse() = 0;
  virtual win::Prompts& Prompts() = 0;
  // Replaces the hint the window shows for one of its controls.
  virtual void SetHint(HWND control, const std::wstring& hint) = 0;
  virtual host::Settings& Settings() = 0;
  // False when the printer list cannot be read: printing is refused for the rest of the run (or
  // until the settings dialog's OK) while the stored printer choice stays. The list is read once,
  // when it is first asked for, not at start-up, where the spooler is slow to load.
  virtual bool PrinterListReadable() = 0;
  // The work file, "tmp$$$.bmp" in the executable's folder.
  virtual std::wstring WorkFileName() const = 0;

 protected:
  ~WindowServices() = default;
};

// Which tag is active, and the tag pages' choices the tags read.
class TagFrame {
 public:
  virtual host::ActiveTag ActiveTag() const = 0;
  // Makes `tag` the active tag and shows its track box alone; ActiveTag::None hides them all.
  virtual void SetActiveTag(host::ActiveTag tag) = 0;
  // Whether the text page's "枠付" box is ticked.
  virtual bool TextFrameChosen() const = 0;

 protected:
  ~TagFrame() = default;
};

// The Cut command's state, which the crop and the fine-adjustment dialog share, and the picture
// area's view that the drag scrolls.
class CropView {
 public:
  virtual host::CropState CropState() const = 0;
  virtual void SetCropState(host::CropState state) = 0;
  // The crop rectangle and the band shown in the picture.
  virtual CropFrame& Crop() = 0;
  // The picture's cursor and context menu: the crosshair and the picture menu once a crop is
  // armed (true), the arrow and no menu once it has ended (false).
  virtual void SetPictureCropMode(bool cropping) = 0;
  // The size of the picture area's visible part.
  virtual SIZE PictureAreaSize() const = 0;
  // Scrolls the picture area by whole pixels, as far as its scroll ranges allow.
  virtual void ScrollPictureBy(int dx, int dy) = 0;

 protected:
  ~CropView() = default;
};

}  // namespace host
