#include "tags/TagSet.h"

namespace tags {

void TagSet::Show(TagKind) {
  if (host_.PictureState() != 2) host_.Refuse();
}

}  // namespace tags
