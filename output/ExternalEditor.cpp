#include "output/ExternalEditor.h"

namespace output {

void ExternalEditor::Open() {
  if (host_.PictureState() != 2) host_.Refuse();
}

}  // namespace output
