#include "win/Files.h"

#include <windows.h>

#include "core/Error.h"
#include "core/PathRules.h"
#include "win/Handles.h"
#include "win/Text.h"

namespace win {

void FailWithFile(const char* what, const std::wstring& path, unsigned long code) {
  throw core::Error(std::string(what) + ": " + Narrow(path) + "\n" + Narrow(SystemErrorText(code)));
}

std::wstring SystemErrorText(unsigned long code) {
  wchar_t* buffer = nullptr;
  const DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, code, 0, reinterpret_cast<wchar_t*>(&buffer), 0, nullptr);
  UniqueLocal owner(buffer);
  std::wstring text = n ? std::wstring(buffer, n) : L"エラー " + std::to_wstring(code);
  while (!text.empty() && (text.back() == L'\n' || text.back() == L'\r' || text.back() == L' ')) {
    text.pop_back();
  }
  return text;
}

std::wstring ExecutablePath() {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD n = GetModuleFileNameW(nullptr, path.data(), static_cast<DWORD>(path.size()));
    if (n < path.size()) {
      path.resize(n);
      return path;
    }
    path.resize(path.size() * 2);
  }
}

bool FileExists(const std::wstring& path) {
  const DWORD attributes = GetFileAttributesW(path.c_str());
  return attributes != INVALID_FILE_ATTRIBUTES && !(attributes & FILE_ATTRIBUTE_DIRECTORY);
}

std::vector<uint8_t> ReadWholeFile(const std::wstring& path, uint64_t maxBytes) {
  UniqueFile file(CreateFileW(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr));
  if (!file) FailWithFile("ファイルを開けません", path, GetLastError());
  LARGE_INTEGER size{};
  if (!GetFileSizeEx(file.get(), &size)) FailWithFile("ファイルを読めません", path, GetLastError());
  if (static_cast<uint64_t>(size.QuadPart) > maxBytes) {
    throw core::Error("ファイルが大きすぎます: " + Narrow(path));
  }
  std::vector<uint8_t> bytes(static_cast<size_t>(size.QuadPart));
  size_t done = 0;
  while (done < bytes.size()) {
    const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
    DWORD got = 0;
    if (!ReadFile(file.get(), bytes.data() + done, chunk, &got, nullptr)) {
      FailWithFile("ファイルを読めません", path, GetLastError());
    }
    if (got == 0) break;
    done += got;
  }
  bytes.resize(done);
  return bytes;
}

void WriteFileReplacing(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  // A read-only file is not to be replaced, whatever the file system would allow a rename to do.
  const DWORD attributes = GetFileAttributesW(path.c_str());
  if (attributes != INVALID_FILE_ATTRIBUTES) {
    if (attributes & FILE_ATTRIBUTE_DIRECTORY)
      FailWithFile("ファイルを作成できません", path, ERROR_ACCESS_DENIED);
    if (attributes & FILE_ATTRIBUTE_READONLY)
      FailWithFile("ファイルに書き込めません", path, ERROR_ACCESS_DENIED);
  }
  std::wstring folder = core::FolderOf(path);
  if (folder.empty()) folder = L".\\";
  std::wstring temp(MAX_PATH, L'\0');
  if (!GetTempFileNameW(folder.c_str(), L"cap", 0, temp.data())) {
    FailWithFile("ファイルを作成できません", path, GetLastError());
  }
  temp.resize(wcslen(temp.c_str()));
  auto discardTemp = [&] { DeleteFileW(temp.c_str()); };
  {
    UniqueFile file(CreateFileW(temp.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
      const DWORD code = GetLastError();
      discardTemp();
      FailWithFile("ファイルを作成できません", path, code);
    }
    size_t done = 0;
    while (done < bytes.size()) {
      const DWORD chunk = static_cast<DWORD>(std::min<size_t>(bytes.size() - done, 1u << 30));
      DWORD written = 0;
      if (!WriteFile(file.get(), bytes.data() + done, chunk, &written, nullptr) || written == 0) {
        const DWORD code = GetLastError();
        file.reset();
        discardTemp();
        FailWithFile("ファイルに書き込めません", path, code);
      }
      done += written;
    }
    if (!FlushFileBuffers(file.get())) {
      const DWORD code = GetLastError();
      file.reset();
      discardTemp();
      FailWithFile("ファイルに書き込めません", path, code);
    }
  }
  if (!MoveFileExW(temp.c_str(), path.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    const DWORD code = GetLastError();
    discardTemp();
    FailWithFile("ファイルを保存できません", path, code);
  }
}

}  // namespace win
