#pragma once
// Rules on Windows path strings that the program applies itself, kept portable so they are tested
// natively. Paths are UTF-16/UTF-32 wide strings with backslashes.

#include <string>
#include <string_view>

namespace core {

// True when the path has an extension: the last of its characters that is a '.', '\' or ':' is a
// '.'. So "C:\a.b\shot" has none and "shot." has the extension ".".
bool HasExtension(std::wstring_view path);

// The extension including its dot ("" when there is none), as HasExtension defines it.
std::wstring ExtensionOf(std::wstring_view path);

// The path with its extension replaced by `extension` (which includes the dot), or appended when
// there is none: "C:\x\Capslate.exe" -> "C:\x\Capslate.INI".
std::wstring ReplaceExtension(std::wstring_view path, std::wstring_view extension);

// The folder of a path including its trailing backslash ("" when the path names no folder).
std::wstring FolderOf(std::wstring_view path);

// A folder path as a folder chooser gives it, with the trailing backslash that a search mask needs
// after it: "C:\Susie" -> "C:\Susie\"; a path whose first backslash is its last character (a
// drive's root, "C:\") stays as it is.
std::wstring WithFolderBackslash(std::wstring_view folder);

// The path with a backslash at its end, added only when it has none: for a folder typed by the
// user, which a search mask is then appended to ("C:\Susie" + "*.spi" would name files in C:\).
std::wstring WithTrailingBackslash(std::wstring_view folder);

// One command-line argument, quoted where needed so that the C runtime and CommandLineToArgvW
// give it back unchanged: "C:\dir with blanks\tmp$$$.bmp" stays one argument.
std::wstring QuoteArgument(std::wstring_view argument);

// The text with ASCII letters A-Z turned to lower case; every other character stays.
std::wstring LowerAscii(std::wstring_view text);

// True when "*" + extension, lower-cased, occurs anywhere in the lower-cased pattern list such as
// "*.bmp;*.dib;*.jpg;*.jpeg". A plain substring test (ASCII letters folded): ".jp" passes through
// "*.jpg", and an empty extension passes whenever the list holds a "*".
bool PatternListMentions(std::wstring_view patterns, std::wstring_view extension);

}  // namespace core
