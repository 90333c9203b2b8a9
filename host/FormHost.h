#pragma once
// What the subsystems (acquire, plugins, edit, tags, output) may ask of the main window. The main
// window implements it; a subsystem object is built with a reference to it and reaches the window
// through nothing else, so the subsystems never see the window's controls or each other.

#include <windows.h>

#include <string>

#include "app/Rw_ini.h"
#include "core/PictureFormats.h"
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
  // The work file, "tmp$$$.bmp" in the executable's folder.
  virtual std::wstring WorkFileName() const = 0;

 protected:
  ~FormHost() = default;
};

}  // namespace host
