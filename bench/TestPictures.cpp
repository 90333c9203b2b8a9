#include "bench/TestPictures.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <numbers>
#include <vector>

namespace bench {

namespace {

struct Rgb {
  uint8_t r, g, b;
};

struct Rect {  // half-open: x0 <= x < x1, y0 <= y < y1
  int x0, y0, x1, y1;
  int Width() const { return x1 - x0; }
  int Height() const { return y1 - y0; }
  Rect Inset(int by) const { return {x0 + by, y0 + by, x1 - by, y1 - by}; }
};

// splitmix64: the same sequence on every compiler and standard library.
class Random {
 public:
  explicit Random(uint64_t seed) : state_(seed) {}
  uint64_t Next() {
    uint64_t z = (state_ += 0x9E3779B97F4A7C15ull);
    z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ull;
    z = (z ^ (z >> 27)) * 0x94D049BB133111EBull;
    return z ^ (z >> 31);
  }
  int Below(int n) { return static_cast<int>(Next() % static_cast<uint64_t>(n)); }
  float Unit() { return static_cast<float>(Next() >> 40) / static_cast<float>(1 << 24); }

 private:
  uint64_t state_;
};

uint8_t ToByte(float v) { return static_cast<uint8_t>(std::clamp(v, 0.0f, 255.0f) + 0.5f); }

// Drawing on a 24-bpp Dib in top-down coordinates, clipped to the picture.
class Canvas {
 public:
  explicit Canvas(core::Dib& dib) : dib_(dib) {}

  void Fill(Rect r, Rgb c) {
    r = Clip(r);
    for (int y = r.y0; y < r.y1; ++y) {
      uint8_t* p = dib_.Row(y) + 3 * r.x0;
      for (int x = r.x0; x < r.x1; ++x, p += 3) {
        p[0] = c.b;
        p[1] = c.g;
        p[2] = c.r;
      }
    }
  }

  void Frame(Rect r, Rgb c) {
    Fill({r.x0, r.y0, r.x1, r.y0 + 1}, c);
    Fill({r.x0, r.y1 - 1, r.x1, r.y1}, c);
    Fill({r.x0, r.y0, r.x0 + 1, r.y1}, c);
    Fill({r.x1 - 1, r.y0, r.x1, r.y1}, c);
  }

  // A soft shadow to the right of and below `r`, fading out over `size` pixels.
  void Shadow(Rect r, int size) {
    for (int d = 1; d <= size; ++d) {
      const float a = 0.35f * (1.0f - static_cast<float>(d) / static_cast<float>(size + 1));
      BlendRect({r.x0 + size, r.y1 + d - 1, r.x1 + d, r.y1 + d}, {0, 0, 0}, a);
      BlendRect({r.x1 + d - 1, r.y0 + size, r.x1 + d, r.y1 + d - 1}, {0, 0, 0}, a);
    }
  }

  // A line from (x0, y0) to (x1, y1) with round ends, `half` pixels either side of its centre
  // line; edge pixels are blended by the fraction of them the stroke covers.
  void Segment(float x0, float y0, float x1, float y1, float half, Rgb c) {
    const float dx = x1 - x0, dy = y1 - y0;
    const float length2 = std::max(dx * dx + dy * dy, 1e-6f);
    Stroke(std::min(x0, x1) - half, std::min(y0, y1) - half, std::max(x0, x1) + half,
           std::max(y0, y1) + half, half, c, [&](float px, float py) {
             const float t = std::clamp(((px - x0) * dx + (py - y0) * dy) / length2, 0.0f, 1.0f);
             return std::hypot(px - x0 - t * dx, py - y0 - t * dy);
           });
  }

  void Ring(float cx, float cy, float radius, float half, Rgb c) {
    const float outer = radius + half;
    Stroke(cx - outer, cy - outer, cx + outer, cy + outer, half, c,
           [&](float px, float py) { return std::abs(std::hypot(px - cx, py - cy) - radius); });
  }

  core::Dib& Dib() { return dib_; }

 private:
  Rect Clip(Rect r) const {
    return {std::max(r.x0, 0), std::max(r.y0, 0), std::min(r.x1, dib_.Width()),
            std::min(r.y1, dib_.Height())};
  }

  void Blend(int x, int y, Rgb c, float a) {
    uint8_t* p = dib_.Row(y) + 3 * x;
    p[0] = ToByte(p[0] + (c.b - p[0]) * a);
    p[1] = ToByte(p[1] + (c.g - p[1]) * a);
    p[2] = ToByte(p[2] + (c.r - p[2]) * a);
  }

