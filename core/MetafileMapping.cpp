#include "core/MetafileMapping.h"

#include <algorithm>
#include <cmath>

namespace core::metafile {
namespace {

constexpr int64_t kText = 1;
constexpr int64_t kIsotropic = 7;
constexpr int64_t kAnisotropic = 8;
constexpr double kMaxExtent = 2147483647.0;
constexpr double kMaxMatrix = 1e12;

// Pixels per unit of the fixed mapping modes, for a display of 192 dots per inch: twice the usual
// resolution, so that the estimate holds on a high-resolution display too.
double FixedScale(int64_t mode) {
  constexpr double kPixelsPerMm = 192 / 25.4;
  switch (mode) {
    case 2:  // MM_LOMETRIC, 0.1 mm
    case kIsotropic:
      return kPixelsPerMm / 10;
    case 3:  // MM_HIMETRIC, 0.01 mm
      return kPixelsPerMm / 100;
    case 4:  // MM_LOENGLISH, 0.01 inch
      return kPixelsPerMm * 0.254;
    case 5:  // MM_HIENGLISH, 0.001 inch
      return kPixelsPerMm * 0.0254;
    case 6:  // MM_TWIPS, 1/1440 inch
      return kPixelsPerMm * 25.4 / 1440;
    default:
      return 1;
  }
}

bool Finite(const Linear& m) {
  for (double v : {m.m11, m.m12, m.m21, m.m22, m.dx, m.dy}) {
    if (!std::isfinite(v) || std::fabs(v) > kMaxMatrix) return false;
  }
  return true;
}

// `first` applied, then `second` (CombineTransform).
Linear Combine(const Linear& first, const Linear& second) {
  return Linear{first.m11 * second.m11 + first.m12 * second.m21,
                first.m11 * second.m12 + first.m12 * second.m22,
                first.m21 * second.m11 + first.m22 * second.m21,
                first.m21 * second.m12 + first.m22 * second.m22,
                first.dx * second.m11 + first.dy * second.m21 + second.dx,
                first.dx * second.m12 + first.dy * second.m22 + second.dy};
}

}  // namespace

DeviceMapping::DeviceMapping(double windowX, double windowY, double viewportX, double viewportY)
    : mode_(kAnisotropic),
      windowX_(windowX),
      windowY_(windowY),
      viewportX_(viewportX),
      viewportY_(viewportY) {}

bool DeviceMapping::SetMapMode(int64_t mode) {
  if (mode < kText || mode > kAnisotropic) return false;
  // Setting the scalable mode already set changes nothing.
  if (mode == mode_ && Scalable()) return true;
  // Anisotropic keeps the extents it finds; every other mode sets its own, the isotropic mode
  // those of MM_LOMETRIC.
  if (mode != kAnisotropic) {
    windowX_ = windowY_ = 1;
    viewportX_ = FixedScale(mode);
    // Every mode but MM_TEXT counts y upwards.
    viewportY_ = mode == kText ? 1 : -viewportX_;
  }
  mode_ = mode;
  return true;
}

bool DeviceMapping::Scalable() const { return mode_ == kIsotropic || mode_ == kAnisotropic; }

bool DeviceMapping::SetExtent(double& ex, double& ey, double x, double y) {
  if (x == 0 || y == 0) return false;
  // Other modes ignore the extents; GDI still takes the record.
  if (Scalable()) {
    ex = x;
    ey = y;
  }
  return true;
}

bool DeviceMapping::SetWindowExt(int64_t x, int64_t y) {
  return SetExtent(windowX_, windowY_, static_cast<double>(x), static_cast<double>(y));
}

bool DeviceMapping::SetViewportExt(int64_t x, int64_t y) {
  return SetExtent(viewportX_, viewportY_, static_cast<double>(x), static_cast<double>(y));
}

bool DeviceMapping::ScaleExtent(double& ex, double& ey, int64_t xNum, int64_t xDenom, int64_t yNum,
                                int64_t yDenom) {
  if (xNum == 0 || xDenom == 0 || yNum == 0 || yDenom == 0) return false;
  if (!Scalable()) return true;
  // GDI divides whole numbers, truncating, and a result of zero becomes one.
  auto scale = [](double extent, int64_t num, int64_t denom) {
    const double scaled =
        std::trunc(extent * static_cast<double>(num) / static_cast<double>(denom));
    return scaled == 0 ? 1.0 : scaled;
  };
  const double x = scale(ex, xNum, xDenom);
  const double y = scale(ey, yNum, yDenom);
  if (std::fabs(x) > kMaxExtent || std::fabs(y) > kMaxExtent) return false;
  ex = x;
  ey = y;
  return true;
}

bool DeviceMapping::ScaleWindowExt(int64_t xNum, int64_t xDenom, int64_t yNum, int64_t yDenom) {
  return ScaleExtent(windowX_, windowY_, xNum, xDenom, yNum, yDenom);
}

bool DeviceMapping::ScaleViewportExt(int64_t xNum, int64_t xDenom, int64_t yNum, int64_t yDenom) {
  return ScaleExtent(viewportX_, viewportY_, xNum, xDenom, yNum, yDenom);
}

void DeviceMapping::SetWindowOrg(double x, double y) {
  windowOrgX_ = x;
  windowOrgY_ = y;
}

void DeviceMapping::SetViewportOrg(double x, double y) {
  viewportOrgX_ = x;
  viewportOrgY_ = y;
}

void DeviceMapping::OffsetWindowOrg(double x, double y) {
  windowOrgX_ += x;
  windowOrgY_ += y;
}

void DeviceMapping::OffsetViewportOrg(double x, double y) {
  viewportOrgX_ += x;
  viewportOrgY_ += y;
}

bool DeviceMapping::SetWorld(const Linear& world) {
  if (!Finite(world)) return false;
  world_ = world;
  return true;
}

bool DeviceMapping::MultiplyWorld(const Linear& transform, bool left) {
  return SetWorld(left ? Combine(transform, world_) : Combine(world_, transform));
}

void DeviceMapping::SetBase(double x, double y) {
  baseX_ = std::fabs(x);
  baseY_ = std::fabs(y);
}

// An isotropic mapping shrinks one viewport extent to keep the units square; the anisotropic
// ratio is never smaller, so it serves as the bound for both.
double DeviceMapping::ScaleX() const { return baseX_ * std::fabs(viewportX_ / windowX_); }
double DeviceMapping::ScaleY() const { return baseY_ * std::fabs(viewportY_ / windowY_); }

double DeviceMapping::Width(double w, double h) const {
  return ScaleX() * (std::fabs(world_.m11) * w + std::fabs(world_.m21) * h);
}

double DeviceMapping::Height(double w, double h) const {
  return ScaleY() * (std::fabs(world_.m12) * w + std::fabs(world_.m22) * h);
}

double DeviceMapping::Length(double length) const {
  return length * std::max(ScaleX() * (std::fabs(world_.m11) + std::fabs(world_.m21)),
                           ScaleY() * (std::fabs(world_.m12) + std::fabs(world_.m22)));
}

double DeviceMapping::Row(double x, double y) const {
  const double worldY = x * world_.m12 + y * world_.m22 + world_.dy;
  return baseY_ * ((worldY - windowOrgY_) * viewportY_ / windowY_ + viewportOrgY_);
}

}  // namespace core::metafile
