#pragma once
// The Cut command: the user drags a rectangle over the picture (the rubber band is inverted into
// the picture itself), nudges its edges in the fine-adjustment dialog, and the selected pixels
// become the new picture. A small state machine on the window's CropState: Cut arms it, a left
// press on the picture starts the drag, the release opens the dialog and ends it.

#include "host/Roles.h"
#include "win/Picture.h"
#include "win/controls/ControlSupport.h"

namespace edit {

class TForm3;

class Cropping {
 public:
  Cropping(host::PictureHost& picture, host::WindowServices& window, host::TagFrame& frame,
           host::CropView& crop)
      : picture_(picture), window_(window), frame_(frame), crop_(crop) {}

  // mnuCutClick: arms the crop; refused without a picture. The picture is put on the clipboard
  // first; when the clipboard cannot take it, the error ends the command and nothing is armed.
  void Cut();
  // The picture control's mouse, in picture pixels (Image1MouseDown, -Move, -Up).
  void MouseDown(win::controls::MouseButton button, int x, int y);
  void MouseMove(int x, int y);
  void MouseUp(win::controls::MouseButton button, int x, int y);
  // A drag under way, its fine-adjustment dialog included, ends as Cancel ends it: the picture
  // comes back from the drag's backup without the band, and the crop is idle. For when the
  // picture control loses the mouse before the release (a menu, Alt+Tab, a dialog), and before a
  // new picture takes the current one's place, so that the backup never replaces the new picture.
  // An armed crop stays armed: its backup is taken at the press, from whatever picture is shown.
  void CancelDrag();

 private:
  // OK: the selected pixels become the picture.
  void CutOut();
  // Cancel: the picture as it was when the drag started comes back, without the band.
  void Abandon();
  // Ends the crop: the arrow and no context menu on the picture, the crop idle.
  void End();

  host::PictureHost& picture_;
  host::WindowServices& window_;
  host::TagFrame& frame_;
  host::CropView& crop_;
  // The picture as it was at the press that started the drag. Cancel restores it from here, not
  // from the clipboard, which another program may have changed meanwhile.
  win::Picture backup_;
  // The fine-adjustment dialog while it is open.
  TForm3* adjusting_ = nullptr;
};

}  // namespace edit
