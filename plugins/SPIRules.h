#pragma once
// The plug-in manager's rules that are plain text and list work, kept portable so the native build
// tests them: where a search mask looks, which extensions one pattern entry of a plug-in registers,
// which plug-ins try a file and in which order, and the pattern list the program offers.

#include <cstddef>
#include <string>
#include <string_view>
#include <vector>

namespace plugins {

// "" stays ""; a text ending in "\" stays as it is; any other text gets a "\" appended.
std::wstring AddBackslash(std::wstring_view folder);

// A search mask split into its folder (everything up to and including the last "\" or ":") and
// its name part: "C:\x\*.spi" -> "C:\x\" and "*.spi"; "*.spi" -> "" and "*.spi".
struct SearchMask {
  std::wstring folder;
  std::wstring name;
};
SearchMask SplitMask(std::wstring_view mask);

// The extensions that one pattern entry such as "*.pi;*.pic" registers, in the order of their
// registration: the items between the ";" from the last to the first, each the text after its
// first "." ("*.mag" -> "mag", the all-files pattern "*.*" -> "*"), an item without "." unchanged.
std::vector<std::wstring> EntryExtensions(std::wstring_view entry);

// The order in which plug-ins try a file, as indices into `extensionsOfEach` (each plug-in's
// pattern entries, in the manager's order). A plug-in with an entry whose own extension (from the
// entry's last ".") equals the file's, ASCII letters folded, comes first, the last such plug-in
// of the list foremost; all others follow in list order. "*.pi;*.pic" names ".pic" only.
std::vector<size_t> CandidateOrder(std::wstring_view fileName,
                                   const std::vector<std::vector<std::wstring>>& extensionsOfEach);

// The built-in patterns, then ";" and the first entry of each plug-in that has one, lower-cased
// (ASCII letters only); an entry of several patterns is appended whole.
std::wstring BuildPatternList(const std::vector<std::wstring>& firstEntries);

}  // namespace plugins
