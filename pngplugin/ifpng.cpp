// ifpng: a Susie import plug-in ("00IN") for PNG files, a thin shell around PngDecoder. It is built
// as "ifpng.spi" (32-bit) and "ifpng.sph" (64-bit) and works with any host of such plug-ins. Its
// exported functions keep no state between calls, and no exception leaves them.

#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstring>
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

// The input of GetPictureInfo and GetPicture: the caller's memory, or the file it names from the
// offset it gives, read as the decoder asks for it, so that no more of the file is read than the
// decoder needs.
class Input {
 public:
  Input(LPCSTR buffer, LONG_PTR length, unsigned flag) {
    if ((flag & susie::kInputMask) == susie::kInputIsMemory) {
      if (buffer == nullptr || length < 0) throw PngError(PngFailure::kBroken, "no data");
      memory_ = {reinterpret_cast<const uint8_t*>(buffer), static_cast<size_t>(length)};
      return;
    }
    Open(buffer, length);
  }
  Input(const Input&) = delete;
  Input& operator=(const Input&) = delete;

  // What a decoder reads the input through; it must not outlive the input.
  pngplugin::PngReader Reader() {
    if (!file_) {
      return [bytes = memory_, at = size_t{0}](uint8_t* to, size_t size) mutable {
        if (size > bytes.size() - at) return false;
        std::memcpy(to, bytes.data() + at, size);
        at += size;
        return true;
      };
    }
    return [this](uint8_t* to, size_t size) { return ReadNext(to, size); };
  }
  // The file could not be read, as opposed to ending early.
  bool ReadFailed() const { return readFailed_; }

 private:
  void Open(LPCSTR fileName, LONG_PTR offset) {
    file_.reset(CreateFileA(fileName, GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL | FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
    LARGE_INTEGER size{};
    if (!file_ || !GetFileSizeEx(file_.get(), &size) || offset < 0 || offset > size.QuadPart) {
      throw FileReadFailure();
    }
    LARGE_INTEGER at{};
    at.QuadPart = offset;
    if (!SetFilePointerEx(file_.get(), at, nullptr, FILE_BEGIN)) throw FileReadFailure();
  }

  // The next `size` bytes of the file, through a buffer of its own: libpng asks for a few bytes
  // at a time.
  bool ReadNext(uint8_t* to, size_t size) {
    while (size > 0) {
      if (next_ == buffered_.size()) {
        buffered_.resize(kBufferSize);
        DWORD got = 0;
        if (!ReadFile(file_.get(), buffered_.data(), kBufferSize, &got, nullptr)) {
          readFailed_ = true;
          return false;
        }
        buffered_.resize(got);
        next_ = 0;
        if (got == 0) return false;
      }
      const size_t n = std::min(size, buffered_.size() - next_);
      std::memcpy(to, buffered_.data() + next_, n);
      next_ += n;
      to += n;
      size -= n;
    }
    return true;
  }

  static constexpr DWORD kBufferSize = 64 * 1024;
  std::span<const uint8_t> memory_;
  win::UniqueFile file_;
  std::vector<uint8_t> buffered_;
  size_t next_ = 0;
  bool readFailed_ = false;
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

// Runs one exported call's body on `input` and turns every failure into the interface's result
// code.
template <class Body>
int Guarded(LPCSTR buffer, LONG_PTR length, unsigned flag, const Body& body) noexcept {
  try {
    Input input(buffer, length, flag);
    try {
      return body(input);
    } catch (const PngError& error) {
      return input.ReadFailed() ? susie::kFileReadError : ResultOf(error);
    }
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
  return Guarded(buffer, length, flag, [&](Input& input) {
    PngDecoder decoder(input.Reader());
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

// Reads the file only up to its pixel data.
int WINAPI GetPictureInfo(LPSTR buffer, LONG_PTR length, unsigned flag, susie::PictureInfo* info) {
  if (info == nullptr) return susie::kInternalError;
  return Guarded(buffer, length, flag, [&](Input& input) {
    const PngDecoder decoder(input.Reader());
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
