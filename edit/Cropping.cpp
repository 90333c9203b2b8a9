#include "edit/Cropping.h"

#include <windows.h>

#include <string>
#include <utility>

#include "edit/Band.h"
#include "edit/CropGeometry.h"
#include "edit/Unit3.h"
#include "win/BitmapDc.h"
#include "win/Clipboard.h"
#include "win/controls/ScrollBox.h"

namespace edit {
namespace {

// The drag scrolls the picture area by its scroll bars' line.
constexpr int kScrollLine = win::controls::kScrollBoxLine;

std::wstring SizeText(const wchar_t* prefix, int width, int height) {
  return prefix + std::to_wstring(width) + L" Y=" + std::to_wstring(height);
}

}  // namespace

void Cropping::Cut() {
  if (!picture_.RequirePicture()) return;
  CancelDrag();
  GdiFlush();
  // The copy first: when the clipboard cannot take it, its error ends the command and nothing is
  // armed.
  win::PutPictureOnClipboard(window_.Owner(), picture_.Picture().Pixels());
  crop_.SetCropState(host::CropState::Armed);
  crop_.SetPictureCropMode(true);
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
  // A scroll since the last move slides the picture under a still pointer, so the release may lie
  // elsewhere than the band last drawn: the band moves there, and the outline that OK or Cancel
  // erases is the one in the picture.
  if (f.BandLeft != f.CropRight || f.BandTop != f.CropBottom) {
    const BandPath erase = DragOutline(f.CropLeft, f.CropTop, f.BandLeft, f.BandTop);
    f.BandLeft = f.CropRight;
    f.BandTop = f.CropBottom;
    DrawBands(picture_, {erase, DragOutline(f.CropLeft, f.CropTop, f.BandLeft, f.BandTop)});
  }
  OrderCrop(f);
  f.BandLeft = f.CropLeft;
  f.BandTop = f.CropTop;
  f.BandRight = f.CropRight;
  f.BandBottom = f.CropBottom;
  // The picture control has let go of the mouse at this release, so the dialog has it.
  bool ok = false;
  try {
    TForm3 dialog(picture_, window_, crop_);
    adjusting_ = &dialog;
    ok = dialog.Execute();
    adjusting_ = nullptr;
  } catch (...) {
    adjusting_ = nullptr;
    CancelDrag();
    throw;
  }
  // A new picture may have ended the crop while the dialog was open.
  if (crop_.CropState() != host::CropState::Dragging) return;
  if (ok) {
    CutOut();
  } else {
    Abandon();
  }
}

void Cropping::CancelDrag() {
  if (crop_.CropState() != host::CropState::Dragging) return;
  if (adjusting_) adjusting_->Cancel();
  Abandon();
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
  End();
  if (!backup_.Empty()) picture_.ReplacePicture(std::move(backup_));
  backup_ = win::Picture();
  window_.SetStatusText(L"切り取りは中止されました。");
}

void Cropping::End() {
  crop_.SetPictureCropMode(false);
  crop_.SetCropState(host::CropState::Idle);
}

}  // namespace edit
