// Commands whose work comes with their own subsystems (open, print, crop, resize, external editor,
// settings dialog, tag menu). Until then each keeps the main window's rule of when it may run.
#include "app/win/Unit1.h"

namespace app {

void TForm1::mnuReadClick() {}

void TForm1::mnuPrintClick() {
  if (PictureState != 2 || settings.printNum == -1) win::Refuse(prompts_);
}

void TForm1::mnuCutClick() {
  if (PictureState != 2) win::Refuse(prompts_);
}

void TForm1::SpeedButton12Click() {
  if (PictureState != 2) win::Refuse(prompts_);
}

void TForm1::mnuExtEditClick() {
  if (PictureState != 2) win::Refuse(prompts_);
}

void TForm1::mnuSettingClick() {}
void TForm1::smnuHideClick() {}
void TForm1::smnuDrawClick() {}
void TForm1::smnuMoveClick() {}

}  // namespace app
