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

// A file's bytes mapped into memory for reading, without a copy. Other writers are denied while
// it lives, so the bytes cannot change or vanish under a reader. Throws core::Error naming the
// file and the reason.
class FileView {
 public:
  explicit FileView(const std::wstring& path, uint64_t maxBytes = uint64_t{1} << 31);
  std::span<const uint8_t> Bytes() const {
    return {static_cast<const uint8_t*>(view_.get()), size_};
  }

 private:
  UniqueFile file_;
  UniqueHandle mapping_;
  UniqueView view_;
  size_t size_ = 0;
};

// Writes the bytes to a temporary file in the target's folder and only then replaces the target,
// so a failed write leaves the old file as it was and no partial file behind. Throws core::Error.
void WriteFileReplacing(const std::wstring& path, const std::vector<uint8_t>& bytes);

// The system's text for a Win32 error code, without the trailing line break.
std::wstring SystemErrorText(unsigned long code);

}  // namespace win
