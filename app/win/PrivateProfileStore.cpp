#include "app/win/PrivateProfileStore.h"

#include <windows.h>

#include "win/Handles.h"

namespace app {
namespace {

void CreateUnicodeFileIfMissing(const std::wstring& fileName) {
  win::UniqueFile file(CreateFileW(fileName.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                                   FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) return;  // it exists already, or can't be made: the INI functions report nothing
  const unsigned char bom[2] = {0xFF, 0xFE};
  DWORD written = 0;
  WriteFile(file.get(), bom, sizeof bom, &written, nullptr);
}

}  // namespace

std::optional<std::wstring> PrivateProfileStore::Read(std::wstring_view section,
                                                      std::wstring_view key) {
  if (!fileMissing_) {
    const bool absent = GetFileAttributesW(fileName_.c_str()) == INVALID_FILE_ATTRIBUTES;
    const DWORD error = GetLastError();
    fileMissing_ = absent && (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND);
  }
  if (*fileMissing_) return std::nullopt;
  const std::wstring sectionText(section);
  const std::wstring keyText(key);
  // A value that cannot come from a file tells a missing key from an empty one.
  constexpr const wchar_t* kMissing = L"\x01\x02missing\x02\x01";
  std::wstring buffer(256, L'\0');
  for (;;) {
    const DWORD n =
        GetPrivateProfileStringW(sectionText.c_str(), keyText.c_str(), kMissing, buffer.data(),
                                 static_cast<DWORD>(buffer.size()), fileName_.c_str());
    if (n + 1 < buffer.size()) {
      buffer.resize(n);
      break;
    }
    buffer.assign(buffer.size() * 2, L'\0');
  }
  if (buffer == kMissing) return std::nullopt;
  return buffer;
}

void PrivateProfileStore::Write(std::wstring_view section, std::wstring_view key,
                                std::wstring_view value) {
  if (!fileChecked_) {
    CreateUnicodeFileIfMissing(fileName_);
    fileChecked_ = true;
  }
  fileMissing_ = false;
  WritePrivateProfileStringW(std::wstring(section).c_str(), std::wstring(key).c_str(),
                             std::wstring(value).c_str(), fileName_.c_str());
}

}  // namespace app
