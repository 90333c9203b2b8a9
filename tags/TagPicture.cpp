#include "tags/TagPicture.h"

#include <windows.h>

#include <span>
#include <utility>

#include "core/Error.h"
#include "core/PathRules.h"
#include "core/PlaceableMetafile.h"
#include "tags/IconFile.h"
#include "win/Files.h"
#include "win/Text.h"

namespace tags {
namespace {

constexpr uint64_t kMaxMetafileBytes = uint64_t{1} << 28;

// A placeable Windows metafile; empty when the bytes are no such metafile.
TagPicture MetafileFromPlaceable(std::span<const uint8_t> file) {
  const std::optional<core::PlaceableHeader> header = core::ReadPlaceableHeader(file);
  if (!header) return {};
  const std::span<const uint8_t> records = file.subspan(core::kPlaceableHeaderSize);
  win::UniqueMetaFile metafile(
      SetMetaFileBitsEx(static_cast<UINT>(records.size()), records.data()));
  if (!metafile) return {};
  return TagPicture::FromMetafile(std::move(metafile), *header);
}

[[noreturn]] void FailToRead(const char* what, const std::wstring& fileName) {
  throw core::Error(std::string(what) + "\n" + win::Narrow(fileName));
}

}  // namespace

TagPicture TagPicture::FromBitmap(win::Picture bitmap) {
  TagPicture picture;
  picture.bitmap_ = std::move(bitmap);
  return picture;
}

TagPicture TagPicture::FromMetafile(win::UniqueMetaFile metafile,
                                    const core::PlaceableHeader& box) {
  TagPicture picture;
  picture.metafile_ = std::move(metafile);
  picture.box_ = box;
  return picture;
}

TagPicture TagPicture::FromEnhancedMetafile(win::UniqueEnhMetaFile metafile) {
  TagPicture picture;
  picture.enhanced_ = std::move(metafile);
  return picture;
}

TagPicture TagPicture::FromIcon(win::UniqueIcon icon) {
  TagPicture picture;
  picture.icon_ = std::move(icon);
  return picture;
}

TagPicture TagPicture::Copy() const {
  if (!bitmap_.Empty()) {
    GdiFlush();
    return FromBitmap(win::Picture::FromDib(bitmap_.Pixels()));
  }
  if (metafile_) {
    return FromMetafile(win::UniqueMetaFile(CopyMetaFileW(metafile_.get(), nullptr)), box_);
  }
  if (enhanced_) {
    return FromEnhancedMetafile(win::UniqueEnhMetaFile(CopyEnhMetaFileW(enhanced_.get(), nullptr)));
  }
  if (icon_) return FromIcon(win::UniqueIcon(CopyIcon(icon_.get())));
  return {};
}

void TagPicture::Draw(HDC dc, const RECT& bounds) const {
  const int width = bounds.right - bounds.left;
  const int height = bounds.bottom - bounds.top;
  if (!bitmap_.Empty()) {
    win::UniqueMemoryDc source(CreateCompatibleDC(dc));
    win::Selection select(source.get(), bitmap_.Bitmap());
    const int oldMode = SetStretchBltMode(dc, COLORONCOLOR);
    StretchBlt(dc, bounds.left, bounds.top, width, height, source.get(), 0, 0, bitmap_.Width(),
               bitmap_.Height(), SRCCOPY);
    SetStretchBltMode(dc, oldMode);
  } else if (metafile_ || enhanced_) {
    PlayMetafile(dc, bounds);
  } else if (icon_) {
    DrawIconEx(dc, bounds.left, bounds.top, icon_.get(), width, height, 0, nullptr, DI_NORMAL);
  }
}

void TagPicture::PlayMetafile(HDC dc, const RECT& bounds) const {
  const int saved = SaveDC(dc);
  IntersectClipRect(dc, bounds.left, bounds.top, bounds.right, bounds.bottom);
  if (enhanced_) {
    PlayEnhMetaFile(dc, enhanced_.get(), &bounds);
  } else {
    // The bounding box onto the rectangle: box units scaled to the rectangle's pixels, the box's
    // corner on the rectangle's. The records may set the window again; they keep this scale as
    // long as they describe the same box, as placeable metafiles do.
    SetMapMode(dc, MM_ANISOTROPIC);
    SetWindowOrgEx(dc, box_.left, box_.top, nullptr);
    SetWindowExtEx(dc, box_.width, box_.height, nullptr);
    SetViewportExtEx(dc, bounds.right - bounds.left, bounds.bottom - bounds.top, nullptr);
    OffsetViewportOrgEx(dc, bounds.left, bounds.top, nullptr);
    PlayMetaFile(dc, metafile_.get());
  }
  RestoreDC(dc, saved);
}

TagPicture LoadTagPicture(const std::wstring& fileName, const core::PictureFormats& formats) {
  const std::wstring extension = core::LowerAscii(core::ExtensionOf(fileName));
  if (extension == L".wmf") {
    TagPicture metafile = MetafileFromPlaceable(win::ReadWholeFile(fileName, kMaxMetafileBytes));
    if (metafile.Empty()) FailToRead("メタファイルとして読み込めません。", fileName);
    return metafile;
  }
  if (extension == L".emf") {
    const std::vector<uint8_t> bytes = win::ReadWholeFile(fileName, kMaxMetafileBytes);
    win::UniqueEnhMetaFile metafile(
        SetEnhMetaFileBits(static_cast<UINT>(bytes.size()), bytes.data()));
    if (!metafile) FailToRead("メタファイルとして読み込めません。", fileName);
    return TagPicture::FromEnhancedMetafile(std::move(metafile));
  }
  if (extension == L".ico") {
    win::UniqueIcon icon = LoadIconFile(fileName);
    if (!icon) throw core::Error(IconFileError(fileName));
    return TagPicture::FromIcon(std::move(icon));
  }
  return TagPicture::FromBitmap(win::Picture::FromDib(formats.Load(fileName)));
}

TagPicture BuiltInPreview() {
  HMODULE module = GetModuleHandleW(nullptr);
  HRSRC found = FindResourceW(module, L"PREVIEW", MAKEINTRESOURCEW(10) /*RT_RCDATA*/);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const void* data = loaded ? LockResource(loaded) : nullptr;
  TagPicture preview;
  if (data) {
    preview = MetafileFromPlaceable(
        std::span<const uint8_t>(static_cast<const uint8_t*>(data), SizeofResource(module, found)));
  }
  if (preview.Empty()) throw core::Error("プレビューのリソースがありません。");
  return preview;
}

}  // namespace tags
