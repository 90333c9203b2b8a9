#include "edit/Cropping.h"

namespace edit {

void Cropping::Cut() {
  if (host_.PictureState() != 2) host_.Refuse();
}

}  // namespace edit
