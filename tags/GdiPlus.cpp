#include "tags/GdiPlus.h"

#include <windows.h>

#include <memory>
#include <type_traits>

#include "core/Error.h"

namespace tags {
namespace {

// The few declarations of GDI+'s flat API that the drawing needs, with its own values.
struct GpGraphics;
struct GpPen;
struct GpBrush;
struct StartupInput {
  UINT32 version = 1;
  void* debugEventCallback = nullptr;
  BOOL suppressBackgroundThread = FALSE;
  BOOL suppressExternalCodecs = FALSE;
};
constexpr int kOk = 0;
constexpr int kSmoothingModeAntiAlias = 4;
constexpr int kPixelOffsetModeHalf = 4;  // pixel (x, y) covers [x, x + 1) x [y, y + 1)
constexpr int kUnitPixel = 2;
constexpr int kFillModeAlternate = 0;

uint32_t Argb(COLORREF colour) {
  return 0xFF000000u | (uint32_t{GetRValue(colour)} << 16) | (uint32_t{GetGValue(colour)} << 8) |
         GetBValue(colour);
}

}  // namespace

struct GdiPlus::Api {
  int(WINAPI* GdiplusStartup)(ULONG_PTR*, const StartupInput*, void*);
  void(WINAPI* GdiplusShutdown)(ULONG_PTR);
  int(WINAPI* GdipCreateFromHDC)(HDC, GpGraphics**);
  int(WINAPI* GdipDeleteGraphics)(GpGraphics*);
  int(WINAPI* GdipSetSmoothingMode)(GpGraphics*, int);
  int(WINAPI* GdipSetPixelOffsetMode)(GpGraphics*, int);
  int(WINAPI* GdipCreatePen1)(uint32_t, float, int, GpPen**);
  int(WINAPI* GdipDeletePen)(GpPen*);
  int(WINAPI* GdipDrawLine)(GpGraphics*, GpPen*, float, float, float, float);
  int(WINAPI* GdipCreateSolidFill)(uint32_t, GpBrush**);
  int(WINAPI* GdipDeleteBrush)(GpBrush*);
  int(WINAPI* GdipFillPolygon)(GpGraphics*, GpBrush*, const PointF*, int, int);
};

namespace {

// A GDI+ drawing surface over a DC, anti-aliased, with pixel centres at half coordinates.
class Graphics {
 public:
  Graphics(const GdiPlus::Api& api, HDC dc) : api_(api) {
    if (api_.GdipCreateFromHDC(dc, &graphics_) != kOk) {
      throw core::Error("GDI+ で描画できません。");
    }
    api_.GdipSetSmoothingMode(graphics_, kSmoothingModeAntiAlias);
    api_.GdipSetPixelOffsetMode(graphics_, kPixelOffsetModeHalf);
  }
  ~Graphics() { api_.GdipDeleteGraphics(graphics_); }
  Graphics(const Graphics&) = delete;
  Graphics& operator=(const Graphics&) = delete;
  GpGraphics* get() const { return graphics_; }

 private:
  const GdiPlus::Api& api_;
  GpGraphics* graphics_ = nullptr;
};

}  // namespace

GdiPlus::GdiPlus() = default;

GdiPlus::~GdiPlus() {
  if (api_ && token_) api_->GdiplusShutdown(token_);
}

const GdiPlus::Api& GdiPlus::Load() {
  if (api_) return *api_;
  win::UniqueModule module(LoadLibraryW(L"gdiplus.dll"));
  if (!module) throw core::Error("GDI+ (gdiplus.dll) を読み込めません。");
  auto api = std::make_unique<Api>();
  bool complete = true;
  auto resolve = [&](auto& function, const char* name) {
    function = reinterpret_cast<std::remove_reference_t<decltype(function)>>(
        reinterpret_cast<void (*)()>(GetProcAddress(module.get(), name)));
    complete &= function != nullptr;
  };
  resolve(api->GdiplusStartup, "GdiplusStartup");
  resolve(api->GdiplusShutdown, "GdiplusShutdown");
  resolve(api->GdipCreateFromHDC, "GdipCreateFromHDC");
  resolve(api->GdipDeleteGraphics, "GdipDeleteGraphics");
  resolve(api->GdipSetSmoothingMode, "GdipSetSmoothingMode");
  resolve(api->GdipSetPixelOffsetMode, "GdipSetPixelOffsetMode");
  resolve(api->GdipCreatePen1, "GdipCreatePen1");
  resolve(api->GdipDeletePen, "GdipDeletePen");
  resolve(api->GdipDrawLine, "GdipDrawLine");
  resolve(api->GdipCreateSolidFill, "GdipCreateSolidFill");
  resolve(api->GdipDeleteBrush, "GdipDeleteBrush");
  resolve(api->GdipFillPolygon, "GdipFillPolygon");
  const StartupInput input;
  ULONG_PTR token = 0;
  if (!complete || api->GdiplusStartup(&token, &input, nullptr) != kOk) {
    throw core::Error("GDI+ を開始できません。");
  }
  module_ = std::move(module);
  token_ = token;
  api_ = std::move(api);
  return *api_;
}

void GdiPlus::DrawLine(HDC dc, COLORREF colour, float width, PointF from, PointF to) {
  const Api& api = Load();
  Graphics graphics(api, dc);
  GpPen* pen = nullptr;
  if (api.GdipCreatePen1(Argb(colour), width, kUnitPixel, &pen) != kOk) return;
  api.GdipDrawLine(graphics.get(), pen, from.x, from.y, to.x, to.y);
  api.GdipDeletePen(pen);
}

void GdiPlus::FillPolygon(HDC dc, COLORREF colour, std::span<const PointF> points) {
  const Api& api = Load();
  Graphics graphics(api, dc);
  GpBrush* brush = nullptr;
  if (api.GdipCreateSolidFill(Argb(colour), &brush) != kOk) return;
  api.GdipFillPolygon(graphics.get(), brush, points.data(), static_cast<int>(points.size()),
                      kFillModeAlternate);
  api.GdipDeleteBrush(brush);
}

}  // namespace tags
