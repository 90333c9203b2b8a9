#pragma once
// UTF-8 from the wide strings of paths and texts (UTF-16 on Windows, UTF-32 elsewhere), for error
// messages built by portable code.

#include <string>
#include <string_view>

namespace core {

// Unpaired surrogates become U+FFFD.
std::string ToUtf8(std::wstring_view text);

}  // namespace core
