// capslate_bench: our BMP, conversion, JPEG, PNG and mosaic code against the bound each one chases,
// measured in the same run on the same pixels. Run by hand (about half a minute); it takes Google
// Benchmark's flags, e.g. --benchmark_filter=jpeg or --benchmark_repetitions=9.

#include <benchmark/benchmark.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "bench/Pairs.h"
#include "bench/PngBench.h"
#include "bench/RawJpeg.h"
#include "bench/TestPictures.h"
#include "core/BmpCodec.h"
#include "core/Convert24.h"
#include "core/JpegCodec.h"
#include "edit/Resample.h"
#include "tags/Mosaic.h"

namespace {

constexpr int kWidth = 3840;
constexpr int kHeight = 2160;
constexpr int kQuality = 60;

// Everything the benchmarks read or write, made before any timing. The destinations are allocated
// and filled here, so no timed call pays for touching fresh pages except where our own functions
// allocate their result, which is part of what they cost.
struct Inputs {
  core::Dib screenshot = bench::MakeScreenshot(kWidth, kHeight);
  core::Dib photo = bench::MakePhoto(kWidth, kHeight);
  core::Dib screenshot32 = bench::To32(screenshot);
  core::Dib screenshot8 = bench::ToPalette8(screenshot);
  std::vector<uint8_t> bmp = core::WriteBmp(screenshot);
  std::vector<uint8_t> jpegScreenshot = core::EncodeJpeg(screenshot, kQuality);
  std::vector<uint8_t> jpegPhoto = core::EncodeJpeg(photo, kQuality);
  core::Dib dst24{kWidth, kHeight, 24};                          // ConvertTo24 and the raw decoder
  std::vector<uint8_t> copy = std::vector<uint8_t>(bmp.size());  // the memory copies
  std::vector<uint8_t> jpegOut = std::vector<uint8_t>(screenshot.ImageSize());  // raw encoder
  // The resizes' results, and the memory copies of their size that bound them.
  core::Dib half{kWidth / 2, kHeight / 2, 24};
  core::Dib twice{kWidth * 2, kHeight * 2, 24};
  std::vector<uint8_t> halfCopy = std::vector<uint8_t>(half.ImageSize());
  std::vector<uint8_t> doubleCopy = std::vector<uint8_t>(twice.ImageSize());
  // The mosaic's picture, and the picture its region is copied into.
  core::Dib mosaic = screenshot.Clone();
  core::Dib mosaicCopy = screenshot.Clone();
};

// The 1000 x 1000 region of a mosaic, away from the picture's edges.
constexpr tags::PixelRect kMosaicRegion{1001, 501, 2001, 1501};

void Require(bool ok, const char* what) {
  if (ok) return;
  std::fprintf(stderr, "capslate_bench: check failed: %s\n", what);
  std::exit(1);
}

bool SamePixels(const core::Dib& a, const core::Dib& b) {
  return a.Width() == b.Width() && a.Height() == b.Height() && a.BitCount() == b.BitCount() &&
         std::memcmp(a.Bits(), b.Bits(), a.ImageSize()) == 0;
}

bool SameBytes(const std::vector<uint8_t>& a, const uint8_t* b, size_t size) {
  return a.size() == size && std::memcmp(a.data(), b, size) == 0;
}

// Each function and its bound must do the same work: same pixels in, same bytes out.
void CheckSameWork(Inputs& in) {
  Require(SamePixels(core::ReadBmp(in.bmp), in.screenshot), "ReadBmp returns what WriteBmp wrote");

  core::ConvertTo24(in.screenshot32, in.dst24);
  Require(SamePixels(in.dst24, in.screenshot), "32 -> 24 bpp gives back the screenshot");
  core::ConvertTo24(in.screenshot8, in.dst24);
  bool paletteOk = true;
  for (int y = 0; y < kHeight; ++y) {
    const uint8_t* index = in.screenshot8.Row(y);
    const uint8_t* bgr = in.dst24.Row(y);
    for (int x = 0; x < kWidth; ++x, bgr += 3) {
      const core::RgbQuad& entry = in.screenshot8.Palette()[index[x]];
      paletteOk &= bgr[0] == entry.blue && bgr[1] == entry.green && bgr[2] == entry.red;
    }
  }
  Require(paletteOk, "8 -> 24 bpp gives each pixel its palette colour");

  for (const auto& [picture, jpeg] :
       {std::pair{&in.screenshot, &in.jpegScreenshot}, std::pair{&in.photo, &in.jpegPhoto}}) {
    const size_t size = bench::RawEncodeJpeg(*picture, kQuality, in.jpegOut);
    Require(SameBytes(*jpeg, in.jpegOut.data(), size), "EncodeJpeg writes what libjpeg writes");
    bench::RawDecodeJpeg(*jpeg, in.dst24);
    Require(SamePixels(core::DecodeJpeg(*jpeg), in.dst24), "DecodeJpeg reads what libjpeg reads");
  }
}

void RegisterAll(Inputs& in) {
  // A memory copy of `size` bytes of `from` into a buffer that was allocated and touched already.
  auto copy = [&in](const uint8_t* from, size_t size) {
    return [&in, from, size] {
      std::memcpy(in.copy.data(), from, size);
      benchmark::DoNotOptimize(in.copy.data());
      benchmark::ClobberMemory();
    };
  };
  // What WriteBmp, ReadBmp and DecodeJpeg allocate for their result, alone.
  auto allocateFile = [&in] {
    std::vector<uint8_t> file(in.bmp.size());  // zero-filled, as WriteBmp makes it
    benchmark::DoNotOptimize(file.data());
    benchmark::ClobberMemory();
  };
  auto allocateDib = [] {
    core::Dib dib(kWidth, kHeight, 24);
    benchmark::DoNotOptimize(dib.Bits());
    benchmark::ClobberMemory();
  };

  bench::AddPair(
      "bmp_write", 2.0,
      [&in] {
        std::vector<uint8_t> file = core::WriteBmp(in.screenshot);
        benchmark::DoNotOptimize(file.data());
      },
      copy(in.bmp.data(), in.bmp.size()), allocateFile);

  bench::AddPair(
      "bmp_read", 2.0,
      [&in] {
        core::Dib dib = core::ReadBmp(in.bmp);
        benchmark::DoNotOptimize(dib.Bits());
      },
      copy(in.bmp.data(), in.bmp.size()), allocateDib);

  for (const core::Dib* src : {&in.screenshot32, &in.screenshot8}) {
    bench::AddPair(
        "convert_" + std::to_string(src->BitCount()) + "_to_24", 2.0,
        [&in, src] {
          core::ConvertTo24(*src, in.dst24);
          benchmark::DoNotOptimize(in.dst24.Bits());
          benchmark::ClobberMemory();
        },
        copy(in.screenshot.Bits(), in.dst24.ImageSize()));
  }

  // Resizing to half and to double size, into a picture that exists already, against one memory
  // copy of the result's size.
  struct Resize {
    const char* name;
    core::Dib& target;
    std::vector<uint8_t>& bound;
  };
  for (const Resize& r : {Resize{"resize_to_half", in.half, in.halfCopy},
                          Resize{"resize_to_double", in.twice, in.doubleCopy}}) {
    const double scale = static_cast<double>(kHeight) / r.target.Height();
    bench::AddPair(
        r.name, 2.0,
        [&in, &target = r.target, scale] {
          edit::Resample(in.screenshot, target, scale);
          benchmark::DoNotOptimize(target.Bits());
          benchmark::ClobberMemory();
        },
        [&bound = r.bound, &target = r.target] {
          std::memcpy(bound.data(), target.Bits(), bound.size());
          benchmark::DoNotOptimize(bound.data());
          benchmark::ClobberMemory();
        });
  }

  // A mosaic embedded over a 1000 x 1000 region (the region's mean, then its blocks) against a
  // memory copy of the region's rows.
  bench::AddPair(
      "mosaic_1000x1000", 2.0,
      [&in] {
        const auto mean = tags::MeanColour(in.mosaic, kMosaicRegion);
        tags::WriteMosaic(in.mosaic, kMosaicRegion, kMosaicRegion.left, kMosaicRegion.top, 16,
                          *mean, 1);
        benchmark::DoNotOptimize(in.mosaic.Bits());
        benchmark::ClobberMemory();
      },
      [&in] {
        const size_t offset = static_cast<size_t>(kMosaicRegion.left) * 3;
        const size_t bytes = static_cast<size_t>(kMosaicRegion.Width()) * 3;
        for (int y = kMosaicRegion.top; y < kMosaicRegion.bottom; ++y) {
          std::memcpy(in.mosaicCopy.Row(y) + offset, in.mosaic.Row(y) + offset, bytes);
        }
        benchmark::DoNotOptimize(in.mosaicCopy.Bits());
        benchmark::ClobberMemory();
      });

  struct Picture {
    const char* name;
    const core::Dib& dib;
    const std::vector<uint8_t>& jpeg;
  };
  for (const Picture& p : {Picture{"screenshot", in.screenshot, in.jpegScreenshot},
                           Picture{"photo", in.photo, in.jpegPhoto}}) {
    bench::AddPair(
        std::string("jpeg_encode_") + p.name, 1.10,
        [&dib = p.dib] {
          std::vector<uint8_t> file = core::EncodeJpeg(dib, kQuality);
          benchmark::DoNotOptimize(file.data());
        },
        [&in, &dib = p.dib] {
          benchmark::DoNotOptimize(bench::RawEncodeJpeg(dib, kQuality, in.jpegOut));
        });
    bench::AddPair(
        std::string("jpeg_decode_") + p.name, 1.10,
        [&jpeg = p.jpeg] {
          core::Dib dib = core::DecodeJpeg(jpeg);
          benchmark::DoNotOptimize(dib.Bits());
        },
        [&in, &jpeg = p.jpeg] {
          bench::RawDecodeJpeg(jpeg, in.dst24);
          benchmark::DoNotOptimize(in.dst24.Bits());
          benchmark::ClobberMemory();
        },
        allocateDib);
  }
}

}  // namespace

int main(int argc, char** argv) {
  // Our defaults come first so that the same flags on the command line override them. The
  // repetitions of all pairs run in random order, spreading each pair over the whole run.
  std::vector<char*> args{argv[0]};
  std::string defaults[] = {"--benchmark_repetitions=5", "--benchmark_min_time=0.5",
                            "--benchmark_enable_random_interleaving=true"};
  for (std::string& flag : defaults) args.push_back(flag.data());
  args.insert(args.end(), argv + 1, argv + argc);
  int count = static_cast<int>(args.size());
  benchmark::Initialize(&count, args.data());
  if (benchmark::ReportUnrecognizedArguments(count, args.data())) return 1;

  std::printf("Making the test pictures (%d x %d)...\n", kWidth, kHeight);
  const auto in = std::make_unique<Inputs>();
  CheckSameWork(*in);
  std::printf("BMP %zu bytes; JPEG at quality %d: screenshot %zu bytes, photo %zu bytes\n",
              in->bmp.size(), kQuality, in->jpegScreenshot.size(), in->jpegPhoto.size());
  RegisterAll(*in);
  bench::AddPngPairs(in->screenshot, in->photo);

  bench::PairReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  reporter.PrintSummary();
  benchmark::Shutdown();
  return 0;
}
