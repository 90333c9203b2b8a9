#include "plugins/SPIRules.h"

#include "core/PathRules.h"
#include "plugins/BuiltInFormats.h"

namespace plugins {

std::wstring AddBackslash(std::wstring_view folder) {
  std::wstring out(folder);
  if (!out.empty() && out.back() != L'\\') out += L'\\';
  return out;
}

SearchMask SplitMask(std::wstring_view mask) {
  const size_t at = mask.find_last_of(L"\\:");
  if (at == std::wstring_view::npos) return {L"", std::wstring(mask)};
  return {std::wstring(mask.substr(0, at + 1)), std::wstring(mask.substr(at + 1))};
}

std::vector<std::wstring> EntryExtensions(std::wstring_view entry) {
  std::vector<std::wstring> items;
  size_t start = 0;
  for (;;) {
    const size_t end = entry.find(L';', start);
    items.emplace_back(entry.substr(start, end == std::wstring_view::npos ? end : end - start));
    if (end == std::wstring_view::npos) break;
    start = end + 1;
  }
  std::vector<std::wstring> extensions;
  for (auto it = items.rbegin(); it != items.rend(); ++it) {
    const size_t dot = it->find(L'.');
    extensions.push_back(dot == std::wstring::npos ? *it : it->substr(dot + 1));
  }
  return extensions;
}

std::vector<size_t> CandidateOrder(std::wstring_view fileName,
                                   const std::vector<std::vector<std::wstring>>& extensionsOfEach) {
  const std::wstring extension = core::LowerAscii(core::ExtensionOf(fileName));
  std::vector<size_t> named;  // foremost first
  std::vector<size_t> others;
  for (size_t i = 0; i < extensionsOfEach.size(); ++i) {
    bool names = false;
    for (const std::wstring& entry : extensionsOfEach[i]) {
      if (!extension.empty() && core::LowerAscii(core::ExtensionOf(entry)) == extension) {
        names = true;
        break;
      }
    }
    if (names) {
      named.insert(named.begin(), i);
    } else {
      others.push_back(i);
    }
  }
  named.insert(named.end(), others.begin(), others.end());
  return named;
}

std::wstring BuildPatternList(const std::vector<std::wstring>& firstEntries) {
  std::wstring list = kBuiltInPatterns;
  for (const std::wstring& entry : firstEntries) list += L";" + core::LowerAscii(entry);
  return list;
}

}  // namespace plugins
