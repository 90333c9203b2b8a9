#pragma once
// How large a metafile's logical units become on the device while it plays: the mapping mode, the
// window and viewport extents, the world transform of an enhanced metafile and the player's own
// scale onto the target rectangle. Positions are followed up to an offset common to every point of
// the metafile (the player's own placement), which changes no drawing's size or overlaps.

#include <cstdint>

namespace core::metafile {

// A world transform (XFORM): x' = x m11 + y m21 + dx, y' = x m12 + y m22 + dy.
struct Linear {
  double m11 = 1;
  double m12 = 0;
  double m21 = 0;
  double m22 = 1;
  double dx = 0;
  double dy = 0;
};

class DeviceMapping {
 public:
  // The anisotropic mapping of a window of windowX x windowY units onto a viewport of viewportX x
  // viewportY pixels, as a player sets it up before playing.
  DeviceMapping(double windowX, double windowY, double viewportX, double viewportY);
  // One unit to one pixel (MM_TEXT).
  static DeviceMapping Pixels() { return DeviceMapping(1, 1, 1, 1); }

  // The records that change the mapping, as GDI applies them. Each returns false for a value GDI
  // cannot use safely (an unknown mode, a zero extent or ratio, an extent beyond 32 bits, a
  // transform that is not finite); the metafile is then refused.
  bool SetMapMode(int64_t mode);
  bool SetWindowExt(int64_t x, int64_t y);
  bool SetViewportExt(int64_t x, int64_t y);
  bool ScaleWindowExt(int64_t xNum, int64_t xDenom, int64_t yNum, int64_t yDenom);
  bool ScaleViewportExt(int64_t xNum, int64_t xDenom, int64_t yNum, int64_t yDenom);
  void SetWindowOrg(double x, double y);
  void SetViewportOrg(double x, double y);
  void OffsetWindowOrg(double x, double y);
  void OffsetViewportOrg(double x, double y);
  bool SetWorld(const Linear& world);
  // MODIFYWORLDTRANSFORM: `transform` applied before the current world transform (left) or after.
  bool MultiplyWorld(const Linear& transform, bool left);
  void ResetWorld() { world_ = Linear{}; }
  // The player's scale from the metafile's device units to pixels (an enhanced metafile's frame
  // onto the target rectangle), applied after everything else.
  void SetBase(double x, double y);

  // Pixels spanned across and down by a logical box of w x h units (w, h >= 0).
  double Width(double w, double h) const;
  double Height(double w, double h) const;
  // The most pixels a logical length becomes in any direction.
  double Length(double length) const;
  // The device row of a logical point.
  double Row(double x, double y) const;
  // Whether the world transform keeps rectangles upright (GDI then fills them directly instead of
  // as polygons).
  bool Upright() const { return world_.m12 == 0 && world_.m21 == 0; }

 private:
  bool SetExtent(double& ex, double& ey, double x, double y);
  bool ScaleExtent(double& ex, double& ey, int64_t xNum, int64_t xDenom, int64_t yNum,
                   int64_t yDenom);
  bool Scalable() const;
  double ScaleX() const;
  double ScaleY() const;

  int64_t mode_;
  double windowX_, windowY_, viewportX_, viewportY_;
  double windowOrgX_ = 0, windowOrgY_ = 0, viewportOrgX_ = 0, viewportOrgY_ = 0;
  Linear world_;
  double baseX_ = 1;
  double baseY_ = 1;
};

}  // namespace core::metafile
