#pragma once
// xorshift64 for the fuzz targets' own tests: the same mutations on every run.

#include <cstddef>
#include <cstdint>

namespace fuzztest {

struct XorShiftRandom {
  uint64_t state;
  uint64_t Next() {
    state ^= state << 13;
    state ^= state >> 7;
    state ^= state << 17;
    return state;
  }
  size_t Below(size_t n) { return static_cast<size_t>(Next() % n); }
};

}  // namespace fuzztest
