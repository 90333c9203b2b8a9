#include "output/PrintLayout.h"

#include <cmath>
#include <limits>
#include <string>

#include "core/Error.h"

namespace output {
namespace {

// The nearest integer, a half going to the even neighbour (151.5 -> 152, 12.5 -> 12).
int64_t Nearest(double value) { return static_cast<int64_t>(std::nearbyint(value)); }

bool FitsInt32(int64_t value) {
  return value >= std::numeric_limits<int32_t>::min() &&
         value <= std::numeric_limits<int32_t>::max();
}

void CheckPrintable(const PrintRect& rect, const PrintOptions& options) {
  const int64_t width = rect.right - rect.left;
  const int64_t height = rect.bottom - rect.top;
  if (width <= 0 || height <= 0) {
    if (options.manual != 0) {
      throw core::Error("ﾌﾟﾘﾝﾀ倍率が " + std::to_string(options.multi) +
                        "% では画像が印刷されません。設定ﾀﾞｲｱﾛｸﾞで倍率を設定し直してください。");
    }
    throw core::Error("印刷位置 (左 " + std::to_string(options.left) + ", 上 " +
                      std::to_string(options.top) +
                      ") では画像が用紙に入りません。設定ﾀﾞｲｱﾛｸﾞで位置を設定し直してください。");
  }
  for (int64_t value : {rect.left, rect.top, rect.right, rect.bottom, width, height}) {
    if (!FitsInt32(value)) {
      throw core::Error("印刷する画像が大きすぎます (" + std::to_string(width) + " x " +
                        std::to_string(height) +
                        " ドット)。設定ﾀﾞｲｱﾛｸﾞでﾌﾟﾘﾝﾀ倍率と位置を設定し直してください。");
    }
  }
}

}  // namespace

PrintRect ComputePrintRect(int width, int height, const PrintOptions& options, int pageWidth) {
  PrintRect rect{options.left, options.top, 0, 0};
  if (options.manual != 0) {
    // In 64 bits: a picture's side times a magnification of up to 2^31 stays far below 2^63.
    rect.right = rect.left + Nearest(static_cast<double>(int64_t{width} * options.multi) / 100.0);
    rect.bottom = rect.top + Nearest(static_cast<double>(int64_t{height} * options.multi) / 100.0);
  } else {
    rect.right = pageWidth;
    rect.bottom = width > 0 ? Nearest(pageWidth * (static_cast<double>(height) / width)) : 0;
  }
  CheckPrintable(rect, options);
  return rect;
}

}  // namespace output
