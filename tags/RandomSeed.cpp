#include "tags/RandomSeed.h"

#include <windows.h>
#include <ntsecapi.h>

#include "core/Error.h"

namespace tags {

uint64_t SystemRandomSeed() {
  uint64_t seed = 0;
  if (!RtlGenRandom(&seed, sizeof seed)) {
    throw core::Error("乱数を得られません。");
  }
  return seed;
}

}  // namespace tags
