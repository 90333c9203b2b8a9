#pragma once
// The crop rectangle and the shown band of the Cut command: state the main window declares, which
// the crop and the fine-adjustment dialog edit. Plain integers, no Windows types, so the portable
// crop arithmetic works on it too.

namespace host {

struct CropFrame {
  // While dragging: the press point and the latest pointer position, clamped to the picture.
  // After the release: the half-open crop rectangle, columns CropLeft .. CropRight - 1 and rows
  // CropTop .. CropBottom - 1.
  int CropLeft = 0;
  int CropTop = 0;
  int CropRight = 0;
  int CropBottom = 0;
  // The rectangle whose outline is inverted into the picture. While dragging it spans from the
  // press point to (BandLeft, BandTop); after the release it is the ordered crop rectangle.
  int BandLeft = 0;
  int BandTop = 0;
  int BandRight = 0;
  int BandBottom = 0;
};

}  // namespace host
