// ifpng: a Susie import plug-in ("00IN") for PNG files, a thin shell around PngDecoder. It is built
// as "ifpng.spi" (32-bit) and "ifpng.sph" (64-bit) and works with any host of such plug-ins. Its
// exported functions keep no state between calls, and no exception leaves them.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
#include <limits>
#include <new>
#include <span>
#include <vector>

#include "CapslateVersion.h"
#include "pngplugin/PngDecoder.h"
#include "susie/SusieAbi.h"
#include "win/Handles.h"

namespace {

using pngplugin::PngDecoder;
using pngplugin::PngError;
using pngplugin::PngFailure;

// GetPluginInfo's items: the kind, the name, then one pattern and its description.
constexpr const char* kInfoItems[] = {
    "00IN",
    "PNG plug-in " CAPSLATE_VERSION_TEXT " (Capslate, libpng)",
    "*.png",
    "PNG",
};

// A file that cannot be opened or read, told apart from broken data by its own result code.
struct FileReadFailure {};

// The input of GetPictureInfo and GetPicture: the caller's memory, or the file it names read into
// memory from the offset it gives.
class Input {
 public:
  Input(LPCSTR buffer, LONG_PTR length, unsigned flag) {
    if ((flag & susie::kInputMask) == susie::kInputIsMemory) {
      if (buffer == nullptr || length < 0) throw PngError(PngFailure::kBroken, "no data");
      bytes_ = {reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(length)};
      return;
    }
    ReadFrom(buffer, length);
    bytes_ = fileImage_;
  }
  std::span<const uint8_t> Bytes() const { return bytes_; }

