#include "win/CopyOnWriteImage.h"

#include <windows.h>

#include <cstring>

#include "core/Error.h"
#include "win/Files.h"
#include "win/Text.h"

namespace win {
namespace {

DWORD High(uint64_t size) { return static_cast<DWORD>(size >> 32); }
DWORD Low(uint64_t size) { return static_cast<DWORD>(size); }

}  // namespace

CopyOnWriteImage CopyOnWriteImage::FromFile(const std::wstring& path, uint64_t maxBytes) {
  CopyOnWriteImage image;
  image.file_.reset(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!image.file_) FailWithFile("ファイルを開けません", path, GetLastError());
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(image.file_.get(), &size)) {
    FailWithFile("ファイルを読めません", path, GetLastError());
  }
  if (static_cast<uint64_t>(size.QuadPart) > maxBytes) {
    throw core::Error("ファイルが大きすぎます: " + Narrow(path));
  }
  if (size.QuadPart == 0) return image;
  // Copy-on-write needs no more than read access to the file.
  image.section_.reset(
      CreateFileMappingW(image.file_.get(), nullptr, PAGE_WRITECOPY, 0, 0, nullptr));
  if (!image.section_) FailWithFile("ファイルを読めません", path, GetLastError());
  image.size_ = static_cast<size_t>(size.QuadPart);
  return image;
}

CopyOnWriteImage CopyOnWriteImage::FromBytes(std::span<const uint8_t> bytes) {
  CopyOnWriteImage image;
  if (bytes.empty()) return image;
  const uint64_t size = bytes.size();
  image.section_.reset(CreateFileMappingW(INVALID_HANDLE_VALUE, nullptr, PAGE_READWRITE, High(size),
                                          Low(size), nullptr));
  UniqueView writable;
  if (image.section_) writable.reset(MapViewOfFile(image.section_.get(), FILE_MAP_WRITE, 0, 0, 0));
  if (!writable) throw core::Error("メモリが足りません");
  std::memcpy(writable.get(), bytes.data(), bytes.size());
  image.size_ = bytes.size();
  return image;
}

CopyOnWriteImage::View CopyOnWriteImage::NewView() const {
  if (!section_) return View(UniqueView(), 0);
  UniqueView view(MapViewOfFile(section_.get(), FILE_MAP_COPY, 0, 0, size_));
  if (!view) {
    throw core::Error("ファイルをメモリに割り当てられません\n" +
                      Narrow(SystemErrorText(GetLastError())));
  }
  return View(std::move(view), size_);
}

}  // namespace win
