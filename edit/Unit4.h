#pragma once
// TForm4, the resize dialog "リサイズ": a preview of the picture that keeps its proportions and
// whose size is the size the picture will get. The user sizes it by resizing the dialog, or by a
// number of pixels for the width or the height and the specified-resize button. The radio buttons
// and the number are written to the settings as soon as they change, so they stay when the
// dialog is cancelled.

#include <windows.h>

#include <optional>

#include "edit/Resample.h"
#include "host/Settings.h"
#include "win/Handles.h"
#include "win/ModalDialog.h"
#include "win/Picture.h"

namespace edit {

// What OK gives: the preview's size and the scale factor of the sampling.
struct ResizeChoice {
  PixelSize size;
  double scale = 1.0;
};

class TForm4 : public win::ModalDialog {
 public:
  // Shows the dialog for `picture`; nothing when it is cancelled. Reads and writes the
  // Resize/Mode and Resize/Dot settings.
  static std::optional<ResizeChoice> Execute(HWND owner, win::Prompts& prompts,
                                             const core::Dib& picture, host::Settings& settings);

 private:
  TForm4(win::Prompts& prompts, const core::Dib& picture, host::Settings& settings);

  void OnCreate() override;
  bool OnCommand(int id, int notification, HWND control) override;
  bool OnMessage(UINT message, WPARAM wParam, LPARAM lParam, INT_PTR& result) override;

  void FormResize();
  void RadioButton1Click();
  void UpDown1Click();
  void BitBtn3Click();
  void BitBtn1Click();
  // The number in the box, held to 1 .. 2048. A number outside that range, or text that is no
  // number, is refused with the question beep; the box then shows the number taken instead.
  int BoxPixels();
  PixelSize PreviewAreaSize() const;

  host::Settings& settings_;
  win::Picture preview_;  // the picture in 24 bits per pixel, which the preview stretches
  win::UniqueBitmap glyphs_;
  ResizeChoice choice_;
  HWND Panel1 = nullptr;
  HWND Panel2 = nullptr;
  HWND Image1 = nullptr;
  HWND Edit1 = nullptr;
  HWND UpDown1 = nullptr;
  HWND BitBtn1 = nullptr;
  HWND BitBtn2 = nullptr;
  HWND ToolTips = nullptr;
};

}  // namespace edit
