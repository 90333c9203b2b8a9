#include "plugins/PluginFileName.h"

#include <windows.h>

#include <optional>

#include "core/PathRules.h"
#include "win/Text.h"

namespace plugins {
namespace {

std::optional<std::string> Usable(const std::wstring& path) {
  std::optional<std::string> ansi = win::NarrowAnsiExactly(path);
  if (ansi && ansi->size() >= MAX_PATH) ansi.reset();
  return ansi;
}

std::wstring ShortPath(const std::wstring& path) {
  const DWORD n = GetShortPathNameW(path.c_str(), nullptr, 0);
  if (n == 0) return {};
  std::wstring shortPath(n, L'\0');
  shortPath.resize(GetShortPathNameW(path.c_str(), shortPath.data(), n));
  return shortPath;
}

}  // namespace

std::string PluginFileName(const std::wstring& path) {
  if (path.empty()) return {};
  if (std::optional<std::string> full = Usable(path)) return *full;
  if (const std::wstring shortPath = ShortPath(path); !shortPath.empty()) {
    if (std::optional<std::string> converted = Usable(shortPath)) return *converted;
  }
  const size_t folderEnd = path.find_last_of(L"\\/:");
  std::string own =
      win::NarrowAnsi(folderEnd == std::wstring::npos ? path : path.substr(folderEnd + 1));
  // A name of more than 255 characters, each of two bytes here: its extension says enough.
  if (own.size() >= MAX_PATH) own = win::NarrowAnsi(core::ExtensionOf(path));
  return own;
}

}  // namespace plugins
