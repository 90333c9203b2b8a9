#include "tags/Mosaic.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <vector>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

namespace tags {
namespace {

PixelRect ClipToPicture(const core::Dib& picture, PixelRect area) {
  return Intersect(area, PixelRect{0, 0, picture.Width(), picture.Height()});
}

// The sums of the blue, green and red bytes of rows of pixels of kBytes (3 or 4) bytes.
template <int kBytes>
class ChannelSums {
 public:
  void AddRow(const uint8_t* p, int count) {
    const size_t bytes = static_cast<size_t>(count) * kBytes;
    size_t i = 0;
#if defined(__SSE2__)
    // Whole periods of the channel pattern, 48 bytes (16 pixels of 3 bytes) or 16 (4 pixels of
    // 4): every byte is widened to 16 bits and added to the lane of its place in the period, so
    // each lane holds one channel. A lane takes 256 bytes of 255 at most before it is emptied
    // into the sums. Rows start at the start of a period, so the lanes go on from row to row;
    // while a row is added they are held in registers.
    const __m128i zero = _mm_setzero_si128();
    __m128i lo0 = lanes_.v[0], hi0 = lanes_.v[1], lo1 = lanes_.v[2], hi1 = lanes_.v[3],
            lo2 = lanes_.v[4], hi2 = lanes_.v[5];
    int rounds = rounds_;
    for (; i + kPeriod <= bytes; i += kPeriod) {
      const __m128i x0 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i));
      lo0 = _mm_add_epi16(lo0, _mm_unpacklo_epi8(x0, zero));
      hi0 = _mm_add_epi16(hi0, _mm_unpackhi_epi8(x0, zero));
      if constexpr (kBytes == 3) {
        const __m128i x1 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 16));
        lo1 = _mm_add_epi16(lo1, _mm_unpacklo_epi8(x1, zero));
        hi1 = _mm_add_epi16(hi1, _mm_unpackhi_epi8(x1, zero));
        const __m128i x2 = _mm_loadu_si128(reinterpret_cast<const __m128i*>(p + i + 32));
        lo2 = _mm_add_epi16(lo2, _mm_unpacklo_epi8(x2, zero));
        hi2 = _mm_add_epi16(hi2, _mm_unpackhi_epi8(x2, zero));
      }
      if (++rounds == kRounds) {
        EmptyLanes(Lanes{{lo0, hi0, lo1, hi1, lo2, hi2}});
        lo0 = hi0 = lo1 = hi1 = lo2 = hi2 = zero;
        rounds = 0;
      }
    }
    lanes_ = Lanes{{lo0, hi0, lo1, hi1, lo2, hi2}};
    rounds_ = rounds;
#endif
    for (; i < bytes; i += kBytes) {
      sums_[0] += p[i];
      sums_[1] += p[i + 1];
      sums_[2] += p[i + 2];
    }
  }

  std::array<uint64_t, 3> Sums() {
#if defined(__SSE2__)
    EmptyLanes(lanes_);
    lanes_ = Lanes{};
    rounds_ = 0;
#endif
    return sums_;
  }

 private:
  std::array<uint64_t, 3> sums_{};
#if defined(__SSE2__)
  static constexpr size_t kPeriod = kBytes == 3 ? 48 : 16;
  static constexpr int kRounds = 256;

  // The low and high halves of each 16 bytes of a period.
  struct Lanes {
    __m128i v[6];
  };

  // Adds the lanes to the sums.
  void EmptyLanes(const Lanes& lanes) {
    alignas(16) uint16_t totals[48];
    for (size_t k = 0; k < kPeriod / 8; ++k) {
      _mm_store_si128(reinterpret_cast<__m128i*>(totals + 8 * k), lanes.v[k]);
    }
    for (size_t b = 0; b < kPeriod; ++b) {
      if (b % kBytes < 3) sums_[b % kBytes] += totals[b];
    }
  }

  Lanes lanes_{};  // zero
  int rounds_ = 0;
#endif
};

uint8_t RoundedMean(uint64_t sum, uint64_t count) {
  return static_cast<uint8_t>((sum + count / 2) / count);
}

// SplitMix64's finaliser: every input bit reaches every output bit.
uint64_t Mix(uint64_t z) {
  z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
  z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
  return z ^ (z >> 31);
}

