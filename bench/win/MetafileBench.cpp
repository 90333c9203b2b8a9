// metafile_bench: times GDI drawing metafiles into a 200 x 200 picture through the program's own
// off-screen player, beside the validator's work estimate, one family of cases per cost the
// estimate counts. The estimate must stay above the time ("est/real" at least 1), or a metafile
// could pass the check and still keep the window waiting; far above, and sound metafiles are
// refused. The constants in core/MetafileWork.cpp come from these figures.
//
//   wine64 build/win64/bench/win/metafile_bench.exe [NAME-PREFIX]
//
// Each case is played three times: the first play counts, as a window's first paint of a metafile
// pays for the glyphs and fonts GDI then keeps. Lines ending in "LOW" are cases whose estimate fell
// below it. The machine may be shared: run it at a high priority (nice -n -10) and twice.
#include <windows.h>

#include <cmath>
#include <cstdio>
#include <functional>
#include <limits>
#include <random>
#include <string>
#include <vector>

#include "core/MetafileValidator.h"
#include "tests/metafiles/MetafileForge.h"
#include "win/BitmapDc.h"
#include "win/Handles.h"
#include "win/MetafilePlayer.h"
#include "win/Picture.h"

namespace {

constexpr int kSize = 200;

double Now() {
  LARGE_INTEGER frequency, counter;
  QueryPerformanceFrequency(&frequency);
  QueryPerformanceCounter(&counter);
  return static_cast<double>(counter.QuadPart) * 1000.0 / static_cast<double>(frequency.QuadPart);
}

double Estimate(const forge::Bytes& bytes, core::MetafileKind kind) {
  core::MetafileLimits limits;
  limits.width = limits.height = kSize;
  limits.maxWork = std::numeric_limits<double>::infinity();
  return core::ValidateMetafile(bytes, kind, limits).work / 1e6;
}

struct Timing {
  double first = 0;  // the first play: it pays for what GDI then keeps (glyphs, fonts)
  double best = 0;   // the fastest of the plays
};

// Plays into a picture, three times unless the first takes seconds; in milliseconds.
Timing Play(const forge::Bytes& bytes, core::MetafileKind kind) {
  const core::MetafileReport report = core::ValidateMetafile(
      bytes, kind, {kSize, kSize, false, std::numeric_limits<double>::infinity()});
  const uint8_t* data = bytes.data() + report.offset;
  const auto size = static_cast<UINT>(report.length);
  win::UniqueMetaFile wmf;
  win::UniqueEnhMetaFile emf;
  if (kind == core::MetafileKind::Enhanced) {
    emf.reset(SetEnhMetaFileBits(size, data));
  } else {
    wmf.reset(SetMetaFileBitsEx(size, data));
  }
  Timing timing;
  for (int run = 0; run < 3 && timing.first < 2000; ++run) {
    win::Picture picture = win::Picture::Create({kSize, kSize, 24});
    win::BitmapDc dc(picture.Bitmap());
    const RECT bounds{0, 0, kSize, kSize};
    const double start = Now();
    if (emf) {
      win::PlayEnhancedMetafile(dc.get(), bounds, SIZE{kSize, kSize}, emf.get());
    } else {
      win::PlayPlaceableMetafile(dc.get(), bounds, SIZE{kSize, kSize}, wmf.get(),
                                 core::PlaceableHeader{0, 0, 1000, 1000, 1440});
    }
    GdiFlush();
    const double time = Now() - start;
    if (run == 0) timing.first = timing.best = time;
    timing.best = std::min(timing.best, time);
  }
  return timing;
}

struct Case {
  std::string name;
  core::MetafileKind kind;
  std::function<forge::Bytes()> build;
};

std::vector<int> Random(int count, int low, int high, uint32_t seed) {
  std::mt19937 random(seed);
  std::vector<int> v(static_cast<size_t>(count));
  for (int& x : v) x = low + static_cast<int>(random() % static_cast<uint32_t>(high - low));
  return v;
}

forge::Bytes Placeable(const forge::Wmf& w) { return w.Placeable(0, 0, 1000, 1000); }

std::vector<Case> Cases() {
  using K = core::MetafileKind;
  std::vector<Case> cases;
  auto wmf = [&](std::string name, std::function<void(forge::Wmf&)> fill) {
    cases.push_back({std::move(name), K::Placeable, [fill] {
                       forge::Wmf w(8);
                       fill(w);
                       return Placeable(w);
                     }});
  };
  auto emf = [&](std::string name, std::function<void(forge::Emf&)> fill) {
    cases.push_back({std::move(name), K::Enhanced, [fill] {
                       forge::Emf e(8);
                       fill(e);
                       return e.Build();
                     }});
  };
  for (int n : {20000, 100000}) {
    wmf("records " + std::to_string(n), [n](forge::Wmf& w) {
      for (int i = 0; i < n; ++i) w.Add(0x0102, {1});
    });
  }
  for (int n : {1000, 5000}) {
    wmf("full rectangles " + std::to_string(n), [n](forge::Wmf& w) {
      w.Brush(0, 0xFF).Select(0);
      for (int i = 0; i < n; ++i) w.Rectangle(0, 0, 1000, 1000);
    });
    wmf("full ellipses " + std::to_string(n / 2), [n](forge::Wmf& w) {
      w.Brush(0, 0xFF).Select(0);
      for (int i = 0; i < n / 2; ++i) w.Ellipse(0, 0, 1000, 1000);
    });
  }
  wmf("small rectangles 20000", [](forge::Wmf& w) {
    for (int i = 0; i < 20000; ++i) w.Rectangle(i % 900, i % 800, i % 900 + 50, i % 800 + 50);
  });
  for (int ext : {100, 10}) {
    wmf("ellipse +-32767 window " + std::to_string(ext),
        [ext](forge::Wmf& w) { w.WindowExt(ext, ext).Ellipse(-32767, -32767, 32767, 32767); });
    wmf("arc +-32767 window " + std::to_string(ext), [ext](forge::Wmf& w) {
      w.WindowExt(ext, ext).Add(0x0817, {0, 1, 0, 1, 32767, 32767, -32767, -32767});
    });
  }
  for (int n : {500, 1000, 2000}) {
    wmf("polygon random in box " + std::to_string(n), [n](forge::Wmf& w) {
      w.Brush(0, 0xFF).Select(0).Polygon(Random(2 * n, 0, 1000, uint32_t(n)));
    });
  }
  for (int n : {250, 500, 1000}) {
    wmf("polygon random huge " + std::to_string(n), [n](forge::Wmf& w) {
      w.Brush(0, 0xFF).Select(0).Polygon(Random(2 * n, -32767, 32767, uint32_t(n)));
    });
  }
  for (int n : {8000, 30000}) {
    wmf("polygon circle " + std::to_string(n), [n](forge::Wmf& w) {
      std::vector<int> xy;
      for (int i = 0; i < n; ++i) {
        const double a = 6.2831853 * i / n;
        xy.push_back(500 + int(400 * std::cos(a)));
        xy.push_back(500 + int(400 * std::sin(a)));
      }
      w.Brush(0, 0xFF).Select(0).Polygon(xy);
    });
    wmf("polyline random huge " + std::to_string(n), [n](forge::Wmf& w) {
      std::vector<int> xy = Random(2 * n, -32767, 32767, 7);
      std::vector<int> params = {n};
      params.insert(params.end(), xy.begin(), xy.end());
      w.Add(0x0325, params);
    });
  }
  for (int width : {50, 500, 5000}) {
    wmf("wide pen polyline 100 width " + std::to_string(width / 5) + "px", [width](forge::Wmf& w) {
      std::vector<int> xy = Random(200, 0, 1000, 9);
      std::vector<int> params = {100};
      params.insert(params.end(), xy.begin(), xy.end());
      w.Pen(0, width, 0).Select(0).Add(0x0325, params);
    });
    wmf("wide pen ellipse width " + std::to_string(width / 5) + "px",
        [width](forge::Wmf& w) { w.Pen(0, width, 0).Select(0).Ellipse(100, 100, 900, 900); });
  }
  wmf("wide pen ellipse width 6553px",
      [](forge::Wmf& w) { w.Pen(0, 32767, 0).Select(0).Ellipse(0, 0, 500, 500); });
  for (double length : {1e6, 1e7, 1e8}) {
    emf("dotted line " + std::to_string(int(length)) + "px", [length](forge::Emf& e) {
      const int half = int(length / 4);
      e.Add(95, {1, 0, 0, 0, 0, 0x00000007, 1, 0, 0, 0, 2, 1, 1}).Select(1);
      e.MoveTo(-half, 50).LineTo(half, 50);
    });
  }
  for (double length : {1e5, 1e6}) {
    emf("dashed 2px geometric line " + std::to_string(int(length)) + "px", [length](forge::Emf& e) {
      const int half = int(length / 4);
      e.Add(95, {1, 0, 0, 0, 0, 0x00010001, 1, 0, 0, 0, 0}).Select(1);
      e.MoveTo(-half, 50).LineTo(half, 50);
    });
  }
  for (auto [chars, height] : {std::pair{1000, 20}, {100, 200}, {10, 1000}, {4, 3000}, {2, 6000}}) {
    wmf("text " + std::to_string(chars) + " chars " + std::to_string(height) + "px",
        [chars, height](forge::Wmf& w) {
          std::string text;
          for (int i = 0; i < chars; ++i) text.push_back(char('A' + i % 26));
          w.Font(-height * 5).Select(0).Text(0, 0, text);
        });
    wmf("text " + std::to_string(chars) + " chars " + std::to_string(height * 10) + "px",
        [chars, height](forge::Wmf& w) {
          std::string text;
          for (int i = 0; i < chars; ++i) text.push_back(char('a' + i % 26));
          w.WindowExt(100, 100).Font(-height * 5).Select(0).Text(0, 0, text);
        });
  }
  wmf("200 fonts of their own size", [](forge::Wmf& w) {
    for (int i = 0; i < 200; ++i) w.Font(-(50 + i)).Select(0).Text(i * 4, i * 4, "Ab").Delete(0);
  });
  for (int side : {1000, 2000}) {
    wmf("stretchdib " + std::to_string(side),
        [side](forge::Wmf& w) { w.StretchDib(0, 0, 1000, 1000, side, side, 0x336699); });
    emf("stretchdibits " + std::to_string(side),
        [side](forge::Emf& e) { e.StretchDib(0, 0, 100, 100, side, side, 0x336699); });
  }
  wmf("flood fills 20", [](forge::Wmf& w) {
    for (int i = 0; i < 20; ++i) w.Add(0x0419, {0, 0, 500, 500});
  });
  for (int bands : {100, 400}) {
    wmf("region " + std::to_string(bands) + " bands filled", [bands](forge::Wmf& w) {
      std::vector<int> params = {0, 6, 0, 0, 0, bands, 2, 0, 0, 1000, 1000};
      for (int b = 0; b < bands; ++b) {
        params.insert(params.end(), {2, b * 2, b * 2 + 1, b, 1000 - b, 2});
      }
      w.Brush(0, 0xFF).Add(0x06FF, params).Add(0x0228, {1, 0});
    });
  }
  for (int rects : {200, 1000}) {
    emf("clip region " + std::to_string(rects) + " rects then 100 rectangles",
        [rects](forge::Emf& e) {
          std::vector<uint32_t> data = {uint32_t(32 + 16 * rects), 5, 32, 1,   uint32_t(rects),
                                        uint32_t(16 * rects),      0, 0,  200, 200};
          for (int r = 0; r < rects; ++r) {
            const uint32_t x = uint32_t(r % 20) * 10, y = uint32_t(r / 20) * 4;
            data.insert(data.end(), {x, y, x + 5, y + 2});
          }
          e.Add(75, data).Brush(1, 0xFF).Select(1);
          for (int i = 0; i < 100; ++i) e.Rectangle(0, 0, 100, 100);
        });
  }
  wmf("exclude 50 rects then 100 rectangles", [](forge::Wmf& w) {
    for (int i = 0; i < 50; ++i) w.Add(0x0415, {i * 20 + 10, i * 20 + 10, i * 20, i * 20});
    for (int i = 0; i < 100; ++i) w.Rectangle(0, 0, 1000, 1000);
  });
  wmf("savedc and restoredc 10000", [](forge::Wmf& w) {
    for (int i = 0; i < 10000; ++i) w.Add(0x001E, {}).Add(0x0127, {0xFFFF});
  });
  emf("beziers 3001 points huge", [](forge::Emf& e) {
    std::vector<int> xy = Random(6002, -30000, 30000, 11);
    forge::Bytes points;
    for (int v : xy) points.push_back(uint8_t(v)), points.push_back(uint8_t(v >> 8));
    e.AddWithBytes(85, {0, 0, 0, 0, 3001}, points);
  });
  emf("path of 50 random polygons filled", [](forge::Emf& e) {
    e.Add(59, {});
    for (int p = 0; p < 50; ++p) e.Polygon16(Random(200, 0, 100, uint32_t(p)));
    e.Add(60, {}).Add(62, {0, 0, 0, 0});
  });
  emf("path widened with a 50px pen", [](forge::Emf& e) {
    e.Add(95, {1, 0, 0, 0, 0, 0x00010000, 25, 0, 0, 0, 0}).Select(1).Add(59, {});
    std::vector<int> xy = Random(200, 0, 100, 13);
    forge::Bytes points;
    for (int v : xy) points.push_back(uint8_t(v)), points.push_back(uint8_t(v >> 8));
    e.AddWithBytes(87, {0, 0, 0, 0, 100}, points);
    e.Add(60, {}).Add(66, {}).Add(62, {0, 0, 0, 0});
  });
  emf("gradient 100 full rectangles", [](forge::Emf& e) {
    std::vector<uint32_t> fields = {0, 0, 0, 0, 2, 100, 0, 0, 0, 0, 0, 100, 100, 0xFF00, 0xFF00};
    for (int i = 0; i < 100; ++i) fields.insert(fields.end(), {0, 1});
    e.Add(118, fields);
  });
  return cases;
}

}  // namespace

int wmain(int argc, wchar_t** argv) {
  std::string only;
  for (const wchar_t* c = argc > 1 ? argv[1] : L""; *c; ++c) only.push_back(char(*c));
  // What GDI does once per process (fonts, text, bitmaps, wide pens) is done before timing.
  for (const forge::Sound& file : forge::SoundMetafiles()) {
    if (file.kind != core::MetafileKind::Windows) Play(file.bytes, file.kind);
  }
  std::printf("%-46s %10s %10s %10s %8s\n", "case", "est ms", "first ms", "best ms", "est/first");
  for (const Case& c : Cases()) {
    if (c.name.rfind(only, 0) != 0) continue;
    const forge::Bytes bytes = c.build();
    const double estimate = Estimate(bytes, c.kind);
    const Timing real = Play(bytes, c.kind);
    std::printf("%-46s %10.2f %10.2f %10.2f %8.2f%s\n", c.name.c_str(), estimate, real.first,
                real.best, estimate / real.first, estimate < real.first ? " LOW" : "");
    std::fflush(stdout);
  }
  return 0;
}
