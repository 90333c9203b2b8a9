#pragma once
// Shared by the fuzz entry points and the tests that replay inputs through them.

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <span>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size);

namespace fuzz {

// What the entry points decode in full. The readers accept pictures up to the limits of
// core/Dib.h (a gigabyte of pixels), and a small file may rightly declare such a picture: pictures
// above this budget are checked up to their header only, so that a fuzzing run spends its time on
// the parsers rather than on filling memory.
inline constexpr int64_t kDecodedPixelBudget = int64_t{1} << 22;

inline bool WithinBudget(int64_t width, int64_t height) {
  return width * height <= kDecodedPixelBudget;
}

// Runs the entry point on a copy of `input` in memory of exactly its size, as libFuzzer does, so
// that ASan reports a read past the input's end; the spare capacity of a vector would hide it.
inline void RunOnExactCopy(std::span<const uint8_t> input) {
  const std::unique_ptr<uint8_t[]> copy(new uint8_t[input.size()]);
  if (!input.empty()) std::memcpy(copy.get(), input.data(), input.size());
  LLVMFuzzerTestOneInput(copy.get(), input.size());
}

}  // namespace fuzz
