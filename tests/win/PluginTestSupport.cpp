#include "PluginTestSupport.h"

#include <stdexcept>

#include "WineTestSupport.h"

namespace winetest {
namespace {

LocalFreeCounter* activeCounter = nullptr;

// Writes `value` into an import table entry, which the loader leaves read-only.
void Patch(void** slot, void* value) {
  DWORD old = 0;
  VirtualProtect(slot, sizeof *slot, PAGE_READWRITE, &old);
  *slot = value;
  VirtualProtect(slot, sizeof *slot, old, &old);
}

}  // namespace

std::filesystem::path PluginBuildFolder() {
  wchar_t exe[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, exe, MAX_PATH);
  return std::filesystem::path(exe).parent_path() / L"plugins";
}

std::vector<uint8_t> CorpusFile(const std::wstring& name) {
  return ReadFileBytes(PluginBuildFolder() / L"corpora" / name);
}

std::wstring CopyPlugin(const std::wstring& kind, const std::filesystem::path& folder,
                        const std::wstring& name) {
  const std::filesystem::path target = folder / ((name.empty() ? kind : name) + kPluginExtension);
  std::filesystem::copy_file(PluginBuildFolder() / (kind + kPluginExtension), target,
                             std::filesystem::copy_options::overwrite_existing);
  return target.wstring();
}

const testplugin::Journal* JournalOf(const std::wstring& path) {
  HMODULE module = GetModuleHandleW(path.c_str());
  if (!module) return nullptr;
  auto journal = reinterpret_cast<testplugin::TestJournalProc>(
      reinterpret_cast<void (*)()>(GetProcAddress(module, "TestJournal")));
  return journal ? journal() : nullptr;
}

void ResetJournal(const std::wstring& path) {
  HMODULE module = GetModuleHandleW(path.c_str());
  auto reset = module ? reinterpret_cast<testplugin::TestResetProc>(
                            reinterpret_cast<void (*)()>(GetProcAddress(module, "TestReset")))
                      : nullptr;
  if (!reset) throw std::runtime_error("the plug-in is not loaded: " + Utf8(path));
  reset();
}

std::map<HLOCAL, int> HandedOut(const testplugin::Journal& journal) {
  std::map<HLOCAL, int> blocks;
  for (int i = 0; i < journal.handleCount; ++i) ++blocks[journal.handles[i]];
  return blocks;
}

LocalFreeCounter::LocalFreeCounter() {
  if (activeCounter) throw std::runtime_error("one LocalFreeCounter at a time");
  original_ =
      reinterpret_cast<void*>(GetProcAddress(GetModuleHandleW(L"kernel32.dll"), "LocalFree"));
  auto* base = reinterpret_cast<uint8_t*>(GetModuleHandleW(nullptr));
  const auto* dos = reinterpret_cast<const IMAGE_DOS_HEADER*>(base);
  const auto* nt = reinterpret_cast<const IMAGE_NT_HEADERS*>(base + dos->e_lfanew);
  const IMAGE_DATA_DIRECTORY& imports =
      nt->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
  for (auto* d = reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
       d->Name != 0; ++d) {
    for (auto** slot = reinterpret_cast<void**>(base + d->FirstThunk); *slot; ++slot) {
      if (*slot == original_) slots_.push_back(slot);
    }
  }
  if (slots_.empty()) throw std::runtime_error("LocalFree is not in the import table");
  activeCounter = this;
  for (void** slot : slots_) Patch(slot, reinterpret_cast<void*>(&Count));
}

LocalFreeCounter::~LocalFreeCounter() {
  for (void** slot : slots_) Patch(slot, original_);
  activeCounter = nullptr;
}

int LocalFreeCounter::TimesFreed(HLOCAL block) const {
  const auto found = freed_.find(block);
  return found == freed_.end() ? 0 : found->second;
}

HLOCAL WINAPI LocalFreeCounter::Count(HLOCAL block) {
  if (activeCounter) ++activeCounter->freed_[block];
  return reinterpret_cast<HLOCAL(WINAPI*)(HLOCAL)>(activeCounter->original_)(block);
}

}  // namespace winetest
