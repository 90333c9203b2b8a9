#include "plugins/SPIs.h"

#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "core/PathRules.h"
#include "plugins/SPIRules.h"
#include "win/Files.h"

namespace plugins {
namespace {

// The one manager of a process is marked by a named kernel object of the process's own: creating
// it a second time finds it already there. The rule then needs no variable of the program's.
win::UniqueHandle MarkTheOnlyManager() {
  const std::wstring name = L"Local\\Capslate.TSPIs." + std::to_wstring(GetCurrentProcessId());
  win::UniqueHandle mark(CreateMutexW(nullptr, FALSE, name.c_str()));
  if (!mark || GetLastError() == ERROR_ALREADY_EXISTS) throw ESPIDupCreateSPIs();
  return mark;
}

// A folder from a function that fills a buffer of 255 characters; empty when it answers 0.
template <typename F>
std::wstring SystemFolder(F query) {
  wchar_t buffer[256] = {};
  const UINT n = query(buffer, 255);
  if (n == 0 || n > 255) return {};
  return std::wstring(buffer, n);
}

std::wstring CurrentFolder() {
  const DWORD n = GetCurrentDirectoryW(0, nullptr);
  if (n == 0) return {};
  std::wstring folder(n, L'\0');
  folder.resize(GetCurrentDirectoryW(n, folder.data()));
  return folder;
}

// A path from a function that fills a buffer, asking again when the first buffer was too small;
// empty when it fails.
template <typename F>
std::wstring PathFrom(F fill) {
  std::wstring out(MAX_PATH, L'\0');
  for (int attempt = 0; attempt < 3; ++attempt) {
    const DWORD n = fill(out.data(), static_cast<DWORD>(out.size()));
    if (n == 0) return {};
    if (n < out.size()) {
      out.resize(n);
      return out;
    }
    out.resize(n);
  }
  return {};
}

bool SamePath(const std::wstring& a, const std::wstring& b) {
  return CompareStringOrdinal(a.c_str(), static_cast<int>(a.size()), b.c_str(),
                              static_cast<int>(b.size()), TRUE) == CSTR_EQUAL;
}

}  // namespace

std::wstring CanonicalPath(const std::wstring& path) {
  // The full path has its separators made backslashes, runs of them made one, "." and ".."
  // resolved.
  const std::wstring full = PathFrom([&](wchar_t* buffer, DWORD size) {
    return GetFullPathNameW(path.c_str(), size, buffer, nullptr);
  });
  if (full.empty()) return path;
  std::wstring longForm = PathFrom(
      [&](wchar_t* buffer, DWORD size) { return GetLongPathNameW(full.c_str(), buffer, size); });
  return longForm.empty() ? full : longForm;
}

std::wstring SusieFolder() {
  HKEY opened = nullptr;
  if (RegOpenKeyExW(HKEY_CURRENT_USER, kSusieKey, 0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
    return {};
  }
  win::UniqueKey key(opened);
  DWORD type = 0;
  DWORD bytes = 0;
  if (RegQueryValueExW(key.get(), L"Path", nullptr, &type, nullptr, &bytes) ==
      ERROR_FILE_NOT_FOUND) {
    return {};
  }
  if (type != REG_SZ && type != REG_EXPAND_SZ) return {};
  std::wstring text(bytes / sizeof(wchar_t) + 1, L'\0');
  bytes = static_cast<DWORD>(text.size() * sizeof(wchar_t));
  if (RegQueryValueExW(key.get(), L"Path", nullptr, &type, reinterpret_cast<BYTE*>(text.data()),
                       &bytes) != ERROR_SUCCESS ||
      (type != REG_SZ && type != REG_EXPAND_SZ)) {
    return {};
  }
  text.resize(std::min<size_t>(text.size(), bytes / sizeof(wchar_t)));
  text.resize(wcsnlen(text.c_str(), text.size()));  // up to the first NUL
  return text;
}

TSPIs::TSPIs(core::PictureFormats& formats)
    : ApplicationFolder(core::FolderOf(win::ExecutablePath())),
      formats_(formats),
      instance_(MarkTheOnlyManager()) {}

TSPIs::~TSPIs() { Clear(); }

void TSPIs::Loaded() {
  if (AutoSearch) SearchPlugins(L"");
}

int TSPIs::IndexOf(const std::wstring& fileName) const {
  const std::wstring wanted = CanonicalPath(fileName);
  for (size_t i = 0; i < list_.size(); ++i) {
    if (SamePath(list_[i].canonicalPath, wanted)) return static_cast<int>(i);
  }
  return -1;
}

bool TSPIs::HoldsModule(HMODULE module) const {
  return std::any_of(list_.begin(), list_.end(),
                     [module](const Entry& entry) { return entry.spi->Handle() == module; });
}

void TSPIs::Add(std::unique_ptr<TSPI> spi) { Insert(Count(), std::move(spi)); }

void TSPIs::Insert(int index, std::unique_ptr<TSPI> spi) {
  if (index < 0 || index > Count()) throw std::out_of_range("TSPIs::Insert");
  const std::wstring canonicalPath = CanonicalPath(spi->FileName());
  TSPI& inserted = *list_.insert(list_.begin() + index, Entry{std::move(spi), canonicalPath})->spi;
  auto* import = dynamic_cast<TInSPI*>(&inserted);
  if (!import) return;
  const std::vector<std::wstring>& entries = import->Extensions();
  for (size_t i = 0; i < entries.size(); ++i) {
    const std::wstring& description = import->Descriptions()[i];
    const TGraphicClass* graphicClass = GraphicClass ? &*GraphicClass : nullptr;
    for (const std::wstring& extension : EntryExtensions(entries[i])) {
      if (OnPictureRegister)
        OnPictureRegister(*this, *import, extension, description, graphicClass);
      if (graphicClass) {
        formats_.Register({extension, description, graphicClass->name, graphicClass->decode});
      }
    }
  }
}

void TSPIs::Delete(int index) {
  if (index < 0 || index >= Count()) throw std::out_of_range("TSPIs::Delete");
  list_.erase(list_.begin() + index);
}

void TSPIs::Clear() {
  while (Count() > 0) Delete(0);
}

void TSPIs::Search(const std::wstring& mask) {
  const SearchMask split = SplitMask(mask);
  if (!split.folder.empty()) {
    SearchFolder(AddBackslash(split.folder), split.name);
    return;
  }
  for (const std::wstring& place : DefaultPlaces()) SearchFolder(AddBackslash(place), mask);
}

void TSPIs::SearchPlugins(const std::wstring& folder) {
  for (const wchar_t* mask : kPluginMasks) Search(folder + mask);
}

std::vector<std::wstring> TSPIs::DefaultPlaces() const {
  std::vector<std::wstring> places;
  for (TSPISearchOption option :
       {spsSusieDir, spsAppDir, spsCurrentDir, spsSystemDir, spsWindowsDir}) {
    if (!SearchOptions.contains(option)) continue;
    std::wstring folder;
    switch (option) {
      case spsSusieDir:
        folder = SusieFolder();
        break;
      case spsAppDir:
        folder = ApplicationFolder;
        break;
      case spsCurrentDir:
        folder = CurrentFolder();
        break;
      case spsSystemDir:
        folder = SystemFolder(GetSystemDirectoryW);
        break;
      case spsWindowsDir:
        folder = SystemFolder(GetWindowsDirectoryW);
        break;
    }
    if (!folder.empty()) places.push_back(std::move(folder));
  }
  return places;
}

void TSPIs::SearchFolder(const std::wstring& folder, const std::wstring& mask) {
  std::vector<std::wstring> candidates;
  {
    WIN32_FIND_DATAW found;
    win::UniqueFind find(FindFirstFileW((folder + mask).c_str(), &found));
    if (!find) return;
    do {
      if (found.dwFileAttributes & (FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_DIRECTORY)) continue;
      // Loaded by its full path: a relative one would send the system along its DLL search path.
      std::wstring fullName = CanonicalPath(folder + found.cFileName);
      if (IndexOf(fullName) < 0) candidates.push_back(std::move(fullName));
    } while (FindNextFileW(find.get(), &found));
  }
  for (const std::wstring& fileName : candidates) {
    bool accept = true;
    if (OnSearching) OnSearching(*this, fileName, accept);
    if (!accept) continue;
    std::unique_ptr<TSPI> spi = CreateSPI(fileName);
    // The system hands out a module it has loaded already when the file is the same one by
    // another name; the new object only counts one more reference to it.
    if (!spi || HoldsModule(spi->Handle())) continue;
    accept = true;
    // An error of the handler unloads the plug-in with `spi` on its way out.
    if (OnSearch) OnSearch(*this, *spi, accept);
    if (accept) Add(std::move(spi));
  }
}

std::vector<TInSPI*> TSPIs::FindSPIs(const std::wstring& fileName) const {
  std::vector<TInSPI*> imports;
  std::vector<std::vector<std::wstring>> entries;
  for (const Entry& entry : list_) {
    if (auto* import = dynamic_cast<TInSPI*>(entry.spi.get())) {
      imports.push_back(import);
      entries.push_back(import->Extensions());
    }
  }
  std::vector<TInSPI*> ordered;
  for (size_t i : CandidateOrder(fileName, entries)) ordered.push_back(imports[i]);
  return ordered;
}

}  // namespace plugins
