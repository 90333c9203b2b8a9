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
  if (!picture_.RequirePicture()) return;
  crop_.SetCropState(host::CropState::Armed);
  crop_.SetPictureCropMode(true);
  GdiFlush();
  win::PutPictureOnClipboard(window_.Owner(), picture_.Picture().Pixels());
  window_.SetStatusText(L"切取操作を開始します。範囲をドラッグしてください。");
}

void Cropping::MouseDown(win::controls::MouseButton button, int x, int y) {
  frame_.SetActiveTag(host::ActiveTag::None);
  if (crop_.CropState() != host::CropState::Armed || button != win::controls::MouseButton::Left)
    return;
  GdiFlush();
  backup_ = win::Picture::FromDib(picture_.Picture().Pixels());
  host::CropFrame& f = crop_.Crop();
  f.CropLeft = f.BandLeft = x;
  f.CropTop = f.BandTop = y;
  crop_.SetCropState(host::CropState::Dragging);
  window_.SetStatusText(L"切取開始します。");
}

void Cropping::MouseMove(int x, int y) {
  if (crop_.CropState() != host::CropState::Dragging) return;
  const POINT origin = window_.ScrollOrigin();
  const SIZE visible = crop_.PictureAreaSize();
  crop_.ScrollPictureBy(FollowPointerStep(x - origin.x, visible.cx, kScrollLine),
                        FollowPointerStep(y - origin.y, visible.cy, kScrollLine));
  host::CropFrame& f = crop_.Crop();
  f.CropRight = ClampToPicture(x, picture_.Picture().Width());
  f.CropBottom = ClampToPicture(y, picture_.Picture().Height());
  const BandPath erase = DragOutline(f.CropLeft, f.CropTop, f.BandLeft, f.BandTop);
  f.BandLeft = f.CropRight;
  f.BandTop = f.CropBottom;
  DrawBands(picture_, {erase, DragOutline(f.CropLeft, f.CropTop, f.BandLeft, f.BandTop)});
  window_.SetStatusTextLater(
      SizeText(L"切取ｻｲｽﾞ X=", f.BandLeft - f.CropLeft, f.BandTop - f.CropTop));
}

void Cropping::MouseUp(win::controls::MouseButton, int x, int y) {
  if (crop_.CropState() != host::CropState::Dragging) return;
  host::CropFrame& f = crop_.Crop();
  f.CropRight = ClampToPicture(x, picture_.Picture().Width());
  f.CropBottom = ClampToPicture(y, picture_.Picture().Height());
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
    ok = TForm3::Execute(picture_, window_, crop_);
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
  const host::CropFrame& f = crop_.Crop();
  DrawBands(picture_, {ShownBandOutline(f)});
  const int width = f.CropRight - f.CropLeft;
  const int height = f.CropBottom - f.CropTop;
  const core::Dib& source = picture_.Picture().Pixels();
  core::Dib blank(width, height, source.BitCount());
  blank.Palette() = source.Palette();
  blank.Masks() = source.Masks();
  win::Picture cut = win::Picture::FromDib(blank);
  {
    win::BitmapDc from(picture_.Picture().Bitmap());
    win::BitmapDc to(cut.Bitmap());
    BitBlt(to.get(), 0, 0, width, height, from.get(), f.CropLeft, f.CropTop, SRCCOPY);
  }
  GdiFlush();
  backup_ = win::Picture();
  End();
  picture_.InstallPicture(std::move(cut));
  window_.SetStatusText(SizeText(L"切取完了ｻｲｽﾞ X=", width, height));
}

void Cropping::Abandon() {
  if (!backup_.Empty()) picture_.ReplacePicture(std::move(backup_));
  backup_ = win::Picture();
  End();
  window_.SetStatusText(L"切り取りは中止されました。");
}

void Cropping::End() {
  crop_.SetPictureCropMode(false);
  crop_.SetCropState(host::CropState::Idle);
}

}  // namespace edit
