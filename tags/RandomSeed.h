#pragma once
// Seeds for the mosaic's noise.

#include <cstdint>
#include <functional>

namespace tags {

// Where the mosaic takes a fresh seed each time it is shown.
using SeedSource = std::function<uint64_t()>;

// 64 bits from the system's cryptographic random source (RtlGenRandom), which no one can predict
// from earlier seeds or from the picture. Throws core::Error when the system gives none.
uint64_t SystemRandomSeed();

}  // namespace tags
