#pragma once
// Conversions between the UTF-16 text of the Windows API and the UTF-8 text of the portable code.

#include <string>
#include <string_view>

namespace win {

std::wstring Widen(std::string_view utf8);
std::string Narrow(std::wstring_view utf16);

}  // namespace win
