#pragma once
// What the image tag shows and embeds: a bitmap, a Windows or enhanced metafile, or an icon, drawn
// stretched into whatever rectangle it is given. Each tag holds its own copy.

#include <windows.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/MetafileValidator.h"
#include "core/PictureFormats.h"
#include "core/PlaceableMetafile.h"
#include "win/Handles.h"
#include "win/Picture.h"

namespace tags {

class TagPicture {
 public:
  TagPicture() = default;  // nothing: draws nothing
  static TagPicture FromBitmap(win::Picture bitmap);
  // A placeable Windows metafile or an enhanced metafile, checked before GDI sees it: throws
  // core::MetafileError when it is refused, or core::Error when GDI refuses it after all.
  static TagPicture FromMetafile(std::span<const uint8_t> bytes, core::MetafileKind kind);
  static TagPicture FromIcon(win::UniqueIcon icon);

  // An independent copy: its own bitmap, metafile or icon.
  TagPicture Copy() const;
  bool Empty() const { return bitmap_.Empty() && !metafile_ && !enhanced_ && !icon_; }

  // Draws into `bounds` (right and bottom exclusive), whatever the picture's own size: a bitmap
  // stretched without smoothing (each pixel of the rectangle a copy of one pixel of the bitmap), a
  // metafile played scaled (its bounding box or frame onto the rectangle; nothing it draws lands
  // outside the rectangle), an icon through its mask. A metafile that would take GDI too long at
  // the rectangle's size is played smaller and stretched.
  void Draw(HDC dc, const RECT& bounds) const;

 private:
  void PlayMetafile(HDC dc, const RECT& bounds) const;

  win::Picture bitmap_;
  win::UniqueMetaFile metafile_;
  core::PlaceableHeader box_;
  win::UniqueEnhMetaFile enhanced_;
  // The checked bytes of the metafile, for the work estimate at each size it is drawn at; shared
  // by the copies.
  std::shared_ptr<const std::vector<uint8_t>> metafileBytes_;
  core::MetafileKind metafileKind_ = core::MetafileKind::Placeable;
  // The size the metafile was last fitted to, and the size it plays at there; and a size up to
  // which it is known to play in time at full size (the work only grows with the size), so that
  // resizing the tag seldom costs an estimate.
  mutable core::MetafileSize fittedFor_;
  mutable core::MetafileSize playSize_;
  mutable core::MetafileSize fitsUpTo_;
  win::UniqueIcon icon_;
};

// Reads a picture file by its extension: "wmf" (with its placeable header) and "emf" as a
// metafile, "ico" as an icon, every other extension through the picture-format registry (bitmaps,
// JPEG, the plug-ins' formats) as a bitmap. Throws core::Error naming the file.
TagPicture LoadTagPicture(const std::wstring& fileName, const core::PictureFormats& formats);

// The preview the image page starts with: the drawing built into the program.
TagPicture BuiltInPreview();

}  // namespace tags
