#include "TagsFixture.h"

#include <algorithm>
#include <cstdlib>
#include <cstring>

#include "ClipboardChildren.h"
#include "MouseInput.h"
#include "win/BitmapDc.h"
#include "win/Handles.h"
#include "win/Picture.h"

namespace winetest {

void TagsFixture::StartWithPicture(const core::Dib& picture) {
  WriteBmpFile(PathIn(L"picture.bmp"), picture);
  Start({PathIn(L"picture.bmp")});
  ASSERT_EQ(form->PictureState(), host::PictureState::Present);
}

void TagsFixture::StartWithGrey(int width, int height) {
  core::Dib grey(width, height, 24);
  std::fill(grey.Bits(), grey.Bits() + grey.ImageSize(), uint8_t{0x80});
  StartWithPicture(grey);
}

RECT TagsFixture::Track(tags::TagKind kind) const {
  const auto& box = TagSet().TrackBox(kind);
  return RECT{box.Left(), box.Top(), box.Left() + box.Width(), box.Top() + box.Height()};
}

const core::Dib& TagsFixture::Picture() const {
  GdiFlush();
  return form->Picture().Pixels();
}

void TagsFixture::DragTrackBy(tags::TagKind kind, int dx, int dy) {
  const RECT r = Track(kind);
  const POINT from{r.left + 8, r.top + 28};
  LeftDrag(Area(),
           {from, POINT{from.x + dx / 2, from.y + dy / 2}, POINT{from.x + dx, from.y + dy}});
}

void TagsFixture::SizeTrack(tags::TagKind kind, int width, int height) {
  const RECT r = Track(kind);
  LeftDrag(Area(), {POINT{r.right - 2, r.bottom - 2}, POINT{r.left + width, r.top + height}});
}

void TagsFixture::StepArrows(HWND arrows, int steps) {
  RECT r{};
  GetClientRect(arrows, &r);
  const LPARAM at = MAKELPARAM(r.right / 2, steps > 0 ? r.bottom / 4 : r.bottom * 3 / 4);
  for (int i = 0; i < std::abs(steps); ++i) {
    SendMessageW(arrows, WM_LBUTTONDOWN, MK_LBUTTON, at);
    SendMessageW(arrows, WM_LBUTTONUP, 0, at);
  }
}

void TagsFixture::PressThePictureAway() {
  const core::Dib& picture = Picture();
  ClickAt(form->Controls().Image1, POINT{picture.Width() - 5, picture.Height() - 5});
}

void TagsFixture::PutTextOnClipboard() { ASSERT_EQ(RunChild(L"put-text", {L"their text"}), 0); }

bool TagsFixture::ClipboardHoldsTheirText() {
  return IsClipboardFormatAvailable(CF_UNICODETEXT) && !IsClipboardFormatAvailable(CF_DIB);
}

core::Dib TagsFixture::ClipboardPicture() const {
  return ClipboardDibOfAnotherProcess(PathIn(L"clip.dib"));
}

core::Dib TagsFixture::ScreenOf(HWND window, const RECT& area) {
  RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_ALLCHILDREN | RDW_UPDATENOW);
  PumpMessages(30);
  POINT at{area.left, area.top};
  ClientToScreen(window, &at);
  win::Picture shot = win::Picture::Create({area.right - area.left, area.bottom - area.top, 24});
  {
    win::BitmapDc dc(shot.Bitmap());
    win::WindowDc screen(nullptr);
    BitBlt(dc.get(), 0, 0, shot.Width(), shot.Height(), screen.get(), at.x, at.y, SRCCOPY);
  }
  GdiFlush();
  return shot.Pixels().Clone();
}

std::string Describe(const RECT& r) {
  return std::to_string(r.left) + "," + std::to_string(r.top) + " " +
         std::to_string(r.right - r.left) + "x" + std::to_string(r.bottom - r.top);
}

std::string Difference(const core::Dib& picture, int left, int top, const core::Dib& part) {
  for (int y = 0; y < part.Height(); ++y) {
    for (int x = 0; x < part.Width(); ++x) {
      const uint32_t got = PixelAt(picture, left + x, top + y);
      const uint32_t want = PixelAt(part, x, y);
      if (got != want) {
        char text[96];
        std::snprintf(text, sizeof text, "at %d,%d: %06X, expected %06X", x, y, got, want);
        return text;
      }
    }
  }
  return "same";
}

core::Dib Crop(const core::Dib& picture, const RECT& area) {
  core::Dib part(area.right - area.left, area.bottom - area.top, 24);
  for (int y = 0; y < part.Height(); ++y) {
    for (int x = 0; x < part.Width(); ++x) {
      const uint32_t c = PixelAt(picture, area.left + x, area.top + y);
      uint8_t* p = part.Row(y) + x * 3;
      p[0] = static_cast<uint8_t>(c);
      p[1] = static_cast<uint8_t>(c >> 8);
      p[2] = static_cast<uint8_t>(c >> 16);
    }
  }
  return part;
}

RECT InkBounds(const core::Dib& picture, uint32_t background) {
  RECT r{picture.Width(), picture.Height(), 0, 0};
  for (int y = 0; y < picture.Height(); ++y) {
    for (int x = 0; x < picture.Width(); ++x) {
      if (PixelAt(picture, x, y) == background) continue;
      r.left = std::min<LONG>(r.left, x);
      r.top = std::min<LONG>(r.top, y);
      r.right = std::max<LONG>(r.right, x + 1);
      r.bottom = std::max<LONG>(r.bottom, y + 1);
    }
  }
  return r.right > r.left ? r : RECT{};
}

void WriteIconFile(const std::wstring& path, int size, COLORREF colour, int margin) {
  // The directory of one image, then the image: its header, 32-bit pixels and 1-bit mask, both
  // bottom-up.
  const size_t maskStride = static_cast<size_t>((size + 31) / 32) * 4;
  const uint32_t bytes = static_cast<uint32_t>(40 + 4 * size * size + maskStride * size);
  std::vector<uint8_t> file = {
      0, 0, 1, 0, 1, 0, static_cast<uint8_t>(size), static_cast<uint8_t>(size), 0, 0, 1, 0, 32, 0};
  for (uint32_t v : {bytes, uint32_t{22}}) {
    for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  BITMAPINFOHEADER header{sizeof header, size, size * 2, 1, 32, BI_RGB};
  const auto* raw = reinterpret_cast<const uint8_t*>(&header);
  file.insert(file.end(), raw, raw + sizeof header);
  std::vector<uint8_t> mask(maskStride * size);
  for (int row = 0; row < size; ++row) {
    const int y = size - 1 - row;
    for (int x = 0; x < size; ++x) {
      const bool inside = x >= margin && x < size - margin && y >= margin && y < size - margin;
      const uint32_t pixel = inside ? 0xFF000000u | (GetRValue(colour) << 16) |
                                          (GetGValue(colour) << 8) | GetBValue(colour)
                                    : 0;
      for (int i = 0; i < 4; ++i) file.push_back(static_cast<uint8_t>(pixel >> (8 * i)));
      if (!inside) mask[row * maskStride + x / 8] |= static_cast<uint8_t>(0x80 >> (x % 8));
    }
  }
  file.insert(file.end(), mask.begin(), mask.end());
  WriteFileBytes(path, file);
}

}  // namespace winetest
