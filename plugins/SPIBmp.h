#pragma once
// TSPIBitmap: a bitmap that loads any file a Susie import plug-in decodes, and falls back to the
// BMP reader when none does. Its loader TInSPIAble chooses between the BMP reader and the
// plug-ins by the file's extension, hands the plug-ins the file's image in memory, retries once
// past a 128-byte foreign header, relays the plug-in's progress, and passes the decoded DIB back
// to the bitmap. A plug-in whose answer the bitmap refuses counts as failing on the file, like one
// whose GetPicture fails; the refusal is the load's error only when nothing decodes the file.
// SPIBitmapUnit makes TSPIBitmap the class the manager registers for plug-in extensions, for as
// long as it lives.

#include <windows.h>

#include <cstdint>
#include <exception>
#include <functional>
#include <span>
#include <string>

#include "core/Dib.h"
#include "host/Roles.h"
#include "plugins/SPIs.h"
#include "win/CopyOnWriteImage.h"

namespace plugins {

// The registry's name of the plug-in bitmap class.
inline constexpr const char* kSPIBitmapClass = "TSPIBitmap";

enum class TProgressStage { psStarting, psRunning, psEnding };
// The bitmap's progress notification: starting at 0 percent, running at 1 to 99, ending at 100.
using TProgressEvent = std::function<void(TProgressStage stage, int percent)>;

// The program's copy of a plug-in's picture information.
struct TPictureInfoRec {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Width = 0;
  int32_t Height = 0;
  uint16_t XDensity = 0;
  uint16_t YDensity = 0;
  int16_t ColorDepth = 0;
  std::wstring Info;   // the text the plug-in attached, up to its first NUL
  bool Valid = false;  // GetPictureInfo succeeded and filled the fields above
};

class TSPIBitmap;

class TInSPIAble {
 public:
  TInSPIAble(TSPIBitmap& owner, const TSPIs* manager);
  TInSPIAble(const TInSPIAble&) = delete;
  TInSPIAble& operator=(const TInSPIAble&) = delete;

  std::wstring Ext;       // the loaded file's extension with its dot, during a named load
  std::wstring FileName;  // the loaded file's name as the caller gave it, during a named load
  const std::wstring NativeExt = L"BMP";  // what the owner reads by itself
  TInSPI* SPI = nullptr;
  bool HeaderRetry = true;
  TProgressEvent OnProgress;

  void LoadFromFile(const std::wstring& fileName);
  void LoadFromStreamWithName(std::span<const uint8_t> data, const std::wstring& fileName);
  // Decodes the whole image. When nothing does, throws the first refusal of a plug-in's answer
  // (RefusedPicture), or else core::Error "認識できない画像形式です".
  void LoadFromStream(std::span<const uint8_t> data);

 private:
  void LoadNamed(const win::CopyOnWriteImage& image, const std::wstring& fileName);
  void Load(const win::CopyOnWriteImage& image);
  bool LoadNative(const win::CopyOnWriteImage& image);
  bool LoadWithPlugins(const win::CopyOnWriteImage& image);
  bool LoadWithSPI(const win::CopyOnWriteImage& image, TInSPI& spi);
  // One try of the plug-in on the image from byte `offset` on, in a view of its own: plug-ins are
  // handed a writable buffer and some write there, which must reach no other try, no reader and
  // not the file.
  bool LoadBuffer(const win::CopyOnWriteImage& image, size_t offset, TInSPI& spi);
  // GetPicture and the handing over of its answer; throws RefusedPicture for an answer the
  // bitmap does not take.
  bool DecodeWith(TInSPI& spi, LPSTR buffer, LONG_PTR length, const TPictureInfoRec& record);
  void Progress(TProgressStage stage, int percent);
  // Handed to GetPicture with this loader as its data. An error of the progress notification
  // cannot pass through the plug-in: it is kept, the plug-in is asked to stop, and the error is
  // raised again once GetPicture has returned.
  static int WINAPI ProgressCallback(int numerator, int denominator, LONG_PTR data);

  TSPIBitmap& Owner;
  const TSPIs* manager_;
  std::exception_ptr callbackError_;
  std::exception_ptr firstRefusal_;  // of the load under way
};

class TSPIBitmap {
 public:
  // `manager` chooses the plug-ins that try a file (null: only the BMP reader); `onProgress`
  // receives the progress of plug-in decodes.
  TSPIBitmap(const TSPIs* manager, TProgressEvent onProgress);
  TSPIBitmap(const TSPIBitmap&) = delete;
  TSPIBitmap& operator=(const TSPIBitmap&) = delete;

  // When set, the only plug-in tried.
  TInSPI* SPI = nullptr;
  // When a plug-in fails on the data, try it once more with the first 128 bytes skipped.
  bool HeaderRetry = true;

  void LoadFromFile(const std::wstring& fileName);
  void LoadFromStream(std::span<const uint8_t> data);
  void LoadFromStreamWithName(std::span<const uint8_t> data, const std::wstring& fileName);

  // Takes the DIB a plug-in decoded: `info` and `bits` are its two blocks, whole. Throws
  // RefusedPicture naming the plug-in when they do not hold a picture the program accepts.
  void ReceiveDIB(std::span<const uint8_t> info, std::span<const uint8_t> bits, bool& ok,
                  const TPictureInfoRec& record, const TSPI& from);

  core::Dib& Bitmap() { return bitmap_; }
  // The BMP reader of the bitmap class itself.
  void NativeLoadFromStream(std::span<const uint8_t> data);

 private:
  core::Dib bitmap_;
  TInSPIAble Loader;
};

// While it lives, the manager proposes TSPIBitmap for every plug-in extension, its decodes
// showing their progress on the window's status line. At its end every registration of
// TSPIBitmap leaves the picture registry, so no decoder outlives the manager it uses.
class SPIBitmapUnit {
 public:
  SPIBitmapUnit(TSPIs& manager, host::PictureHost& picture, host::WindowServices& window);
  ~SPIBitmapUnit();
  SPIBitmapUnit(const SPIBitmapUnit&) = delete;
  SPIBitmapUnit& operator=(const SPIBitmapUnit&) = delete;

 private:
  TSPIs& manager_;
  host::PictureHost& picture_;
};

}  // namespace plugins
