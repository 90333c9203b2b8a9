#pragma once
// Conversions between the UTF-16 text of the Windows API and the UTF-8 text of the portable code.

#include <optional>
#include <string>
#include <string_view>

namespace win {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

// The system's ANSI code page, for interfaces that are ANSI by definition (Susie plug-ins).
// Characters the code page lacks become its default character, never a look-alike ("ü" does not
// become "u"): a name must not turn into another file's.
std::wstring WidenAnsi(std::string_view ansi);
std::string NarrowAnsi(std::wstring_view utf16);
// The text in the ANSI code page when every character has its own there; nothing otherwise.
std::optional<std::string> NarrowAnsiExactly(std::wstring_view utf16);

}  // namespace win
