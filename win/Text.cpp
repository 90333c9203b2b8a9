#include "win/Text.h"

#include <windows.h>

namespace win {

namespace {

std::wstring ToUtf16(UINT codePage, std::string_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = MultiByteToWideChar(codePage, 0, text.data(), size, nullptr, 0);
  std::wstring out(static_cast<size_t>(n), L'\0');
  MultiByteToWideChar(codePage, 0, text.data(), size, out.data(), n);
  return out;
}

std::string FromUtf16(UINT codePage, std::wstring_view text) {
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  const int n = WideCharToMultiByte(codePage, 0, text.data(), size, nullptr, 0, nullptr, nullptr);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(codePage, 0, text.data(), size, out.data(), n, nullptr, nullptr);
  return out;
}

// The ANSI code page without best-fit substitutes; `exact` says whether no character needed the
// default character.
std::string FromUtf16Strict(std::wstring_view text, bool& exact) {
  exact = true;
  if (text.empty()) return {};
  const int size = static_cast<int>(text.size());
  BOOL usedDefault = FALSE;
  const int n = WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, nullptr, 0,
                                    nullptr, &usedDefault);
  std::string out(static_cast<size_t>(n), '\0');
  WideCharToMultiByte(CP_ACP, WC_NO_BEST_FIT_CHARS, text.data(), size, out.data(), n, nullptr,
                      &usedDefault);
  exact = !usedDefault;
  return out;
}

}  // namespace

std::wstring Widen(std::string_view utf8) { return ToUtf16(CP_UTF8, utf8); }
std::string Narrow(std::wstring_view utf16) { return FromUtf16(CP_UTF8, utf16); }
std::wstring WidenAnsi(std::string_view ansi) { return ToUtf16(CP_ACP, ansi); }
std::string NarrowAnsi(std::wstring_view utf16) {
  bool exact = true;
  return FromUtf16Strict(utf16, exact);
}

std::optional<std::string> NarrowAnsiExactly(std::wstring_view utf16) {
  bool exact = true;
  std::string ansi = FromUtf16Strict(utf16, exact);
  if (!exact) return std::nullopt;
  return ansi;
}

}  // namespace win
