#pragma once
// Whole-file reading and safe writing, and the paths the program derives from its own executable.

#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "win/Handles.h"

namespace win {

std::wstring ExecutablePath();
bool FileExists(const std::wstring& path);

// The file's bytes; throws core::Error naming the file and the reason.
std::vector<uint8_t> ReadWholeFile(const std::wstring& path, uint64_t maxBytes = uint64_t{1} << 31);

// Writes the bytes to a temporary file in the target's folder and only then replaces the target,
// so a failed write leaves the old file as it was and no partial file behind. Throws core::Error.
void WriteFileReplacing(const std::wstring& path, const std::vector<uint8_t>& bytes);

// The system's text for a Win32 error code, without the trailing line break.
std::wstring SystemErrorText(unsigned long code);

// Throws core::Error "`what`: path", then the system's text for `code` on a line of its own.
[[noreturn]] void FailWithFile(const char* what, const std::wstring& path, unsigned long code);

}  // namespace win
