#pragma once
// GDI+ (gdiplus.dll, a system DLL), for the shape tag's anti-aliased arrows and lines. It is loaded
// and started at the first drawing that needs it, not with the program: most runs draw no arrow,
// and the program's start does not pay for a DLL it may never use.

#include <windows.h>

#include <cstdint>
#include <memory>
#include <span>

#include "tags/ArrowGeometry.h"
#include "win/Handles.h"

namespace tags {

class GdiPlus {
 public:
  // GDI+'s functions, resolved when it is loaded.
  struct Api;

  GdiPlus();
  // Shuts GDI+ down and unloads it, when it was started.
  ~GdiPlus();
  GdiPlus(const GdiPlus&) = delete;
  GdiPlus& operator=(const GdiPlus&) = delete;

  // Anti-aliased drawing on `dc` in the colour given, opaque: a line `width` pixels wide with flat
  // ends, and a filled polygon. Loads GDI+ first when it is not loaded; throws core::Error when it
  // cannot be.
  void DrawLine(HDC dc, COLORREF colour, float width, PointF from, PointF to);
  void FillPolygon(HDC dc, COLORREF colour, std::span<const PointF> points);

 private:
  // The loaded API; loads and starts GDI+ the first time.
  const Api& Load();

  win::UniqueModule module_;
  std::unique_ptr<Api> api_;
  ULONG_PTR token_ = 0;
};

}  // namespace tags
