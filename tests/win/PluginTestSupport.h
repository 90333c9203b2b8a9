#pragma once
// The test plug-ins (tests/win/plugins) as the tests use them: where the build put them, copies in
// a test's folder, what each one recorded, and a count of the LocalFree calls of the program under
// test, so a test can tell that each block a plug-in handed over was freed exactly once.

#include <windows.h>

#include <cstdint>
#include <filesystem>
#include <map>
#include <string>
#include <vector>

#include "tests/win/plugins/TestPluginJournal.h"

namespace winetest {

// 64-bit plug-ins are ".sph", 32-bit ones ".spi".
#ifdef _WIN64
inline constexpr const wchar_t* kPluginExtension = L".sph";
#else
inline constexpr const wchar_t* kPluginExtension = L".spi";
#endif

// The folder "plugins" beside the test program: the built plug-ins, and under "corpora" the files
// of tests/corpora the plug-in tests read.
std::filesystem::path PluginBuildFolder();
std::vector<uint8_t> CorpusFile(const std::wstring& name);

// Copies the test plug-in of `kind` ("netpbm", "hostile", ...) into `folder` as `name` (the kind
// when empty) with the plug-in extension of this build; returns the copy's full path.
std::wstring CopyPlugin(const std::wstring& kind, const std::filesystem::path& folder,
                        const std::wstring& name = L"");

// What the loaded plug-in at `path` recorded; null when it is not loaded.
const testplugin::Journal* JournalOf(const std::wstring& path);
void ResetJournal(const std::wstring& path);
// The blocks the plug-in handed over, by handle, with how many times each handle was handed over
// (a handle freed by the program may come back for a new block).
std::map<HLOCAL, int> HandedOut(const testplugin::Journal& journal);

// While it lives, every LocalFree of this program (the program under test is linked into it; the
// plug-ins have their own import tables) is counted, by taking LocalFree's place in the program's
// import table. One at a time.
class LocalFreeCounter {
 public:
  LocalFreeCounter();
  ~LocalFreeCounter();
  LocalFreeCounter(const LocalFreeCounter&) = delete;
  LocalFreeCounter& operator=(const LocalFreeCounter&) = delete;

  int TimesFreed(HLOCAL block) const;

 private:
  static HLOCAL WINAPI Count(HLOCAL block);

  std::vector<void**> slots_;  // the import table entries that held LocalFree
  void* original_ = nullptr;
  std::map<HLOCAL, int> freed_;
};

}  // namespace winetest