uint8_t Clamped(int value) { return static_cast<uint8_t>(std::clamp(value, 0, 255)); }

// Writes blocks of `blockSize` counted from (gridLeft, gridTop) over the clipped `area`, each in
// the colour `colourOf(column, row)`: one row of each band of blocks is made, then copied to the
// band's other rows.
template <typename ColourOf>
void WriteBlocks(core::Dib& target, PixelRect area, int gridLeft, int gridTop, int blockSize,
                 ColourOf colourOf) {
  // A grid that starts inside the area would leave blocks of no column; nothing left of or above it
  // is written.
  area = Intersect(ClipToPicture(target, area),
                   PixelRect{gridLeft, gridTop, target.Width(), target.Height()});
  if (area.Empty() || !DirectlyEditable(target)) return;
  const size_t bytesPerPixel = static_cast<size_t>(target.BitCount() / 8);
  std::vector<uint8_t> row(static_cast<size_t>(area.Width()) * bytesPerPixel);
  for (int y = area.top; y < area.bottom;) {
    const int blockRow = (y - gridTop) / blockSize;
    const int bandEnd = std::min(area.bottom, gridTop + (blockRow + 1) * blockSize);
    for (int x = area.left; x < area.right;) {
      const int column = (x - gridLeft) / blockSize;
      const int blockEnd = std::min(area.right, gridLeft + (column + 1) * blockSize);
      const Rgb c = colourOf(column, blockRow);
      uint8_t* p = row.data() + static_cast<size_t>(x - area.left) * bytesPerPixel;
      for (int i = x; i < blockEnd; ++i, p += bytesPerPixel) {
        p[0] = c.blue;
        p[1] = c.green;
        p[2] = c.red;
        if (bytesPerPixel == 4) p[3] = 0;
      }
      x = blockEnd;
    }
    for (; y < bandEnd; ++y) {
      std::memcpy(target.Row(y) + static_cast<size_t>(area.left) * bytesPerPixel, row.data(),
                  row.size());
    }
  }
}

}  // namespace

std::optional<Rgb> MeanColour(const core::Dib& picture, PixelRect area) {
  area = ClipToPicture(picture, area);
  if (area.Empty() || !DirectlyEditable(picture)) return std::nullopt;
  auto sumRows = [&](auto sums, size_t bytesPerPixel) {
    for (int y = area.top; y < area.bottom; ++y) {
      sums.AddRow(picture.Row(y) + static_cast<size_t>(area.left) * bytesPerPixel, area.Width());
    }
    return sums.Sums();
  };
  const std::array<uint64_t, 3> sums =
      picture.BitCount() == 24 ? sumRows(ChannelSums<3>{}, 3) : sumRows(ChannelSums<4>{}, 4);
  const uint64_t count = static_cast<uint64_t>(area.Width()) * static_cast<uint64_t>(area.Height());
  return Rgb{RoundedMean(sums[2], count), RoundedMean(sums[1], count), RoundedMean(sums[0], count)};
}

Rgb MosaicBlockColour(Rgb mean, uint64_t seed, int column, int row) {
  const uint64_t block =
      (static_cast<uint64_t>(static_cast<uint32_t>(row)) << 32) | static_cast<uint32_t>(column);
  const uint64_t noise = Mix(seed + Mix(block + 0x9E3779B97F4A7C15ULL));
  const int offset = static_cast<int>(noise % (2 * kMosaicNoise + 1)) - kMosaicNoise;
  return Rgb{Clamped(mean.red + offset), Clamped(mean.green + offset), Clamped(mean.blue + offset)};
}

void WriteMosaic(core::Dib& target, PixelRect area, int gridLeft, int gridTop, int blockSize,
                 Rgb mean, uint64_t seed) {
  blockSize = std::clamp(blockSize, host::kMinMosaicBlock, host::kMaxMosaicBlock);
  WriteBlocks(target, area, gridLeft, gridTop, blockSize,
              [&](int column, int row) { return MosaicBlockColour(mean, seed, column, row); });
}

void FillArea(core::Dib& target, PixelRect area, Rgb colour) {
  // One block as wide and high as the area.
  const int size = std::max(area.Width(), area.Height());
  if (size <= 0) return;
  WriteBlocks(target, area, area.left, area.top, size, [&](int, int) { return colour; });
}

}  // namespace tags
