#include "win/Clipboard.h"

#include <algorithm>
#include <span>
#include <string>
#include <vector>

#include "core/BmpCodec.h"
#include "core/Error.h"
#include "win/Handles.h"

namespace win {
namespace {

constexpr int kOpenAttempts = 40;
constexpr DWORD kOpenRetryMs = 25;

constexpr UINT kPictureFormats[] = {CF_DIB, CF_DIBV5, CF_BITMAP, CF_ENHMETAFILE, CF_METAFILEPICT};

[[noreturn]] void Unreadable() { throw core::Error("クリップボードの画像を読み取れません。"); }

// The first picture format the open clipboard lists. The clipboard lists the formats its owner
// put there first, in their order, and those it can synthesize from them after.
UINT OwnPictureFormat() {
  for (UINT format = EnumClipboardFormats(0); format != 0; format = EnumClipboardFormats(format)) {
    if (std::find(std::begin(kPictureFormats), std::end(kPictureFormats), format) !=
        std::end(kPictureFormats)) {
      return format;
    }
  }
  return 0;
}

// A packed DIB (CF_DIB or CF_DIBV5), decoded straight into a new picture.
Picture ReadPackedClipboardDib(UINT format) {
  HANDLE data = GetClipboardData(format);
  GlobalLockView<uint8_t> view(static_cast<HGLOBAL>(data));
  if (view.get() == nullptr) Unreadable();
  const core::BmpDecoder decoder =
      core::BmpDecoder::PackedDib(std::span<const uint8_t>(view.get(), view.Size()));
  Picture picture = Picture::Create(decoder.Format());
  decoder.DecodeInto(picture.Pixels());
  return picture;
}

// A device-dependent bitmap, read through GetDIBits into a 24-bit picture: its own depth is the
// screen's, and 24 bits hold every colour of a screen without a palette.
Picture ReadDeviceBitmap(HBITMAP bitmap) {
  BITMAP info{};
  if (!bitmap || GetObjectW(bitmap, sizeof info, &info) == 0 || info.bmWidth <= 0 ||
      info.bmHeight <= 0) {
    Unreadable();
  }
  Picture picture = Picture::Create({info.bmWidth, info.bmHeight, 24});
  std::vector<uint8_t> header = MakeBitmapInfo(picture.Pixels());
  WindowDc screen(nullptr);
  if (GetDIBits(screen.get(), bitmap, 0, static_cast<UINT>(info.bmHeight), picture.Pixels().Bits(),
                reinterpret_cast<BITMAPINFO*>(header.data()), DIB_RGB_COLORS) == 0) {
    Unreadable();
  }
  return picture;
}

// A white 24-bit picture of the given size for a metafile to be played into. The size is checked in
// 64 bits, since a metafile's header may claim anything.
Picture MetafileCanvas(int64_t width, int64_t height) {
  width = std::max<int64_t>(width, 1);
  height = std::max<int64_t>(height, 1);
  if (width > core::kMaxDimension || height > core::kMaxDimension ||
      core::DibImageSize(width, height, 24) < 0) {
    throw core::Error("クリップボードのメタファイルが大きすぎます (" + std::to_string(width) +
                      " x " + std::to_string(height) + ")。");
  }
  Picture canvas = Picture::Create({static_cast<int>(width), static_cast<int>(height), 24});
  std::fill_n(canvas.Pixels().Bits(), canvas.Pixels().ImageSize(), uint8_t{0xFF});
  return canvas;
}

// An enhanced metafile drawn on white into a 24-bit picture of the size its bounds give.
Picture DrawEnhMetaFile(HENHMETAFILE metafile) {
  ENHMETAHEADER header{};
  if (!metafile || GetEnhMetaFileHeader(metafile, sizeof header, &header) == 0) {
    throw core::Error("クリップボードのメタファイルを読み取れません。");
  }
  Picture canvas = MetafileCanvas(int64_t{header.rclBounds.right} - header.rclBounds.left + 1,
                                  int64_t{header.rclBounds.bottom} - header.rclBounds.top + 1);
  WindowDc screen(nullptr);
  UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
  Selection select(memory.get(), canvas.Bitmap());
  RECT area{0, 0, canvas.Width(), canvas.Height()};
  PlayEnhMetaFile(memory.get(), metafile, &area);
  GdiFlush();
  return canvas;
}

// A Windows metafile (CF_METAFILEPICT) drawn on white at the size it asks for: its extent in
// hundredths of a millimetre on the screen's resolution in the scalable mapping modes, in pixels in
// MM_TEXT. Any other mode goes through the enhanced metafile the system makes of it.
Picture DrawMetaFilePict(HGLOBAL data) {
  GlobalLockView<METAFILEPICT> view(data);
  if (!view.get() || !view.get()->hMF) {
    throw core::Error("クリップボードのメタファイルを読み取れません。");
  }
  const METAFILEPICT picture = *view.get();
  WindowDc screen(nullptr);
  const bool scalable = picture.mm == MM_ANISOTROPIC || picture.mm == MM_ISOTROPIC;
  if ((scalable && picture.xExt > 0 && picture.yExt > 0) || picture.mm == MM_TEXT) {
    // Hundredths of a millimetre to pixels, rounded to the nearest.
    auto pixels = [&](LONG extent, int axis) {
      return scalable ? (int64_t{extent} * GetDeviceCaps(screen.get(), axis) + 1270) / 2540
                      : int64_t{extent};
    };
    const int64_t width = pixels(picture.xExt, LOGPIXELSX);
    const int64_t height = pixels(picture.yExt, LOGPIXELSY);
    Picture canvas = MetafileCanvas(width, height);
    UniqueMemoryDc memory(CreateCompatibleDC(screen.get()));
    Selection select(memory.get(), canvas.Bitmap());
    if (scalable) {
      SetMapMode(memory.get(), picture.mm);
      SetViewportExtEx(memory.get(), canvas.Width(), canvas.Height(), nullptr);
    }
    PlayMetaFile(memory.get(), picture.hMF);
    GdiFlush();
    return canvas;
  }
  const UINT size = GetMetaFileBitsEx(picture.hMF, 0, nullptr);
  std::vector<BYTE> bits(size);
  if (size == 0 || GetMetaFileBitsEx(picture.hMF, size, bits.data()) != size) {
    throw core::Error("クリップボードのメタファイルを読み取れません。");
  }
  UniqueEnhMetaFile enhanced(SetWinMetaFileBits(size, bits.data(), screen.get(), &picture));
  return DrawEnhMetaFile(enhanced.get());
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
  for (UINT format : kPictureFormats) {
    if (IsClipboardFormatAvailable(format)) return true;
  }
  return false;
}

void PutPictureOnClipboard(HWND owner, const core::Dib& picture) {
  const size_t size = core::PackedDibSize(picture);
  UniquePalette palette = MakePalette(picture.Palette());
  UniqueGlobal memory(GlobalAlloc(GMEM_MOVEABLE, size));
  if (!memory) throw core::Error("クリップボード用のメモリを確保できません。");
  {
    GlobalLockView<uint8_t> view(memory.get());
    if (view.get() == nullptr) throw core::Error("クリップボード用のメモリを確保できません。");
    core::WritePackedDib(picture, std::span<uint8_t>(view.get(), size));
  }
  ClipboardSession session(owner);
  EmptyClipboard();
  if (!SetClipboardData(CF_DIB, memory.get())) {
    throw core::Error("クリップボードに画像を書き込めません。");
  }
  memory.release();  // the clipboard owns it now
  if (palette && SetClipboardData(CF_PALETTE, palette.get())) palette.release();
}

std::optional<Picture> ReadClipboardPicture(HWND owner) {
  if (!ClipboardHasPicture()) return std::nullopt;
  ClipboardSession session(owner);
  const UINT format = OwnPictureFormat();
  switch (format) {
    case CF_DIB:
    case CF_DIBV5:
      return ReadPackedClipboardDib(format);
    case CF_BITMAP:
      return ReadDeviceBitmap(static_cast<HBITMAP>(GetClipboardData(CF_BITMAP)));
    case CF_ENHMETAFILE:
      return DrawEnhMetaFile(static_cast<HENHMETAFILE>(GetClipboardData(CF_ENHMETAFILE)));
    case CF_METAFILEPICT:
      return DrawMetaFilePict(static_cast<HGLOBAL>(GetClipboardData(CF_METAFILEPICT)));
    default:
      return std::nullopt;
  }
}

}  // namespace win