  void BlendRect(Rect r, Rgb c, float a) {
    r = Clip(r);
    for (int y = r.y0; y < r.y1; ++y) {
      for (int x = r.x0; x < r.x1; ++x) Blend(x, y, c, a);
    }
  }

  // Blends every pixel of the box whose centre lies within about `half` of the shape; `distance`
  // gives the distance from a point to the shape's centre line.
  template <class Distance>
  void Stroke(float left, float top, float right, float bottom, float half, Rgb c,
              const Distance& distance) {
    const Rect box =
        Clip({static_cast<int>(std::floor(left)) - 1, static_cast<int>(std::floor(top)) - 1,
              static_cast<int>(std::ceil(right)) + 1, static_cast<int>(std::ceil(bottom)) + 1});
    for (int y = box.y0; y < box.y1; ++y) {
      for (int x = box.x0; x < box.x1; ++x) {
        const float d = distance(static_cast<float>(x) + 0.5f, static_cast<float>(y) + 0.5f);
        const float coverage = std::clamp(half + 0.5f - d, 0.0f, 1.0f);
        if (coverage > 0.0f) Blend(x, y, c, coverage);
      }
    }
  }

  core::Dib& dib_;
};

// Glyph-like shapes in a unit cell: x across the advance, y from the ascender (0) to the baseline
// (1); lower-case bodies start at 0.3. A ring is centred at (x0, y0) with radius x1 (in widths).
struct GlyphStroke {
  bool ring;
  float x0, y0, x1, y1;
};
struct Glyph {
  int count;
  GlyphStroke strokes[4];
};
constexpr Glyph kGlyphs[] = {
    {1, {{false, .40f, 0, .40f, 1}}},    // l
    {1, {{true, .50f, .65f, .38f, 0}}},  // o
    {4,
     {{false, .15f, .3f, .15f, 1},
      {false, .15f, .45f, .55f, .3f},
      {false, .55f, .3f, .85f, .5f},
      {false, .85f, .5f, .85f, 1}}},                                      // n
    {2, {{false, .50f, .3f, .50f, 1}, {false, .50f, .08f, .50f, .14f}}},  // i
    {2, {{false, .10f, .3f, .50f, 1}, {false, .50f, 1, .90f, .3f}}},      // v
    {2, {{false, .10f, .3f, .90f, 1}, {false, .90f, .3f, .10f, 1}}},      // x
    {2, {{true, .45f, .65f, .35f, 0}, {false, .85f, 0, .85f, 1}}},        // d
    {2, {{true, .55f, .65f, .35f, 0}, {false, .15f, 0, .15f, 1}}},        // b
    {2, {{false, .45f, .05f, .45f, 1}, {false, .15f, .3f, .80f, .3f}}},   // t
    {2, {{true, .50f, .65f, .38f, 0}, {false, .15f, .65f, .85f, .65f}}},  // e
    {2, {{true, .45f, .68f, .33f, 0}, {false, .80f, .35f, .80f, 1}}},     // a
    {3,
     {{false, .15f, 0, .15f, 1}, {false, .15f, .7f, .80f, .3f}, {false, .35f, .6f, .85f, 1}}},  // k
    {2, {{false, .05f, 0, .95f, 0}, {false, .50f, 0, .50f, 1}}},                                // T
    {3,
     {{false, .12f, 0, .12f, 1}, {false, .88f, 0, .88f, 1}, {false, .12f, .5f, .88f, .5f}}},  // H
};
constexpr int kGlyphCount = static_cast<int>(std::size(kGlyphs));

void DrawGlyph(Canvas& canvas, const Glyph& glyph, float x, float y, float size, Rgb c) {
  const float width = size * 0.55f;
  const float half = std::max(0.55f, size / 24.0f);
  for (int i = 0; i < glyph.count; ++i) {
    const GlyphStroke& s = glyph.strokes[i];
    if (s.ring) {
      canvas.Ring(x + s.x0 * width, y + s.y0 * size, s.x1 * width, half, c);
    } else {
      canvas.Segment(x + s.x0 * width, y + s.y0 * size, x + s.x1 * width, y + s.y1 * size, half, c);
    }
  }
}

// One line of random words starting at (x, y), at most `maxWidth` wide; `size` is the glyph height.
void DrawWords(Canvas& canvas, float x, float y, float maxWidth, float size, Rgb c,
               Random& random) {
  const float advance = size * 0.55f + std::max(1.5f, size * 0.12f);
  const float end = x + maxWidth * (0.45f + 0.55f * random.Unit());  // ragged right edge
  while (true) {
    const int letters = 2 + random.Below(8);
    if (x + advance * static_cast<float>(letters) > end) break;
    for (int i = 0; i < letters; ++i, x += advance) {
      DrawGlyph(canvas, kGlyphs[random.Below(kGlyphCount)], x, y, size, c);
    }
    x += advance * 0.7f;
  }
}

// Paragraphs of text filling `area`, with an empty line now and then.
void DrawText(Canvas& canvas, Rect area, float size, Rgb c, Random& random) {
  const float lineHeight = size * 1.6f;
  for (float y = static_cast<float>(area.y0); y + size <= static_cast<float>(area.y1);
       y += lineHeight) {
    if (random.Below(7) == 0) continue;
    DrawWords(canvas, static_cast<float>(area.x0), y, static_cast<float>(area.Width()), size, c,
              random);
  }
}

// Random values on a grid every `spacing` pixels, interpolated in between: texture of one scale,
// like foliage or fabric in a photo.
class ValueNoise {
 public:
  ValueNoise(int width, int height, int spacing, Random& random)
      : spacing_(spacing), columns_(width / spacing + 2) {
    values_.resize(static_cast<size_t>(columns_) * static_cast<size_t>(height / spacing + 2));
    for (float& v : values_) v = 2.0f * random.Unit() - 1.0f;
  }
  float At(int x, int y) const {
    const float fx = static_cast<float>(x % spacing_) / static_cast<float>(spacing_);
    const float fy = static_cast<float>(y % spacing_) / static_cast<float>(spacing_);
    const float* top = &values_[static_cast<size_t>(y / spacing_ * columns_ + x / spacing_)];
    const float* bottom = top + columns_;
    const float upper = top[0] + (top[1] - top[0]) * fx;
    const float lower = bottom[0] + (bottom[1] - bottom[0]) * fx;
    return upper + (lower - upper) * fy;
  }

