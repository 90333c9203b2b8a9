#pragma once
// The fine-adjustment dialog Form3 (TForm3, "微調整"), shown when a crop drag ends: its arrows
// move each edge of the crop rectangle one pixel at a time, with the band in the picture following
// every step, and scroll the picture area; the panels show the rectangle's width and height. OK
// takes the rectangle, Cancel (Escape, the close box) abandons the crop.

#include <windows.h>

#include "edit/CropGeometry.h"
#include "host/Roles.h"
#include "win/Handles.h"
#include "win/ModalDialog.h"

namespace edit {

class TForm3 : public win::ModalDialog {
 public:
  // The dialog's controls, by the names of its layout.
  enum ControlId {
    Label1 = 101,
    Panel2,
    Label2,
    Panel3,
    Panel1,
    UpDown1,
    UpDown2,
    UpDown3,
    UpDown4,
    UpDown5,
    UpDown6,
  };

  // The dialog for the crop rectangle in crop.Crop(), whose band is shown in the picture.
  TForm3(host::PictureHost& picture, host::WindowServices& window, host::CropView& crop)
      : ModalDialog(window.Prompts()), picture_(picture), window_(window), crop_(crop) {}

  // Shows the dialog at the main window's top and 100 pixels right of its left edge. Returns
  // true for OK; the crop rectangle is then not empty. The rectangle and the band always agree.
  bool Execute();
  // Ends the open dialog as its Cancel button does, once the message being handled returns: for
  // a handler that runs while it is open and ends the crop.
  void Cancel() { End(IDCANCEL); }

 private:
  // FormCreate: the controls, and the size panels for the rectangle after the drag.
  void OnCreate() override;
  bool OnCommand(int id, int notification, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

  // The arrows' handlers: edges 1 top, 2 right, 3 bottom, 4 left; 5 and 6 scroll.
  void UpDown1Click(Arrow arrow) { StepEdgeAndRedraw(CropEdge::Top, arrow); }
  void UpDown2Click(Arrow arrow) { StepEdgeAndRedraw(CropEdge::Right, arrow); }
  void UpDown3Click(Arrow arrow) { StepEdgeAndRedraw(CropEdge::Bottom, arrow); }
  void UpDown4Click(Arrow arrow) { StepEdgeAndRedraw(CropEdge::Left, arrow); }
  void UpDown5Click(Arrow arrow);
  void UpDown6Click(Arrow arrow);
  void StepEdgeAndRedraw(CropEdge edge, Arrow arrow);
  // Erases the shown band, makes the crop rectangle the shown band, draws it and shows its size.
  void RedrawBand();
  void ShowSize();
  // An arrow control was clicked: the sign of its position tells which arrow, then it is reset,
  // so every click is one step whatever step the control made.
  void UpDownClicked(HWND upDown);

  host::PictureHost& picture_;
  host::WindowServices& window_;
  host::CropView& crop_;
  win::UniqueFont boldFont_;
  win::UniqueBrush navy_;
};

}  // namespace edit
