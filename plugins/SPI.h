#pragma once
// One loaded Susie plug-in DLL. The class of the object follows the API version the plug-in
// reports: TInSPI for picture import plug-ins ("00IN"), TAmSPI for archive plug-ins ("00AM"),
// TXnSPI for "00XN", a plain TSPI for anything else. CreateSPI chooses the class; each class checks
// at construction that the DLL exports every function the class needs. The DLL stays loaded for
// the object's life.

#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "core/Error.h"
#include "susie/SusieAbi.h"
#include "win/Handles.h"

namespace plugins {

// The DLL cannot be loaded: "%s:Susie Pluginがロードできませんでした".
class ESPIFOpenErrorSPI : public core::Error {
 public:
  explicit ESPIFOpenErrorSPI(const std::wstring& fileName);
};

// A function the class needs, or the program calls, is missing:
// "%sは[%s]では使えないSusie Plugin APIです" with the function and the plug-in's file.
class ESPIInvalidAPI : public core::Error {
 public:
  ESPIInvalidAPI(const char* function, const std::wstring& fileName);
};

// Never raised; CreateSPI treats it as it treats ESPIFOpenErrorSPI.
class ESPIInvalidSPI : public core::Error {
 public:
  using core::Error::Error;
};

// A second plug-in manager: "TSPIs は複数生成できません".
class ESPIDupCreateSPIs : public core::Error {
 public:
  ESPIDupCreateSPIs();
};

class TSPI;
// A class of the family, as a way to construct it from a plug-in file.
using TSPIClass = std::unique_ptr<TSPI> (*)(const std::wstring& fileName);

class TSPI {
 public:
  // Loads the DLL, binds its entry points, checks them for this class and reads the plug-in's
  // self-description. Throws ESPIFOpenErrorSPI or ESPIInvalidAPI.
  static std::unique_ptr<TSPI> Create(const std::wstring& fileName);
  virtual ~TSPI() = default;
  TSPI(const TSPI&) = delete;
  TSPI& operator=(const TSPI&) = delete;

  HMODULE Handle() const { return handle_.get(); }
  // The DLL's full path as the system reports it, else the name it was created with.
  const std::wstring& FileName() const { return fileName_; }
  const std::wstring& APIVersion() const { return apiVersion_; }
  const std::wstring& PluginName() const { return pluginName_; }
  // File patterns (one or several joined by ";") and their descriptions, entry by entry.
  const std::vector<std::wstring>& Extensions() const { return extensions_; }
  const std::vector<std::wstring>& Descriptions() const { return descriptions_; }
  bool IsLoader() const { return isLoader_; }

  virtual bool IsLoaderKind() const { return false; }

  // GetPluginInfo of the DLL: > 0 when `buffer` holds item `infoNo`.
  int GetPluginInfo(int infoNo, LPSTR buffer, int bufferLength) const;

 protected:
  explicit TSPI(const std::wstring& fileName);
  // Fails with ESPIInvalidAPI unless every function the class needs was found, the base class's
  // first.
  virtual void CheckAPI() const;
  // Fails with ESPIInvalidAPI naming `function` when `entry` is null.
  void RequireAPI(const void* entry, const char* function) const;
  // Finishes a constructed object with the steps that need its own class's CheckAPI and
  // IsLoaderKind, which a base-class constructor cannot reach.
  static std::unique_ptr<TSPI> Finish(std::unique_ptr<TSPI> spi);

  struct EntryPoints {
    susie::GetPluginInfoProc GetPluginInfo = nullptr;
    FARPROC ConfigurationDlg = nullptr;
    susie::IsSupportedProc IsSupported = nullptr;
    susie::GetPictureInfoProc GetPictureInfo = nullptr;
    susie::GetPictureProc GetPicture = nullptr;
    FARPROC GetPreview = nullptr;
    FARPROC GetArchiveInfo = nullptr;
    FARPROC GetFileInfo = nullptr;
    FARPROC GetFile = nullptr;
  };
  const EntryPoints& Api() const { return api_; }

 private:
  FARPROC GetProc(const char* function) const;
  // The export as the function type it has by the interface.
  template <typename F>
  F GetProcAs(const char* function) const {
    // Through the generic function type, which GCC accepts as a cast to any other.
    return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProc(function)));
  }
  void ReadSelfDescription();
  // Item `infoNo` as text, or nothing when the plug-in has no such item.
  bool ReadInfo(int infoNo, std::wstring& text) const;

  win::UniqueModule handle_;
  std::wstring fileName_;
  std::wstring apiVersion_;
  std::wstring pluginName_;
  std::vector<std::wstring> extensions_;
  std::vector<std::wstring> descriptions_;
  bool isLoader_ = false;
  EntryPoints api_;
};

// The common base of the two loader kinds: it needs IsSupported.
class TLoaderSPI : public TSPI {
 public:
  // IsSupported of the DLL: non-zero when the plug-in can decode `data` (at least 2048 bytes,
  // which the plug-in may write into).
  int IsSupported(LPSTR fileName, void* data) const;

 protected:
  using TSPI::TSPI;
  void CheckAPI() const override;
};

// A picture import plug-in ("00IN").
class TInSPI : public TLoaderSPI {
 public:
  static std::unique_ptr<TSPI> Create(const std::wstring& fileName);
  bool IsLoaderKind() const override { return true; }
  // 0 when `info` was filled; the caller then owns its text handle.
  int GetPictureInfo(LPSTR buffer, LONG_PTR length, unsigned flag, susie::PictureInfo* info) const;
  // 0 when the plug-in allocated the two blocks, which the caller then owns.
  int GetPicture(LPSTR buffer, LONG_PTR length, unsigned flag, HLOCAL* infoHandle,
                 HLOCAL* bitsHandle, susie::ProgressCallback progress, LONG_PTR data) const;

 protected:
  using TLoaderSPI::TLoaderSPI;
  void CheckAPI() const override;
};

// An archive plug-in ("00AM"). The program loads it but never calls its archive functions.
class TAmSPI : public TLoaderSPI {
 public:
  static std::unique_ptr<TSPI> Create(const std::wstring& fileName);
  bool IsLoaderKind() const override { return true; }

 protected:
  using TLoaderSPI::TLoaderSPI;
  void CheckAPI() const override;
};

// A "00XN" plug-in: needs nothing beyond GetPluginInfo.
class TXnSPI : public TSPI {
 public:
  static std::unique_ptr<TSPI> Create(const std::wstring& fileName);

 protected:
  using TSPI::TSPI;
};

// The class for an API version: exact, case-sensitive comparison; anything unknown is TSPI.
TSPIClass ClassForVersion(const std::wstring& apiVersion);

// Loads the plug-in once as a plain TSPI to read its version, then as the class that version
// selects. Returns null when the file cannot be loaded as a DLL; ESPIInvalidAPI passes.
std::unique_ptr<TSPI> CreateSPI(const std::wstring& fileName);

}  // namespace plugins
