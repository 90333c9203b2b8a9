#pragma once
// A file's bytes (or bytes given in memory) held in a section of the system's, from which any
// number of copy-on-write views are made. Each view shows the whole image and may be written: a
// page is copied only when it is first written, and no write reaches the file or another view. So
// foreign code that writes into the memory it is handed costs nothing until it writes, and what it
// writes is seen by nobody else.

#include <cstdint>
#include <span>
#include <string>

#include "win/Handles.h"

namespace win {

class CopyOnWriteImage {
 public:
  // A view of the image; it lives on after the image that made it.
  class View {
   public:
    std::span<uint8_t> Bytes() const { return {static_cast<uint8_t*>(view_.get()), size_}; }

   private:
    friend class CopyOnWriteImage;
    View(UniqueView view, size_t size) : view_(std::move(view)), size_(size) {}
    UniqueView view_;
    size_t size_ = 0;
  };

  // The file's bytes; other writers are denied while the image lives, so they cannot change under
  // a view. Throws core::Error naming the file and the reason.
  static CopyOnWriteImage FromFile(const std::wstring& path, uint64_t maxBytes = uint64_t{1} << 31);
  // A copy of `bytes`, made once. Throws core::Error when the system has no memory for it.
  static CopyOnWriteImage FromBytes(std::span<const uint8_t> bytes);

  size_t Size() const { return size_; }
  // A new view of the whole image, as it was made. Throws core::Error when it cannot be mapped.
  View NewView() const;

 private:
  CopyOnWriteImage() = default;

  UniqueFile file_;
  UniqueHandle section_;  // none for an empty image, which cannot be mapped
  size_t size_ = 0;
};

}  // namespace win
