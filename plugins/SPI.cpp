#include "plugins/SPI.h"

#include <windows.h>

#include <cstring>

#include "core/Utf8.h"
#include "win/Text.h"

namespace plugins {
namespace {

constexpr int kMaxEntries = 1000;

// The length GetPluginInfo is told, and the most of its text the program takes.
constexpr int kInfoBufferLength = 255;
constexpr size_t kInfoTextMax = 256;
// The buffer it writes into is larger than it is told, zeroed, so that a plug-in that writes past
// the length it was given (a whole description, or its NUL after 255 characters) writes into
// memory of ours that nothing reads.
constexpr size_t kInfoBufferSize = 1024;

// Loading a file that is not a DLL, or one whose dependencies are missing, must not put up a
// system error box: such a file is skipped silently.
class QuietLoadErrors {
 public:
  QuietLoadErrors() { SetThreadErrorMode(SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX, &old_); }
  ~QuietLoadErrors() { SetThreadErrorMode(old_, nullptr); }
  QuietLoadErrors(const QuietLoadErrors&) = delete;
  QuietLoadErrors& operator=(const QuietLoadErrors&) = delete;

 private:
  DWORD old_ = 0;
};

std::wstring ModuleFileName(HMODULE module) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(module, path.data(), static_cast<DWORD>(path.size()));
    if (n == 0) return {};
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

}  // namespace

ESPIFOpenErrorSPI::ESPIFOpenErrorSPI(const std::wstring& fileName)
    : core::Error(core::ToUtf8(fileName) + ":Susie Pluginがロードできませんでした") {}

ESPIInvalidAPI::ESPIInvalidAPI(const char* function, const std::wstring& fileName)
    : core::Error(std::string(function) + "は[" + core::ToUtf8(fileName) +
                  "]では使えないSusie Plugin APIです") {}

ESPIDupCreateSPIs::ESPIDupCreateSPIs() : core::Error("TSPIs は複数生成できません") {}

// --- TSPI ---

TSPI::TSPI(const std::wstring& fileName) : fileName_(fileName) {
  {
    QuietLoadErrors quiet;
    handle_.reset(LoadLibraryW(fileName.c_str()));
  }
  if (!handle_) throw ESPIFOpenErrorSPI(fileName);
  if (std::wstring loaded = ModuleFileName(handle_.get()); !loaded.empty()) fileName_ = loaded;
  api_.GetPluginInfo = GetProcAs<susie::GetPluginInfoProc>("GetPluginInfo");
  api_.ConfigurationDlg = GetProc("ConfigurationDlg");
  api_.IsSupported = GetProcAs<susie::IsSupportedProc>("IsSupported");
  api_.GetPictureInfo = GetProcAs<susie::GetPictureInfoProc>("GetPictureInfo");
  api_.GetPicture = GetProcAs<susie::GetPictureProc>("GetPicture");
  api_.GetPreview = GetProc("GetPreview");
  api_.GetArchiveInfo = GetProc("GetArchiveInfo");
  api_.GetFileInfo = GetProc("GetFileInfo");
  api_.GetFile = GetProc("GetFile");
}

std::unique_ptr<TSPI> TSPI::Create(const std::wstring& fileName) {
  return Finish(std::unique_ptr<TSPI>(new TSPI(fileName)));
}

std::unique_ptr<TSPI> TSPI::Finish(std::unique_ptr<TSPI> spi) {
  spi->ReadSelfDescription();
  return spi;
}

FARPROC TSPI::GetProc(const char* function) const {
  return GetProcAddress(handle_.get(), function);
}

void TSPI::RequireAPI(const void* entry, const char* function) const {
  if (!entry) throw ESPIInvalidAPI(function, fileName_);
}

void TSPI::CheckAPI() const {
  RequireAPI(reinterpret_cast<const void*>(api_.GetPluginInfo), "GetPluginInfo");
}

int TSPI::GetPluginInfo(int infoNo, LPSTR buffer, int bufferLength) const {
  RequireAPI(reinterpret_cast<const void*>(api_.GetPluginInfo), "GetPluginInfo");
  return api_.GetPluginInfo(infoNo, buffer, bufferLength);
}

bool TSPI::ReadInfo(int infoNo, std::wstring& text) const {
  char buffer[kInfoBufferSize] = {};
  if (GetPluginInfo(infoNo, buffer, kInfoBufferLength) <= 0) return false;
  text = win::WidenAnsi(std::string_view(buffer, strnlen(buffer, kInfoTextMax)));
  return true;
}

void TSPI::ReadSelfDescription() {
  CheckAPI();
  ReadInfo(0, apiVersion_);
  ReadInfo(1, pluginName_);
  // A plug-in that answers every item number would keep start-up going for ever: the list ends
  // after kMaxEntries pairs, more than any plug-in offers.
  for (int n = 2; n < 2 + 2 * kMaxEntries; n += 2) {
    std::wstring pattern, description;
    if (!ReadInfo(n, pattern) || !ReadInfo(n + 1, description)) break;
    extensions_.push_back(std::move(pattern));
    descriptions_.push_back(std::move(description));
  }
  isLoader_ = IsLoaderKind();
}

// --- The loader kinds ---

void TLoaderSPI::CheckAPI() const {
  TSPI::CheckAPI();
  RequireAPI(reinterpret_cast<const void*>(Api().IsSupported), "IsSupported");
}

int TLoaderSPI::IsSupported(LPSTR fileName, void* data) const {
  RequireAPI(reinterpret_cast<const void*>(Api().IsSupported), "IsSupported");
  return Api().IsSupported(fileName, data);
}

std::unique_ptr<TSPI> TInSPI::Create(const std::wstring& fileName) {
  return Finish(std::unique_ptr<TSPI>(new TInSPI(fileName)));
}

void TInSPI::CheckAPI() const {
  TLoaderSPI::CheckAPI();
  RequireAPI(reinterpret_cast<const void*>(Api().GetPictureInfo), "GetPictureInfo");
  RequireAPI(reinterpret_cast<const void*>(Api().GetPicture), "GetPicture");
}

int TInSPI::GetPictureInfo(LPSTR buffer, LONG_PTR length, unsigned flag,
                           susie::PictureInfo* info) const {
  RequireAPI(reinterpret_cast<const void*>(Api().GetPictureInfo), "GetPictureInfo");
  return Api().GetPictureInfo(buffer, length, flag, info);
}

int TInSPI::GetPicture(LPSTR buffer, LONG_PTR length, unsigned flag, HLOCAL* infoHandle,
                       HLOCAL* bitsHandle, susie::ProgressCallback progress, LONG_PTR data) const {
  RequireAPI(reinterpret_cast<const void*>(Api().GetPicture), "GetPicture");
  return Api().GetPicture(buffer, length, flag, infoHandle, bitsHandle, progress, data);
}

std::unique_ptr<TSPI> TAmSPI::Create(const std::wstring& fileName) {
  return Finish(std::unique_ptr<TSPI>(new TAmSPI(fileName)));
}

void TAmSPI::CheckAPI() const {
  TLoaderSPI::CheckAPI();
  RequireAPI(reinterpret_cast<const void*>(Api().GetArchiveInfo), "GetArchiveInfo");
  RequireAPI(reinterpret_cast<const void*>(Api().GetFileInfo), "GetFileInfo");
  RequireAPI(reinterpret_cast<const void*>(Api().GetFile), "GetFile");
}

std::unique_ptr<TSPI> TXnSPI::Create(const std::wstring& fileName) {
  return Finish(std::unique_ptr<TSPI>(new TXnSPI(fileName)));
}

// --- The factory ---

TSPIClass ClassForVersion(const std::wstring& apiVersion) {
  if (apiVersion == L"00IN") return &TInSPI::Create;
  if (apiVersion == L"00AM") return &TAmSPI::Create;
  if (apiVersion == L"00XN") return &TXnSPI::Create;
  return &TSPI::Create;
}

std::unique_ptr<TSPI> CreateSPI(const std::wstring& fileName) {
  try {
    // The probe keeps its reference to the DLL until the chosen class has loaded it too.
    const std::unique_ptr<TSPI> probe = TSPI::Create(fileName);
    return ClassForVersion(probe->APIVersion())(fileName);
  } catch (const ESPIFOpenErrorSPI&) {
    return nullptr;
  } catch (const ESPIInvalidSPI&) {
    return nullptr;
  }
}

}  // namespace plugins