 private:
  int spacing_;
  int columns_;
  std::vector<float> values_;
};

// Smooth colour waves, texture at two scales and per-pixel grain, like a photo taken in poor light.
void PaintPhoto(core::Dib& dib, Rect r, uint64_t seed) {
  Random random(seed);
  const int w = r.Width(), h = r.Height();
  constexpr float kTau = 2.0f * std::numbers::pi_v<float>;
  // Per channel: a wave across times a wave down, plus a diagonal wave, each from a table.
  std::vector<float> across[3], down[3], diagonal[3];
  for (int c = 0; c < 3; ++c) {
    const float fx = kTau * (0.6f + 1.4f * random.Unit()) / static_cast<float>(w);
    const float fy = kTau * (0.5f + 1.2f * random.Unit()) / static_cast<float>(h);
    const float fd = kTau * (1.0f + 2.0f * random.Unit()) / static_cast<float>(w + h);
    const float px = kTau * random.Unit(), py = kTau * random.Unit(), pd = kTau * random.Unit();
    across[c].resize(static_cast<size_t>(w));
    down[c].resize(static_cast<size_t>(h));
    diagonal[c].resize(static_cast<size_t>(w + h));
    for (int x = 0; x < w; ++x) across[c][x] = std::sin(fx * static_cast<float>(x) + px);
    for (int y = 0; y < h; ++y) down[c][y] = std::cos(fy * static_cast<float>(y) + py);
    for (int i = 0; i < w + h; ++i) diagonal[c][i] = std::sin(fd * static_cast<float>(i) + pd);
  }
  const ValueNoise coarse(w, h, 24, random);
  const ValueNoise fine(w, h, 5, random);
  for (int y = 0; y < h; ++y) {
    uint8_t* p = dib.Row(r.y0 + y) + 3 * r.x0;
    const float light = 40.0f * static_cast<float>(y) / static_cast<float>(h);
    for (int x = 0; x < w; ++x, p += 3) {
      const uint64_t noise = random.Next();
      // Texture and grain are shared by the three channels, as brightness; each channel adds its
      // own smaller grain.
      const float shared =
          30.0f * coarse.At(x, y) + 18.0f * fine.At(x, y) + static_cast<float>(noise & 15) - 7.5f;
      for (int c = 0; c < 3; ++c) {
        const float own = 0.7f * (static_cast<float>((noise >> (8 + 8 * c)) & 15) - 7.5f);
        const float v = 110.0f + light + 60.0f * across[c][x] * down[c][y] +
                        35.0f * diagonal[c][x + y] + shared + own;
        p[c] = ToByte(v);
      }
    }
  }
}

enum class Content { kDocument, kList, kCode, kPhoto };

void DrawWindow(Canvas& canvas, Rect frame, bool active, Content content, Random& random) {
  const Rgb accent = active ? Rgb{0, 95, 184} : Rgb{170, 170, 170};
  const Rgb titleBar = active ? Rgb{0, 95, 184} : Rgb{243, 243, 243};
  const Rgb titleText = active ? Rgb{255, 255, 255} : Rgb{110, 110, 110};
  constexpr int kTitle = 34;

  canvas.Shadow(frame, 12);
  canvas.Fill(frame, titleBar);
  canvas.Frame(frame, accent);
  DrawWords(canvas, static_cast<float>(frame.x0 + 44), static_cast<float>(frame.y0 + 10),
            static_cast<float>(frame.Width() / 3), 14.0f, titleText, random);
  canvas.Fill({frame.x0 + 12, frame.y0 + 9, frame.x0 + 28, frame.y0 + 25}, {240, 180, 40});  // icon
  // Caption buttons: minimise, maximise, close.
  const float cy = static_cast<float>(frame.y0) + kTitle / 2.0f;
  const float right = static_cast<float>(frame.x1);
  canvas.Segment(right - 122, cy, right - 112, cy, 0.5f, titleText);
  canvas.Segment(right - 76, cy - 5, right - 66, cy - 5, 0.5f, titleText);
  canvas.Segment(right - 76, cy + 5, right - 66, cy + 5, 0.5f, titleText);
  canvas.Segment(right - 76, cy - 5, right - 76, cy + 5, 0.5f, titleText);
  canvas.Segment(right - 66, cy - 5, right - 66, cy + 5, 0.5f, titleText);
  canvas.Segment(right - 28, cy - 5, right - 18, cy + 5, 0.6f, titleText);
  canvas.Segment(right - 28, cy + 5, right - 18, cy - 5, 0.6f, titleText);

  const Rect client{frame.x0 + 1, frame.y0 + kTitle, frame.x1 - 1, frame.y1 - 1};
  switch (content) {
    case Content::kDocument: {
      canvas.Fill(client, {255, 255, 255});
      const Rect toolbar{client.x0, client.y0, client.x1, client.y0 + 40};
      canvas.Fill(toolbar, {245, 246, 247});
      canvas.Fill({toolbar.x0, toolbar.y1 - 1, toolbar.x1, toolbar.y1}, {218, 220, 224});
      for (int x = toolbar.x0 + 12; x + 24 < toolbar.x0 + 500; x += 34) {
        const Rgb colour{static_cast<uint8_t>(60 + random.Below(160)),
                         static_cast<uint8_t>(60 + random.Below(160)),
                         static_cast<uint8_t>(60 + random.Below(160))};
        canvas.Fill({x, toolbar.y0 + 8, x + 24, toolbar.y0 + 32}, colour);
      }
      DrawText(canvas, {client.x0 + 40, client.y0 + 70, client.x1 - 40, client.y1 - 30}, 15.0f,
               {30, 30, 30}, random);
      break;
    }
    case Content::kList: {
      canvas.Fill(client, {255, 255, 255});
      const Rect side{client.x0, client.y0, client.x0 + 260, client.y1};
      canvas.Fill(side, {249, 249, 249});
      DrawText(canvas, side.Inset(18), 14.0f, {50, 50, 50}, random);
      int row = 0;
      for (int y = client.y0 + 10; y + 30 < client.y1; y += 32, ++row) {
        if (row % 2 == 1) canvas.Fill({side.x1, y, client.x1, y + 32}, {243, 246, 250});
        canvas.Fill({side.x1 + 16, y + 7, side.x1 + 34, y + 25}, {230, 190, 80});
        DrawWords(canvas, static_cast<float>(side.x1 + 48), static_cast<float>(y + 9),
                  static_cast<float>(client.x1 - side.x1 - 80), 14.0f, {30, 30, 30}, random);
      }
      break;
    }
    case Content::kCode: {
      canvas.Fill(client, {30, 30, 30});
      canvas.Fill({client.x0, client.y0, client.x0 + 60, client.y1}, {37, 37, 38});
      constexpr Rgb kColours[] = {{212, 212, 212}, {86, 156, 214},  {206, 145, 120},
                                  {106, 153, 85},  {197, 134, 192}, {78, 201, 176}};
      for (int y = client.y0 + 10; y + 16 < client.y1; y += 22) {
        const float indent = static_cast<float>(client.x0 + 80 + 28 * random.Below(4));
        DrawWords(canvas, indent, static_cast<float>(y),
                  static_cast<float>(client.x1) - indent - 40, 14.0f, kColours[random.Below(6)],
                  random);
      }
      break;
    }
    case Content::kPhoto: {
      canvas.Fill(client, {32, 32, 32});
      PaintPhoto(canvas.Dib(), client.Inset(24), random.Next());
      break;
    }
  }
}

Rect Scaled(int width, int height, float x0, float y0, float x1, float y1) {
  const auto w = static_cast<float>(width), h = static_cast<float>(height);
  return {static_cast<int>(x0 * w), static_cast<int>(y0 * h), static_cast<int>(x1 * w),
          static_cast<int>(y1 * h)};
}

}  // namespace

core::Dib MakeScreenshot(int width, int height) {
  core::Dib dib(width, height, 24);
  Canvas canvas(dib);
  Random random(20240611);
  canvas.Fill({0, 0, width, height}, {0, 99, 177});  // the desktop

  // Desktop icons with their labels.
  for (int y = 24; y + 110 < height - 48; y += 120) {
    canvas.Fill({34, y, 82, y + 48}, {static_cast<uint8_t>(120 + random.Below(120)), 200, 230});
    DrawWords(canvas, 14.0f, static_cast<float>(y + 58), 90.0f, 13.0f, {255, 255, 255}, random);
  }

  struct Placement {
    float x0, y0, x1, y1;
    Content content;
  };
  constexpr Placement kWindows[] = {
      {0.04f, 0.05f, 0.40f, 0.56f, Content::kList},
      {0.23f, 0.14f, 0.66f, 0.79f, Content::kCode},
      {0.60f, 0.04f, 0.97f, 0.70f, Content::kDocument},
      {0.07f, 0.49f, 0.46f, 0.95f, Content::kPhoto},
      {0.73f, 0.60f, 0.98f, 0.95f, Content::kList},
      {0.50f, 0.67f, 0.71f, 0.88f, Content::kDocument},  // the active one, on top
  };
  const int last = static_cast<int>(std::size(kWindows)) - 1;
  for (int i = 0; i <= last; ++i) {
    const Placement& p = kWindows[i];
    DrawWindow(canvas, Scaled(width, height, p.x0, p.y0, p.x1, p.y1), i == last, p.content, random);
  }

  // The taskbar with its buttons and the clock.
  const Rect taskbar{0, height - 48, width, height};
  canvas.Fill(taskbar, {32, 32, 32});
  for (int x = width / 2 - 300, i = 0; i < 12; x += 52, ++i) {
    canvas.Fill(
        {x + 10, taskbar.y0 + 10, x + 38, taskbar.y0 + 38},
        {static_cast<uint8_t>(80 + random.Below(170)), static_cast<uint8_t>(80 + random.Below(170)),
         static_cast<uint8_t>(80 + random.Below(170))});
  }
  DrawWords(canvas, static_cast<float>(width - 150), static_cast<float>(taskbar.y0 + 8), 140.0f,
            13.0f, {255, 255, 255}, random);
  return dib;
}

core::Dib MakePhoto(int width, int height) {
  core::Dib dib(width, height, 24);
  PaintPhoto(dib, {0, 0, width, height}, 7);
  return dib;
}

core::Dib To32(const core::Dib& src24) {
  core::Dib dib(src24.Width(), src24.Height(), 32);
  for (int y = 0; y < dib.Height(); ++y) {
    const uint8_t* s = src24.Row(y);
    uint8_t* d = dib.Row(y);
    for (int x = 0; x < dib.Width(); ++x, s += 3, d += 4) std::memcpy(d, s, 3);
  }
  return dib;
}

core::Dib ToPalette8(const core::Dib& src24) {
  constexpr int kReds = 6, kGreens = 7, kBlues = 6;
  core::Dib dib(src24.Width(), src24.Height(), 8);
  auto level = [](int i, int levels) { return static_cast<uint8_t>(i * 255 / (levels - 1)); };
  std::vector<core::RgbQuad>& palette = dib.Palette();
  for (int r = 0; r < kReds; ++r) {
    for (int g = 0; g < kGreens; ++g) {
      for (int b = 0; b < kBlues; ++b) {
        palette.push_back({level(b, kBlues), level(g, kGreens), level(r, kReds), 0});
      }
    }
  }
  auto nearest = [](uint8_t v, int levels) { return (v * (levels - 1) + 127) / 255; };
  for (int y = 0; y < dib.Height(); ++y) {
    const uint8_t* s = src24.Row(y);
    uint8_t* d = dib.Row(y);
    for (int x = 0; x < dib.Width(); ++x, s += 3) {
      d[x] =
          static_cast<uint8_t>((nearest(s[2], kReds) * kGreens + nearest(s[1], kGreens)) * kBlues +
                               nearest(s[0], kBlues));
    }
  }
  return dib;
}

}  // namespace bench
