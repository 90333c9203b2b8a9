#include "edit/Resizing.h"

#include <optional>

#include "core/Convert24.h"
#include "edit/Resample.h"
#include "edit/Unit4.h"

namespace edit {

void Resizing::Resize() {
  if (!picture_.RequirePicture()) return;
  GdiFlush();
  const core::Dib& pixels = picture_.Picture().Pixels();
  const std::optional<ResizeChoice> choice =
      TForm4::Execute(window_.Owner(), window_.Prompts(), pixels, window_.Settings());
  if (!choice) return;
  if (choice->size.width <= 0 || choice->size.height <= 0) {
    window_.Refuse();
    return;
  }
  win::Picture resized =
      win::Picture::FromDib(core::Dib(choice->size.width, choice->size.height, 24));
  if (pixels.BitCount() == 24) {
    Resample(pixels, resized.Pixels(), choice->scale);
  } else {
    Resample(core::ConvertTo24(pixels), resized.Pixels(), choice->scale);
  }
  picture_.InstallPicture(std::move(resized));
}

}  // namespace edit
