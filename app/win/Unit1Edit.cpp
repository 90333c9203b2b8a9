// The main window's side of the tags: the surface over the picture that carries the tags and their
// track boxes, the picture's mouse, and the host operations the tags use.
#include <windows.h>

#include <memory>

#include "app/win/CommandIds.h"
#include "app/win/Unit1.h"
#include "win/controls/Image.h"

namespace app {

void TForm1::CreateEditSupport() {
  pictureSurface_ = std::make_unique<win::controls::GraphicSurface>(controls_.ScrollBox1);
  pictureSurface_->AddUnderlay(controls_.Image1);
  tags_.CreateControls(*pictureSurface_, controls_.PopupMenu2);
  win::controls::ImageMouseEvents events;
  events.OnMouseDown = [this](win::controls::MouseButton button, POINT at) {
    Run([&] { Image1MouseDown(button, at); });
  };
  win::controls::SetImageMouseEvents(controls_.Image1, std::move(events));
}

// --- The tags ---

void TForm1::SetPicture(win::Picture picture) {
  picture_ = std::move(picture);
  win::controls::UpdateImage(controls_.Image1);
}

bool TForm1::TextFrameChosen() const {
  return IsDlgButtonChecked(controls_.TabSheet2, ids::CheckBox1) == BST_CHECKED;
}

}  // namespace app
