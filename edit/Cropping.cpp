#include "edit/Cropping.h"

namespace edit {

void Cropping::Cut() {
  if (host_.PictureState() != 2) host_.Refuse();
}

void Cropping::MouseDown(win::controls::MouseButton, int, int) {
  host_.SetActiveTag(5);
  host_.UpdateTrackBoxes();
}

}  // namespace edit
