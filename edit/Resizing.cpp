#include "edit/Resizing.h"

#include <optional>

#include "core/Convert24.h"
#include "edit/Resample.h"
#include "edit/Unit4.h"

namespace edit {

void Resizing::Resize() {
  if (host_.PictureState() != 2) {
    host_.Refuse();
    return;
  }
  GdiFlush();
  const core::Dib& pixels = host_.Picture().Pixels();
  const std::optional<ResizeChoice> choice =
      TForm4::Execute(host_.Owner(), host_.Prompts(), pixels, host_.Settings());
  if (!choice) return;
  if (choice->size.width <= 0 || choice->size.height <= 0) {
    host_.Refuse();
    return;
  }
  win::Picture resized =
      win::Picture::FromDib(core::Dib(choice->size.width, choice->size.height, 24));
  if (pixels.BitCount() == 24) {
    Resample(pixels, resized.Pixels(), choice->scale);
  } else {
    Resample(core::ConvertTo24(pixels), resized.Pixels(), choice->scale);
  }
  host_.InstallPicture(std::move(resized));
}

}  // namespace edit
