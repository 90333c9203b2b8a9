// Times the PNG writer of Save as PNG on a 3840 x 2160 screen shot, built as each Windows build
// compiles the program: scripts/bench-wine runs the 64-bit and the 32-bit build (the latter in
// Wine's WoW64 mode) on the same machine and prints their ratio. Prints the fastest of the runs, in
// milliseconds, as "png-save <ms>".
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

#include "bench/TestPictures.h"
#include "core/PngCodec.h"

int wmain(int argc, wchar_t** argv) {
  const int runs = argc > 1 ? std::max(1, _wtoi(argv[1])) : 5;
  const core::Dib picture = bench::MakeScreenshot(3840, 2160);
  LARGE_INTEGER frequency;
  QueryPerformanceFrequency(&frequency);
  double best = 1e30;
  size_t bytes = 0;
  for (int i = 0; i < runs; ++i) {
    LARGE_INTEGER start, end;
    QueryPerformanceCounter(&start);
    const std::vector<uint8_t> png = core::EncodePng(picture);
    QueryPerformanceCounter(&end);
    bytes = png.size();
    best = std::min(best, static_cast<double>(end.QuadPart - start.QuadPart) * 1e3 /
                              static_cast<double>(frequency.QuadPart));
  }
  std::printf("png-save %.1f (%zu bytes, %d-bit build)\n", best, bytes,
              static_cast<int>(sizeof(void*) * 8));
  return 0;
}
