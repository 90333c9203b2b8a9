#include "output/Printing.h"

namespace output {

void Printing::Print() {
  if (host_.PictureState() != 2 || host_.Settings().printNum == -1) host_.Refuse();
}

}  // namespace output