 private:
  void ReadFrom(LPCSTR fileName, LONG_PTR offset) {
    win::UniqueFile file(CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr,
                                     OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    LARGE_INTEGER size{};
    if (!file || !GetFileSizeEx(file.get(), &size) || offset < 0 || offset > size.QuadPart) {
      throw FileReadFailure();
    }
    const uint64_t remaining = static_cast<uint64_t>(size.QuadPart - offset);
    if (remaining > std::numeric_limits<DWORD>::max() / 2) {
      throw PngError(PngFailure::kTooLarge, "file too large");
    }
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    if (!SetFilePointerEx(file.get(), at, nullptr, FILE_BEGIN)) throw FileReadFailure();
    fileImage_.resize(static_cast<size_t>(remaining));
    DWORD read = 0;
    if (!ReadFile(file.get(), fileImage_.data(), static_cast<DWORD>(remaining), &read, nullptr) ||
        read != remaining) {
      throw FileReadFailure();
    }
  }
  std::vector<uint8_t> fileImage_;
  std::span<const uint8_t> bytes_;
};

int ResultOf(const PngError& error) {
  switch (error.Failure()) {
    case PngFailure::kNotPng:
      return susie::kUnknownFormat;
    case PngFailure::kBroken:
      return susie::kBrokenData;
    case PngFailure::kTooLarge:
      return susie::kNoMemory;
    case PngFailure::kStopped:
      return susie::kStoppedByCallback;
  }
  return susie::kInternalError;
}

// Runs one exported call's body and turns every failure into the interface's result code.
template <class Body>
int Guarded(const Body& body) noexcept {
  try {
    return body();
  } catch (const PngError& error) {
    return ResultOf(error);
  } catch (const FileReadFailure&) {
    return susie::kFileReadError;
  } catch (const std::bad_alloc&) {
    return susie::kNoMemory;
  } catch (...) {
    return susie::kInternalError;
  }
}

int DecodePicture(LPCSTR buffer, LONG_PTR length, unsigned flag, HLOCAL* infoHandle,
                  HLOCAL* bitsHandle, susie::ProgressCallback progress, LONG_PTR data) {
  if (infoHandle == nullptr || bitsHandle == nullptr) return susie::kInternalError;
  return Guarded([&] {
    const Input input(buffer, length, flag);
    PngDecoder decoder(input.Bytes());
    const pngplugin::PngHeader& header = decoder.Header();
    const int64_t imageSize = core::DibImageSize(header.width, header.height, 24);

    win::UniqueLocal info(LocalAlloc(LMEM_MOVEABLE | LMEM_ZEROINIT, sizeof(BITMAPINFOHEADER)));
    win::UniqueLocal bits(LocalAlloc(LMEM_MOVEABLE, static_cast<SIZE_T>(imageSize)));
    if (!info || !bits) return static_cast<int>(susie::kNoMemory);
    {
      const win::LocalLockView pixels(bits.get());
      if (pixels.get() == nullptr) return static_cast<int>(susie::kMemoryError);
      core::Dib target = core::Dib::View(pixels.get(), header.width, header.height, 24);
      decoder.DecodeInto(target, [&](int done, int total) {
        return progress == nullptr || progress(done, total, data) == 0;
      });
    }
    {
      const win::LocalLockView locked(info.get());
      auto* bitmap = reinterpret_cast<BITMAPINFOHEADER*>(locked.get());
      if (bitmap == nullptr) return static_cast<int>(susie::kMemoryError);
      bitmap->biSize = sizeof(BITMAPINFOHEADER);
      bitmap->biWidth = header.width;
      bitmap->biHeight = header.height;  // positive: rows bottom-up
      bitmap->biPlanes = 1;
      bitmap->biBitCount = 24;
      bitmap->biCompression = BI_RGB;
      bitmap->biSizeImage = static_cast<DWORD>(imageSize);
    }
    *infoHandle = info.release();
    *bitsHandle = bits.release();
    return static_cast<int>(susie::kSuccess);
  });
}

}  // namespace

extern "C" {

int WINAPI GetPluginInfo(int infoNo, LPSTR buffer, int bufferLength) {
  if (infoNo < 0 || infoNo >= static_cast<int>(std::size(kInfoItems)) || buffer == nullptr ||
      bufferLength <= 0) {
    return 0;
  }
  const size_t length = std::min(std::strlen(kInfoItems[infoNo]), size_t(bufferLength - 1));
  std::memcpy(buffer, kInfoItems[infoNo], length);
  buffer[length] = '\0';
  return static_cast<int>(length);
}

// `data` is either the first 2 KiB of the file, or, when its upper bits are 0, an open file
// handle whose next bytes are the file's start.
int WINAPI IsSupported(LPSTR, void* data) {
  uint8_t head[8] = {};
  const auto value = reinterpret_cast<uintptr_t>(data);
  if ((value >> 16) != 0) {
    std::memcpy(head, reinterpret_cast<const void*>(value), sizeof head);
  } else {
    const auto file = reinterpret_cast<HANDLE>(value);
    DWORD read = 0;
    if (!ReadFile(file, head, sizeof head, &read, nullptr)) return 0;
    SetFilePointer(file, -static_cast<LONG>(read), nullptr, FILE_CURRENT);
    if (read != sizeof head) return 0;
  }
  return pngplugin::HasPngSignature(head) ? 1 : 0;
}

int WINAPI GetPictureInfo(LPSTR buffer, LONG_PTR length, unsigned flag, susie::PictureInfo* info) {
  if (info == nullptr) return susie::kInternalError;
  return Guarded([&] {
    const Input input(buffer, length, flag);
    const PngDecoder decoder(input.Bytes());
    const pngplugin::PngHeader& header = decoder.Header();
    *info = susie::PictureInfo{};
    info->width = header.width;
    info->height = header.height;
    info->colorDepth = static_cast<SHORT>(header.BitsPerPixel());
    return static_cast<int>(susie::kSuccess);
  });
}

int WINAPI GetPicture(LPSTR buffer, LONG_PTR length, unsigned flag, HLOCAL* infoHandle,
                      HLOCAL* bitsHandle, susie::ProgressCallback progress, LONG_PTR data) {
  return DecodePicture(buffer, length, flag, infoHandle, bitsHandle, progress, data);
}

// The preview is the picture itself.
int WINAPI GetPreview(LPSTR buffer, LONG_PTR length, unsigned flag, HLOCAL* infoHandle,
                      HLOCAL* bitsHandle, susie::ProgressCallback progress, LONG_PTR data) {
  return DecodePicture(buffer, length, flag, infoHandle, bitsHandle, progress, data);
}

}  // extern "C"
