#pragma once
// The four tags that are drawn over the picture and embedded into it: text, shape, icon and image.

#include "host/FormHost.h"

namespace tags {

enum class TagKind { Icon, Memo, Image, Shape };

class TagSet {
 public:
  explicit TagSet(host::FormHost& host) : host_(host) {}

  // A tag page's "表示" button: refused while no picture is present.
  void Show(TagKind kind);

 private:
  host::FormHost& host_;
};

}  // namespace tags
