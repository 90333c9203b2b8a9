#include "plugins/SPIBmp.h"

#include <windows.h>

#include <algorithm>
#include <cstring>
#include <vector>

#include "core/BmpCodec.h"
#include "core/Error.h"
#include "core/PathRules.h"
#include "core/Utf8.h"
#include "plugins/PluginDib.h"
#include "plugins/PluginFileName.h"
#include "susie/SusieAbi.h"
#include "win/Handles.h"
#include "win/Text.h"

namespace plugins {
namespace {

// Plug-ins may read this many bytes of any image they are handed.
constexpr size_t kMinimumBuffer = 2048;
// The foreign header some files carry before the picture data (a Macintosh file's, for example).
constexpr size_t kForeignHeader = 128;

std::string PluginName(const TSPI& spi) { return core::ToUtf8(spi.FileName()); }

}  // namespace

// --- TInSPIAble ---

TInSPIAble::TInSPIAble(TSPIBitmap& owner, const TSPIs* manager) : Owner(owner), manager_(manager) {}

void TInSPIAble::LoadFromFile(const std::wstring& fileName) {
  // The file's image in memory, which every plug-in call is handed, is the file itself, mapped
  // copy-on-write.
  LoadNamed(win::CopyOnWriteImage::FromFile(fileName), fileName);
}

void TInSPIAble::LoadFromStreamWithName(std::span<const uint8_t> data,
                                        const std::wstring& fileName) {
  LoadNamed(win::CopyOnWriteImage::FromBytes(data), fileName);
}

void TInSPIAble::LoadFromStream(std::span<const uint8_t> data) {
  Load(win::CopyOnWriteImage::FromBytes(data));
}

void TInSPIAble::LoadNamed(const win::CopyOnWriteImage& image, const std::wstring& fileName) {
  Ext = core::ExtensionOf(fileName);
  FileName = fileName;
  try {
    Load(image);
  } catch (...) {
    Ext.clear();
    FileName.clear();
    throw;
  }
  Ext.clear();
  FileName.clear();
}

void TInSPIAble::Load(const win::CopyOnWriteImage& image) {
  firstRefusal_ = nullptr;
  const bool nativeFirst =
      Ext.empty() || core::LowerAscii(Ext.substr(1)) == core::LowerAscii(NativeExt);
  const bool loaded = nativeFirst ? LoadNative(image) || LoadWithPlugins(image)
                                  : LoadWithPlugins(image) || LoadNative(image);
  if (loaded) return;
  if (firstRefusal_) std::rethrow_exception(firstRefusal_);
  throw core::Error("認識できない画像形式です");
}

bool TInSPIAble::LoadNative(const win::CopyOnWriteImage& image) {
  try {
    Owner.NativeLoadFromStream(image.NewView().Bytes());
    return true;
  } catch (const std::exception&) {
    return false;  // the other method's turn, or "認識できない画像形式です"
  }
}

bool TInSPIAble::LoadWithPlugins(const win::CopyOnWriteImage& image) {
  if (SPI) return LoadWithSPI(image, *SPI);
  if (!manager_) return false;
  for (TInSPI* candidate : manager_->FindSPIs(Ext)) {
    if (LoadWithSPI(image, *candidate)) return true;
  }
  return false;
}

bool TInSPIAble::LoadWithSPI(const win::CopyOnWriteImage& image, TInSPI& spi) {
  Progress(TProgressStage::psStarting, 0);
  struct EndProgress {
    TInSPIAble& loader;
    ~EndProgress() {
      try {
        loader.Progress(TProgressStage::psEnding, 100);
      } catch (...) {
        // The load's own result or error is what the caller needs to hear about.
      }
    }
  } end{*this};
  if (LoadBuffer(image, 0, spi)) return true;
  return HeaderRetry && image.Size() > kForeignHeader && LoadBuffer(image, kForeignHeader, spi);
}

bool TInSPIAble::LoadBuffer(const win::CopyOnWriteImage& image, size_t offset, TInSPI& spi) {
  const win::CopyOnWriteImage::View view = image.NewView();
  std::span<uint8_t> data = view.Bytes().subspan(offset);
  std::vector<uint8_t> padded;
  if (data.size() < kMinimumBuffer) {
    padded.assign(kMinimumBuffer, 0);
    std::copy(data.begin(), data.end(), padded.begin());
    data = std::span<uint8_t>(padded.data(), data.size());
  }
  auto* buffer = reinterpret_cast<LPSTR>(data.data());
  const auto length = static_cast<LONG_PTR>(data.size());
  std::string name = PluginFileName(FileName);
  if (spi.IsSupported(name.data(), buffer) == 0) return false;

  TPictureInfoRec record;
  // Room to spare after the block, zeroed: a plug-in built with another packing writes a block
  // larger than the interface's into memory of ours that nothing reads.
  struct alignas(8) InfoBlock {
    susie::PictureInfo block;
    unsigned char slack[64];
  } filled{};
  if (spi.GetPictureInfo(buffer, length, susie::kInputIsMemory, &filled.block) == 0) {
    const susie::PictureInfo& block = filled.block;
    record.Left = block.left;
    record.Top = block.top;
    record.Width = block.width;
    record.Height = block.height;
    record.XDensity = block.xDensity;
    record.YDensity = block.yDensity;
    record.ColorDepth = block.colorDepth;
    if (block.hInfo) {
      const win::UniqueLocal owned(block.hInfo);
      const win::LocalLockView text(owned.get());
      if (text.get()) {
        const auto* chars = reinterpret_cast<const char*>(text.get());
        record.Info = win::WidenAnsi(std::string_view(chars, strnlen(chars, text.Size())));
      }
    }
    record.Valid = true;
  }

  try {
    return DecodeWith(spi, buffer, length, record);
  } catch (const RefusedPicture&) {
    // As if GetPicture had failed: the next try goes on, and this is said only when none succeeds.
    if (!firstRefusal_) firstRefusal_ = std::current_exception();
    return false;
  }
}

bool TInSPIAble::DecodeWith(TInSPI& spi, LPSTR buffer, LONG_PTR length,
                            const TPictureInfoRec& record) {
  HLOCAL infoHandle = nullptr;
  HLOCAL bitsHandle = nullptr;
  callbackError_ = nullptr;
  const int result = spi.GetPicture(buffer, length, susie::kInputIsMemory, &infoHandle, &bitsHandle,
                                    ProgressCallback, reinterpret_cast<LONG_PTR>(this));
  // After a failure the handles are the plug-in's business: they may hold anything.
  if (result != 0) {
    if (callbackError_) std::rethrow_exception(callbackError_);
    return false;
  }
  // Each block is freed exactly once, whatever happens below, even when the plug-in handed the
  // same block back twice.
  const win::UniqueLocal info(infoHandle);
  const win::UniqueLocal bits(bitsHandle != infoHandle ? bitsHandle : nullptr);
  if (callbackError_) std::rethrow_exception(callbackError_);
  if (!infoHandle || !bitsHandle || bitsHandle == infoHandle) {
    throw RefusedPicture(PluginName(spi), "画像のメモリがありません");
  }
  const win::LocalLockView infoView(info.get());
  const win::LocalLockView bitsView(bits.get());
  if (!infoView.get() || !bitsView.get()) {
    throw RefusedPicture(PluginName(spi), "画像のメモリを読めません");
  }
  bool ok = false;
  Owner.ReceiveDIB({infoView.get(), infoView.Size()}, {bitsView.get(), bitsView.Size()}, ok, record,
                   spi);
  return ok;
}

void TInSPIAble::Progress(TProgressStage stage, int percent) {
  if (OnProgress) OnProgress(stage, percent);
}

int WINAPI TInSPIAble::ProgressCallback(int numerator, int denominator, LONG_PTR data) {
  if (data == 0) return 0;
  auto* loader = reinterpret_cast<TInSPIAble*>(data);
  if (loader->callbackError_) return 1;
  try {
    // 1 to 99 while running; a zero denominator makes MulDiv answer -1, so 0.
    loader->Progress(TProgressStage::psRunning, MulDiv(numerator, 98, denominator) + 1);
    return 0;
  } catch (...) {
    loader->callbackError_ = std::current_exception();
    return 1;
  }
}

// --- TSPIBitmap ---

TSPIBitmap::TSPIBitmap(const TSPIs* manager, TProgressEvent onProgress) : Loader(*this, manager) {
  Loader.OnProgress = std::move(onProgress);
}

void TSPIBitmap::LoadFromFile(const std::wstring& fileName) {
  Loader.HeaderRetry = HeaderRetry;
  Loader.SPI = SPI;
  Loader.LoadFromFile(fileName);
}

void TSPIBitmap::LoadFromStream(std::span<const uint8_t> data) {
  Loader.HeaderRetry = HeaderRetry;
  Loader.SPI = SPI;
  Loader.LoadFromStream(data);
}

void TSPIBitmap::LoadFromStreamWithName(std::span<const uint8_t> data,
                                        const std::wstring& fileName) {
  Loader.HeaderRetry = HeaderRetry;
  Loader.SPI = SPI;
  Loader.LoadFromStreamWithName(data, fileName);
}

void TSPIBitmap::NativeLoadFromStream(std::span<const uint8_t> data) {
  bitmap_ = core::ReadBmp(data);
}

void TSPIBitmap::ReceiveDIB(std::span<const uint8_t> info, std::span<const uint8_t> bits, bool& ok,
                            const TPictureInfoRec&, const TSPI& from) {
  // A picture with a colour table keeps it as its palette when it becomes the current picture.
  bitmap_ = DecodePluginDib(info, bits, PluginName(from));
  ok = true;
}

// --- SPIBitmapUnit ---

SPIBitmapUnit::SPIBitmapUnit(TSPIs& manager, host::PictureHost& picture,
                             host::WindowServices& window)
    : manager_(manager), picture_(picture) {
  TSPIs* spis = &manager_;
  host::WindowServices* form = &window;
  manager_.GraphicClass =
      TGraphicClass{kSPIBitmapClass, [spis, form](const std::wstring& fileName) {
                      TSPIBitmap bitmap(spis, [form](TProgressStage stage, int percent) {
                        if (stage == TProgressStage::psEnding) {
                          form->EndProgress();
                        } else {
                          form->ShowProgress(percent);
                        }
                      });
                      bitmap.LoadFromFile(fileName);
                      return std::move(bitmap.Bitmap());
                    }};
}

SPIBitmapUnit::~SPIBitmapUnit() {
  manager_.GraphicClass.reset();
  picture_.PictureFormats().UnregisterGraphicClass(kSPIBitmapClass);
}

}  // namespace plugins
