#pragma once
// What the subsystems (acquire, plugins, edit, tags, output) may ask of the main window. The main
// window implements it; a subsystem object is built with a reference to it and reaches the window
// through nothing else, so the subsystems never see the window's controls or each other.

#include <windows.h>

#include <span>
#include <string>

#include "app/Rw_ini.h"
#include "core/PictureFormats.h"
#include "host/CropFrame.h"
#include "win/Picture.h"
#include "win/Prompts.h"

namespace host {

class FormHost {
 public:
  // --- The picture ---
  // The current picture, shown by the picture control Image1. After drawing into it, call
  // RepaintPicture to show the change.
  virtual win::Picture& Picture() = 0;
  virtual void RepaintPicture() = 0;
  // Puts `picture` in place of the current one without the after-load routine: Image1 shows it
  // and takes its size; state, clipboard and window stay as they are.
  virtual void ReplacePicture(win::Picture picture) = 0;
  // Makes `picture` the current picture: Image1 takes it and its size, then the after-load routine
  // runs (picture state 2, the window fitted, a copy on the clipboard, 24 bits per pixel).
  virtual void InstallPicture(win::Picture picture) = 0;
  // 0 start picture, 1 capture pending, 2 a picture is present.
  virtual int PictureState() const = 0;
  virtual void SetPictureState(int state) = 0;
  // The most recently chosen file path.
  virtual const std::wstring& CurrentFileName() const = 0;
  virtual void SetCurrentFileName(std::wstring fileName) = 0;
  // The registry by which picture files are decoded.
  virtual core::PictureFormats& PictureFormats() = 0;

  // --- The window ---
  // The main window: the owner of dialogs and of the clipboard.
  virtual HWND Owner() const = 0;
  // The picture pixel shown at the picture area's client (0, 0).
  virtual POINT ScrollOrigin() const = 0;
  // Shows or hides the main window together with its taskbar button.
  virtual void SetVisible(bool visible) = 0;
  virtual void SetStatusText(const std::wstring& text) = 0;
  // A long decode's progress, 0 to 100, shown on the status line. The window repaints meanwhile,
  // but no input, drop or close request is handled, so no other command can start under it.
  virtual void ShowProgress(int percent) = 0;
  // Removes the progress indication; the status text is as it was.
  virtual void EndProgress() = 0;
  // A refused command: the question beep and nothing else.
  virtual void Refuse() = 0;
  virtual win::Prompts& Prompts() = 0;
  virtual app::Settings& Settings() = 0;
  // False when the printer list cannot be read: printing is refused for the rest of the run (or
  // until the settings dialog's OK) while the stored printer choice stays. The list is read once,
  // when it is first asked for, not at start-up, where the spooler is slow to load.
  virtual bool PrinterListReadable() = 0;
  // The work file, "tmp$$$.bmp" in the executable's folder.
  virtual std::wstring WorkFileName() const = 0;

  // --- The tags ---
  // The tag whose track box is shown and on which the tag menu acts: 1 icon, 2 text, 3 shape,
  // 4 image; any other value means none.
  virtual int ActiveTag() const = 0;
  virtual void SetActiveTag(int tag) = 0;
  // Shows the active tag's track box and hides the others.
  virtual void UpdateTrackBoxes() = 0;
  // Whether the text page's "枠付" box is ticked.
  virtual bool TextFrameChosen() const = 0;

  // --- Cropping ---
  // Shows drawing done in place within these areas of the picture (pixels, right and bottom
  // exclusive) with the window's next paint.
  virtual void InvalidatePicture(std::span<const RECT> areas) = 0;
  // The size of the picture area's visible part.
  virtual SIZE PictureAreaSize() const = 0;
  // Scrolls the picture area by whole pixels, as far as its scroll ranges allow.
  virtual void ScrollPictureBy(int dx, int dy) = 0;
  // The Cut command's state: 0 idle, 1 armed (waiting for a press on the picture), 2 dragging.
  virtual int CropState() const = 0;
  virtual void SetCropState(int state) = 0;
  // The crop rectangle and the band shown in the picture.
  virtual CropFrame& Crop() = 0;
  // The picture's cursor and context menu: the crosshair and the picture menu once a crop is
  // armed (true), the arrow and no menu once it has ended (false).
  virtual void SetPictureCropMode(bool cropping) = 0;
  // Writes the status line as SetStatusText does, but when the status line next paints: for a text
  // that changes with every pointer move, which would otherwise repaint the line at every move.
  virtual void SetStatusTextLater(const std::wstring& text) = 0;

 protected:
  ~FormHost() = default;
};

}  // namespace host
