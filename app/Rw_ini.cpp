#include "app/Rw_ini.h"

#include <cwctype>
#include <string>
#include <variant>

namespace app {
namespace {

// The keys in the order they are read and written; the file's section order follows from it.
struct KeyDef {
  const wchar_t* section;
  const wchar_t* key;
  std::variant<int32_t Settings::*, std::wstring Settings::*> field;
};

const KeyDef kKeys[] = {
    {L"Pos", L"Top", &Settings::posTop},
    {L"Pos", L"Left", &Settings::posLeft},
    {L"Mode", L"WindowMode", &Settings::windowMode},
    {L"Resize", L"Mode", &Settings::resizeMode},
    {L"Resize", L"Dot", &Settings::resizeDot},
    {L"Mode", L"Comp", &Settings::comp},
    {L"Susie", L"Path", &Settings::susiePath},
    {L"Edit", L"EditPath", &Settings::editPath},
    {L"Print", L"Num", &Settings::printNum},
    {L"Print", L"Manual", &Settings::printManual},
    {L"Print", L"Multi", &Settings::printMulti},
    {L"Print", L"Left", &Settings::printLeft},
    {L"Print", L"Top", &Settings::printTop},
};

constexpr const wchar_t* kIconSection = L"ICON";
// Written after the icon files, the last keys of the file's original layout.
constexpr const wchar_t* kUndoSection = L"Undo";
constexpr const wchar_t* kUndoLimitKey = L"Limit";

std::wstring IconKey(size_t n) { return L"File" + std::to_wstring(n); }

int HexDigit(wchar_t c) {
  if (c >= L'0' && c <= L'9') return c - L'0';
  if (c >= L'a' && c <= L'f') return c - L'a' + 10;
  if (c >= L'A' && c <= L'F') return c - L'A' + 10;
  return -1;
}

}  // namespace

std::optional<int32_t> ParseInteger(std::wstring_view text) {
  while (!text.empty() && std::iswspace(text.front())) text.remove_prefix(1);
  while (!text.empty() && std::iswspace(text.back())) text.remove_suffix(1);
  bool negative = false;
  if (!text.empty() && (text.front() == L'-' || text.front() == L'+')) {
    negative = text.front() == L'-';
    text.remove_prefix(1);
  }
  bool hex = false;
  if (!text.empty() && text.front() == L'$') {
    hex = true;
    text.remove_prefix(1);
  } else if (text.size() >= 2 && text[0] == L'0' && (text[1] == L'x' || text[1] == L'X')) {
    hex = true;
    text.remove_prefix(2);
  }
  if (text.empty()) return std::nullopt;

  const int base = hex ? 16 : 10;
  const int64_t limit = hex ? 0xFFFFFFFFLL : (negative ? 0x80000000LL : 0x7FFFFFFFLL);
  int64_t value = 0;
  for (wchar_t c : text) {
    const int digit = HexDigit(c);
    if (digit < 0 || digit >= base) return std::nullopt;
    value = value * base + digit;
    if (value > limit) return std::nullopt;
  }
  if (hex) value = static_cast<int32_t>(static_cast<uint32_t>(value));
  return static_cast<int32_t>(negative ? -value : value);
}

int32_t ParseSettingsInt(std::wstring_view text, int32_t fallback) {
  return ParseInteger(text).value_or(fallback);
}

Settings LoadSettings(IniStore& store) {
  Settings settings;
  for (const KeyDef& def : kKeys) {
    std::optional<std::wstring> text = store.Read(def.section, def.key);
    if (auto* intField = std::get_if<int32_t Settings::*>(&def.field)) {
      if (text) settings.*(*intField) = ParseSettingsInt(*text, settings.*(*intField));
    } else if (text) {
      settings.*std::get<std::wstring Settings::*>(def.field) = *text;
    }
  }
  for (size_t n = 0; n < settings.iconFiles.size(); ++n) {
    settings.iconFiles[n] = store.Read(kIconSection, IconKey(n)).value_or(L"");
  }
  if (std::optional<std::wstring> text = store.Read(kUndoSection, kUndoLimitKey)) {
    const int32_t limit = ParseSettingsInt(*text, settings.undoLimit);
    if (limit >= 0 && limit <= kMaxUndoLimitMb) settings.undoLimit = limit;
  }
  return settings;
}

void SaveSettings(IniStore& store, const Settings& settings) {
  for (const KeyDef& def : kKeys) {
    if (auto* intField = std::get_if<int32_t Settings::*>(&def.field)) {
      store.Write(def.section, def.key, std::to_wstring(settings.*(*intField)));
    } else {
      store.Write(def.section, def.key, settings.*std::get<std::wstring Settings::*>(def.field));
    }
  }
  for (size_t n = 0; n < settings.iconFiles.size(); ++n) {
    store.Write(kIconSection, IconKey(n), settings.iconFiles[n]);
  }
  store.Write(kUndoSection, kUndoLimitKey, std::to_wstring(settings.undoLimit));
}

}  // namespace app
