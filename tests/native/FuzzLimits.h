#pragma once
// What the fuzz entry points decode in full. The readers accept pictures up to the limits of
// core/Dib.h (a gigabyte of pixels), and a small file may rightly declare such a picture: pictures
// above this budget are checked up to their header only, so that a fuzzing run spends its time on
// the parsers rather than on filling memory.

#include <cstdint>

namespace fuzz {

inline constexpr int64_t kDecodedPixelBudget = int64_t{1} << 22;

inline bool WithinBudget(int64_t width, int64_t height) {
  return width * height <= kDecodedPixelBudget;
}

}  // namespace fuzz
