#pragma once
// TSPIs: finds, loads, keeps and unloads the program's Susie plug-ins. A search visits folders for
// plug-in files, creates a plug-in object for each new one, lets the owner accept or reject each
// file and each plug-in, keeps the accepted ones in loading order, and registers the extensions of
// every picture import plug-in in the picture-format registry with the proposed picture class.
// It also says which plug-ins should try a file, and in which order. Only one manager may exist in
// a process at a time.

#include <windows.h>

#include <functional>
#include <memory>
#include <optional>
#include <set>
#include <string>
#include <vector>

#include "core/PictureFormats.h"
#include "plugins/SPI.h"
#include "win/Handles.h"

namespace plugins {

enum TSPISearchOption { spsSusieDir, spsAppDir, spsCurrentDir, spsSystemDir, spsWindowsDir };
using TSPISearchOptions = std::set<TSPISearchOption>;

// A picture class as the picture-format registry knows it: its name and how it decodes a file.
struct TGraphicClass {
  std::string name;
  core::PictureFormats::Decoder decode;
};

// Where the Susie viewer keeps its plug-in folder: the value "Path" under this key of
// HKEY_CURRENT_USER. The program only reads it.
inline constexpr const wchar_t* kSusieKey = L"Software\\Morvalen\\Susie\\Plug-in";

// The plug-in files a search looks for: ".spi", and in the 64-bit program also the 64-bit
// plug-ins' ".sph" (a 32-bit ".spi" does not load there and is skipped like any unloadable file).
#ifdef _WIN64
inline constexpr const wchar_t* kPluginMasks[] = {L"*.spi", L"*.sph"};
#else
inline constexpr const wchar_t* kPluginMasks[] = {L"*.spi"};
#endif

class TSPIs {
 public:
  // After a plug-in file was loaded; Accept false unloads it again.
  using TSPISearchEvent = std::function<void(TSPIs& sender, TSPI& ASPI, bool& Accept)>;
  // Before a found file is loaded; Accept false skips it.
  using TSPISearchingEvent =
      std::function<void(TSPIs& sender, const std::wstring& fileName, bool& Accept)>;
  // Before an extension of an import plug-in is registered; a null class suppresses it, and the
  // change holds for the rest of the entry's items.
  using TSPIPictureRegisterEvent =
      std::function<void(TSPIs& sender, TInSPI& ASPI, const std::wstring& AExtension,
                         const std::wstring& ADescription, const TGraphicClass*& AGraphicClass)>;

  // Registers plug-in extensions in `formats`, which must outlive the manager's registrations.
  // Throws ESPIDupCreateSPIs while another manager exists in the process.
  explicit TSPIs(core::PictureFormats& formats);
  ~TSPIs();
  TSPIs(const TSPIs&) = delete;
  TSPIs& operator=(const TSPIs&) = delete;

  bool AutoSearch = true;
  TSPISearchOptions SearchOptions{spsSusieDir, spsAppDir};
  TSPISearchEvent OnSearch;
  TSPISearchingEvent OnSearching;
  TSPIPictureRegisterEvent OnPictureRegister;
  // The picture class proposed for every plug-in extension; none until the plug-in bitmap sets it.
  std::optional<TGraphicClass> GraphicClass;
  // The folder of the program's executable, the spsAppDir place; by default this process's.
  std::wstring ApplicationFolder;

  // Once the owner has set the properties: with AutoSearch, searches the default places.
  void Loaded();

  int Count() const { return static_cast<int>(list_.size()); }
  TSPI& Items(int index) const { return *list_.at(static_cast<size_t>(index)).spi; }
  // The first plug-in whose file is `fileName`, however either is spelled: the paths are compared
  // in full, with long names for 8.3 ones, letter case folded. -1 when none.
  int IndexOf(const std::wstring& fileName) const;
  void Add(std::unique_ptr<TSPI> spi);
  // Puts the plug-in at `index`; an import plug-in's extensions are registered.
  void Insert(int index, std::unique_ptr<TSPI> spi);
  // Unloads the plug-in at `index`. Its registrations stay.
  void Delete(int index);
  void Clear();

  // A mask with a folder ("C:\x\*.spi") searches only that folder; one without searches the places
  // of SearchOptions. Fails with ESPIInvalidAPI at the first plug-in lacking a function it needs;
  // the plug-ins added before it stay.
  void Search(const std::wstring& mask);
  // Searches `folder` (empty: the default places) for every kind of plug-in file of this build.
  void SearchPlugins(const std::wstring& folder);
  // Loads the plug-ins of `folder` matching `mask` that are not loaded yet: a file counts as loaded
  // when a plug-in of the list is the same file however spelled (IndexOf), or, once loaded, the
  // same module.
  void SearchFolder(const std::wstring& folder, const std::wstring& mask);

  // The import plug-ins that should try the file: those naming its extension first (the last of
  // them in the list foremost), then the others in list order.
  std::vector<TInSPI*> FindSPIs(const std::wstring& fileName) const;

 private:
  struct Entry {
    std::unique_ptr<TSPI> spi;
    std::wstring canonicalPath;  // its file's, as CanonicalPath gives it
  };

  // The folders of SearchOptions, in their fixed order, that exist as texts.
  std::vector<std::wstring> DefaultPlaces() const;
  // True when a plug-in of the list is the module `module`.
  bool HoldsModule(HMODULE module) const;

  core::PictureFormats& formats_;
  win::UniqueHandle instance_;  // the process-wide mark of the one manager
  std::vector<Entry> list_;
};

// One spelling for every way of naming a file: the full path (no relative part, ".", "..",
// forward slashes or doubled separators) with the long form of each 8.3 name, where the file
// exists.
std::wstring CanonicalPath(const std::wstring& path);

// The Susie viewer's plug-in folder from the registry, unexpanded; empty when the key or the
// value is missing or the value is not a text.
std::wstring SusieFolder();

}  // namespace plugins
