#include "edit/Cropping.h"

#include <windows.h>

#include <string>
#include <utility>

#include "edit/Band.h"
#include "edit/CropGeometry.h"
#include "edit/Unit3.h"
#include "win/BitmapDc.h"
#include "win/Clipboard.h"

namespace edit {
namespace {

// Both scroll bars of the picture area step by this many pixels.
constexpr int kScrollLine = 8;

std::wstring SizeText(const wchar_t* prefix, int width, int height) {
  return prefix + std::to_wstring(width) + L" Y=" + std::to_wstring(height);
}

}  // namespace

void Cropping::Cut() {
  if (host_.PictureState() != 2) {
    host_.Refuse();
    return;
  }
  host_.SetCropState(1);
  host_.SetPictureCropMode(true);
  GdiFlush();
  win::PutPictureOnClipboard(host_.Owner(), host_.Picture().Pixels());
  host_.SetStatusText(L"切取操作を開始します。範囲をドラッグしてください。");
}

void Cropping::MouseDown(win::controls::MouseButton button, int x, int y) {
  host_.SetActiveTag(5);
  host_.UpdateTrackBoxes();
  if (host_.CropState() != 1 || button != win::controls::MouseButton::Left) return;
  GdiFlush();
  backup_ = win::Picture::FromDib(host_.Picture().Pixels());
  host::CropFrame& f = host_.Crop();
  f.CropLeft = f.BandLeft = x;
  f.CropTop = f.BandTop = y;
  host_.SetCropState(2);
  host_.SetStatusText(L"切取開始します。");
}

void Cropping::MouseMove(int x, int y) {
  if (host_.CropState() != 2) return;
  const POINT origin = host_.ScrollOrigin();
  const SIZE visible = host_.PictureAreaSize();
  host_.ScrollPictureBy(FollowPointerStep(x - origin.x, visible.cx, kScrollLine),
                        FollowPointerStep(y - origin.y, visible.cy, kScrollLine));
  host::CropFrame& f = host_.Crop();
  f.CropRight = ClampToPicture(x, host_.Picture().Width());
  f.CropBottom = ClampToPicture(y, host_.Picture().Height());
  const BandPath erase = DragOutline(f.CropLeft, f.CropTop, f.BandLeft, f.BandTop);
  f.BandLeft = f.CropRight;
  f.BandTop = f.CropBottom;
  DrawBands(host_, {erase, DragOutline(f.CropLeft, f.CropTop, f.BandLeft, f.BandTop)});
  host_.SetStatusTextLater(
      SizeText(L"切取ｻｲｽﾞ X=", f.BandLeft - f.CropLeft, f.BandTop - f.CropTop));
}

void Cropping::MouseUp(win::controls::MouseButton, int x, int y) {
  if (host_.CropState() != 2) return;
  host::CropFrame& f = host_.Crop();
  f.CropRight = ClampToPicture(x, host_.Picture().Width());
  f.CropBottom = ClampToPicture(y, host_.Picture().Height());
  OrderCrop(f);
  // Another button may still be held (the drag ends at the release of any): the dialog needs the
  // mouse.
  ReleaseCapture();
  // The band drawn at the last move already has this outline: the last move and the release
  // happen at the same point.
  f.BandLeft = f.CropLeft;
  f.BandTop = f.CropTop;
  f.BandRight = f.CropRight;
  f.BandBottom = f.CropBottom;
  bool ok = false;
  try {
    ok = TForm3::Execute(host_);
  } catch (...) {
    Abandon();
    throw;
  }
  if (ok) {
    CutOut();
  } else {
    Abandon();
  }
}

void Cropping::CutOut() {
  const host::CropFrame& f = host_.Crop();
  DrawBands(host_, {ShownBandOutline(f)});
  const int width = f.CropRight - f.CropLeft;
  const int height = f.CropBottom - f.CropTop;
  const core::Dib& source = host_.Picture().Pixels();
  core::Dib blank(width, height, source.BitCount());
  blank.Palette() = source.Palette();
  blank.Masks() = source.Masks();
  win::Picture cut = win::Picture::FromDib(blank);
  {
    win::BitmapDc from(host_.Picture().Bitmap());
    win::BitmapDc to(cut.Bitmap());
    BitBlt(to.get(), 0, 0, width, height, from.get(), f.CropLeft, f.CropTop, SRCCOPY);
  }
  GdiFlush();
  backup_ = win::Picture();
  End();
  host_.InstallPicture(std::move(cut));
  host_.SetStatusText(SizeText(L"切取完了ｻｲｽﾞ X=", width, height));
}

void Cropping::Abandon() {
  if (!backup_.Empty()) host_.ReplacePicture(std::move(backup_));
  backup_ = win::Picture();
  End();
  host_.SetStatusText(L"切り取りは中止されました。");
}

void Cropping::End() {
  host_.SetPictureCropMode(false);
  host_.SetCropState(0);
}

}  // namespace edit
