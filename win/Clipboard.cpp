#include "win/Clipboard.h"

#include <algorithm>
#include <cstring>
#include <span>
#include <vector>

#include "core/BmpCodec.h"
#include "core/Error.h"
#include "win/Handles.h"
#include "win/Picture.h"

namespace win {
namespace {

constexpr int kOpenAttempts = 40;
constexpr DWORD kOpenRetryMs = 25;

core::Dib ReadPackedClipboardDib() {
  HANDLE data = GetClipboardData(CF_DIB);
  GlobalLockView<uint8_t> view(static_cast<HGLOBAL>(data));
  if (view.get() == nullptr) throw core::Error("クリップボードの画像を読み取れません。");
  return core::ReadPackedDib(std::span<const uint8_t>(view.get(), view.Size()));
}

// A device-dependent bitmap, read through GetDIBits at its own depth (at least 24 bits, so no
// palette is needed to interpret it).
core::Dib ReadDeviceBitmap(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || GetObjectW(bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0 ||
      info.bmHeight <= 0) {
    throw core::Error("クリップボードの画像を読み取れません。");
  }
  core::Dib dib(info.bmWidth, info.bmHeight, 24);
  std::vector<uint8_t> header = MakeBitmapInfo(dib);
  WindowDc screen(nullptr);
  if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(info.bmHeight), dib.Bits(),
                reinterpret_cast<BITMAPINFO*>(header.data()), DIB_RGB_COLORS) == 0) {
    throw core::Error("クリップボードの画像を読み取れません。");
  }
  return dib;
}

// A metafile drawn on white into a 24-bit picture of the size its header gives.
core::Dib DrawEnhMetaFile(HENHMETAFILE metafile) {
  ENHMETAHEADER header{};
  if (!metafile || GetEnhMetaFileHeader(metafile, sizeof header, &header) == 0) {
    throw core::Error("クリップボードのメタファイルを読み取れません。");
  }
  const int width = header.rclBounds.right - header.rclBounds.left + 1;
  const int height = header.rclBounds.bottom - header.rclBounds.top + 1;
  Picture canvas = Picture::FromDib(core::Dib(std::max(width, 1), std::max(height, 1), 24));
  WindowDc screen(nullptr);
  UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  Selection select(memory.get(), canvas.Bitmap());
  RECT area{0, 0, canvas.Width(), canvas.Height()};
  FillRect(memory.get(), &area, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
  PlayEnhMetaFile(memory.get(), metafile, &area);
  GdiFlush();
  return canvas.Pixels().Clone();
}

}  // namespace

ClipboardSession::ClipboardSession(HWND owner) {
  for (int attempt = 0; attempt < kOpenAttempts; ++attempt) {
    if (OpenClipboard(owner)) return;
    Sleep(kOpenRetryMs);
  }
  throw core::Error("クリップボードを開けません。他のプログラムが使用中です。");
}

ClipboardSession::~ClipboardSession() { CloseClipboard(); }

bool ClipboardHasPicture() {
  for (UINT format : {CF_BITMAP, CF_DIB, CF_DIBV5, CF_METAFILEPICT, CF_ENHMETAFILE}) {
    if (IsClipboardFormatAvailable(format)) return true;
  }
  return false;
}

void PutPictureOnClipboard(HWND owner, const core::Dib& picture) {
  std::vector<uint8_t> packed = core::WritePackedDib(picture);
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, packed.size()));
  if (!memory) throw core::Error("クリップボード用のメモリを確保できません。");
  {
    GlobalLockView<uint8_t> view(memory.get());
    if (view.get() == nullptr) throw core::Error("クリップボード用のメモリを確保できません。");
    std::memcpy(view.get(), packed.data(), packed.size());
  }
  ClipboardSession session(owner);
  EmptyClipboard();
  if (!SetClipboardData(CF_DIB, memory.get())) {
    throw core::Error("クリップボードに画像を書き込めません。");
  }
  memory.release();  // the clipboard owns it now
  if (UniquePalette palette = MakePalette(picture.Palette())) {
    if (SetClipboardData(CF_PALETTE, palette.get())) palette.release();
  }
}

std::optional<core::Dib> ReadClipboardPicture(HWND owner) {
  if (!ClipboardHasPicture()) return std::nullopt;
  ClipboardSession session(owner);
  if (IsClipboardFormatAvailable(CF_DIB)) return ReadPackedClipboardDib();
  if (IsClipboardFormatAvailable(CF_BITMAP)) {
    return ReadDeviceBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
  }
  if (IsClipboardFormatAvailable(CF_ENHMETAFILE)) {
    return DrawEnhMetaFile(static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)));
  }
  return std::nullopt;
}

}  // namespace win
