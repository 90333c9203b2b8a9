#include "tags/TagPicture.h"

#include <windows.h>

#include <span>
#include <utility>

#include "core/Error.h"
#include "core/PathRules.h"
#include "core/PlaceableMetafile.h"
#include "tags/IconFile.h"
#include "win/Files.h"
#include "win/MetafilePlayer.h"
#include "win/Text.h"

namespace tags {
namespace {

constexpr uint64_t kMaxMetafileBytes = uint64_t{1} << 28;
// A metafile is checked for the work of drawing it at about the size of the image page's preview:
// one that cannot be drawn there in time is refused; a larger tag plays it smaller if it must.
constexpr int kCheckedSize = 64;
constexpr const char* kUnreadable = "メタファイルとして読み込めません。";

[[noreturn]] void FailToRead(const std::string& what, const std::wstring& fileName) {
  throw core::Error(what + "\n" + win::Narrow(fileName));
}

// A metafile file of `kind`: refused with the reason after the usual first line.
TagPicture LoadMetafile(const std::wstring& fileName, core::MetafileKind kind) {
  const std::vector<uint8_t> bytes = win::ReadWholeFile(fileName, kMaxMetafileBytes);
  try {
    return TagPicture::FromMetafile(bytes, kind);
  } catch (const core::MetafileError& e) {
    FailToRead(std::string(kUnreadable) + "\n" + e.what(), fileName);
  } catch (const core::Error&) {
    FailToRead(kUnreadable, fileName);
  }
}

}  // namespace

TagPicture TagPicture::FromBitmap(win::Picture bitmap) {
  TagPicture picture;
  picture.bitmap_ = std::move(bitmap);
  return picture;
}

TagPicture TagPicture::FromMetafile(std::span<const uint8_t> bytes, core::MetafileKind kind) {
  core::MetafileLimits limits;
  limits.width = limits.height = kCheckedSize;
  const core::MetafileReport report = core::ValidateMetafile(bytes, kind, limits);
  const std::span<const uint8_t> records = bytes.subspan(report.offset, report.length);
  TagPicture picture;
  if (kind == core::MetafileKind::Enhanced) {
    picture.enhanced_.reset(SetEnhMetaFileBits(static_cast<UINT>(records.size()), records.data()));
  } else {
    picture.box_ = *core::ReadPlaceableHeader(bytes);
    picture.metafile_.reset(SetMetaFileBitsEx(static_cast<UINT>(records.size()), records.data()));
  }
  if (!picture.enhanced_ && !picture.metafile_) throw core::Error(kUnreadable);
  picture.metafileBytes_ = std::make_shared<const std::vector<uint8_t>>(
      bytes.begin(), bytes.begin() + static_cast<std::ptrdiff_t>(report.offset + report.length));
  picture.metafileKind_ = kind;
  picture.fitsUpTo_ = core::MetafileSize{kCheckedSize, kCheckedSize};
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
  if (metafile_ || enhanced_) {
    TagPicture copy;
    if (metafile_) copy.metafile_.reset(CopyMetaFileW(metafile_.get(), nullptr));
    if (enhanced_) copy.enhanced_.reset(CopyEnhMetaFileW(enhanced_.get(), nullptr));
    copy.box_ = box_;
    copy.metafileBytes_ = metafileBytes_;
    copy.metafileKind_ = metafileKind_;
    copy.fitsUpTo_ = fitsUpTo_;
    return copy;
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
  const core::MetafileSize size{bounds.right - bounds.left, bounds.bottom - bounds.top};
  if (size.width <= 0 || size.height <= 0) return;
  if (size.width <= fitsUpTo_.width && size.height <= fitsUpTo_.height) {
    playSize_ = fittedFor_ = size;
  } else if (size != fittedFor_) {
    playSize_ = core::FitMetafileToBudget(*metafileBytes_, metafileKind_, size.width, size.height);
    fittedFor_ = size;
    if (playSize_ == size) fitsUpTo_ = size;
  }
  const SIZE play{playSize_.width, playSize_.height};
  if (enhanced_) {
    win::PlayEnhancedMetafile(dc, bounds, play, enhanced_.get());
  } else {
    win::PlayPlaceableMetafile(dc, bounds, play, metafile_.get(), box_);
  }
}

TagPicture LoadTagPicture(const std::wstring& fileName, const core::PictureFormats& formats) {
  const std::wstring extension = core::LowerAscii(core::ExtensionOf(fileName));
  if (extension == L".wmf") return LoadMetafile(fileName, core::MetafileKind::Placeable);
  if (extension == L".emf") return LoadMetafile(fileName, core::MetafileKind::Enhanced);
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
  if (!data) throw core::Error("プレビューのリソースがありません。");
  return TagPicture::FromMetafile(
      std::span<const uint8_t>(static_cast<const uint8_t*>(data), SizeofResource(module, found)),
      core::MetafileKind::Placeable);
}

}  // namespace tags
