#include "edit/Resizing.h"

namespace edit {

void Resizing::Resize() {
  if (host_.PictureState() != 2) host_.Refuse();
}

}  // namespace edit
