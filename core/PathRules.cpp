#include "core/PathRules.h"

namespace core {
namespace {

size_t LastDelimiter(std::wstring_view path) { return path.find_last_of(L".\\:"); }

wchar_t FoldAscii(wchar_t c) { return (c >= L'A' && c <= L'Z') ? static_cast<wchar_t>(c + 32) : c; }

}  // namespace

bool HasExtension(std::wstring_view path) {
  const size_t at = LastDelimiter(path);
  return at != std::wstring_view::npos && path[at] == L'.';
}

std::wstring ExtensionOf(std::wstring_view path) {
  if (!HasExtension(path)) return {};
  return std::wstring(path.substr(LastDelimiter(path)));
}

std::wstring ReplaceExtension(std::wstring_view path, std::wstring_view extension) {
  std::wstring_view stem = HasExtension(path) ? path.substr(0, LastDelimiter(path)) : path;
  return std::wstring(stem) + std::wstring(extension);
}

std::wstring FolderOf(std::wstring_view path) {
  const size_t at = path.find_last_of(L"\\:");
  if (at == std::wstring_view::npos) return {};
  return std::wstring(path.substr(0, at + 1));
}

std::wstring WithFolderBackslash(std::wstring_view folder) {
  const size_t first = folder.find(L'\\');
  if (first != std::wstring_view::npos && first + 1 == folder.size()) return std::wstring(folder);
  return std::wstring(folder) + L'\\';
}

std::wstring WithTrailingBackslash(std::wstring_view folder) {
  if (folder.empty() || folder.back() == L'\\') return std::wstring(folder);
  return std::wstring(folder) + L'\\';
}

std::wstring QuoteArgument(std::wstring_view argument) {
  if (!argument.empty() && argument.find_first_of(L" \t\n\v\"") == std::wstring_view::npos) {
    return std::wstring(argument);
  }
  std::wstring quoted = L"\"";
  size_t backslashes = 0;
  for (wchar_t c : argument) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    // Backslashes are literal except before a quote, where each must be doubled.
    quoted.append(c == L'"' ? backslashes * 2 + 1 : backslashes, L'\\');
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');  // they precede the closing quote
  quoted.push_back(L'"');
  return quoted;
}

std::wstring LowerAscii(std::wstring_view text) {
  std::wstring out(text);
  for (wchar_t& c : out) c = FoldAscii(c);
  return out;
}

bool PatternListMentions(std::wstring_view patterns, std::wstring_view extension) {
  return LowerAscii(patterns).find(LowerAscii(L"*" + std::wstring(extension))) !=
         std::wstring::npos;
}

}  // namespace core
