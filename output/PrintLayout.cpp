#include "output/PrintLayout.h"

#include <cmath>

namespace output {
namespace {

// The nearest integer, a half going to the even neighbour (151.5 -> 152, 12.5 -> 12).
int64_t Nearest(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

}  // namespace

PrintRect ComputePrintRect(int width, int height, const PrintOptions& options, int pageWidth) {
  PrintRect rect{options.left, options.top, 0, 0};
  if (options.manual != 0) {
    rect.right = rect.left + Nearest(static_cast<double>(int64_t{width} * options.multi) / 100.0);
    rect.bottom = rect.top + Nearest(static_cast<double>(int64_t{height} * options.multi) / 100.0);
  } else {
    rect.right = pageWidth;
    rect.bottom = width > 0 ? Nearest(pageWidth * (static_cast<double>(height) / width)) : 0;
  }
  return rect;
}

}  // namespace output
