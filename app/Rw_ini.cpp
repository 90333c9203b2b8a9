#include "app/Rw_ini.h"

#include <algorithm>
#include <cwctype>
#include <iterator>
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

// The keys written after the icon files, the last keys of the file's original layout, in their
// order. Each holds a number within bounds; one outside them, like one that is no number, leaves
// the default, since the program relies on the bounds.
struct BoundedKeyDef {
  const wchar_t* section;
  const wchar_t* key;
  int32_t Settings::*field;
  int32_t lowest;
  int32_t highest;
};

const BoundedKeyDef kBoundedKeys[] = {
    {L"Undo", L"Limit", &Settings::undoLimit, 0, kMaxUndoLimitMb},
    {L"Mosaic", L"Mode", &Settings::mosaicMode, 0, 1},
    {L"Mosaic", L"Block", &Settings::mosaicBlock, host::kMinMosaicBlock, host::kMaxMosaicBlock},
    {L"Mosaic", L"Color", &Settings::mosaicColor, 0, 0xFFFFFF},
    {L"Shape", L"Width", &Settings::shapeWidth, host::kMinPenWidth, host::kMaxPenWidth},
    {L"Shape", L"Direction", &Settings::shapeDirection, 0, host::kDirections - 1},
    {L"Capture", L"Delay", &Settings::captureDelay, 0, 10},
    {L"Capture", L"Hotkey", &Settings::captureHotkey, 0, 0xFFFF},
};

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
  for (const BoundedKeyDef& def : kBoundedKeys) {
    const std::optional<std::wstring> text = store.Read(def.section, def.key);
    if (!text) continue;
    const std::optional<int32_t> value = ParseInteger(*text);
    if (value && *value >= def.lowest && *value <= def.highest) settings.*def.field = *value;
  }
  // A delay the settings page does not offer is no delay, and a hotkey without a key no hotkey:
  // a stray value must not leave the window hidden for long or take a bare modifier.
  const auto& offered = host::kCaptureDelays;
  if (std::find(std::begin(offered), std::end(offered), settings.captureDelay) ==
      std::end(offered)) {
    settings.captureDelay = 0;
  }
  if ((settings.captureHotkey & 0xFF) == 0) settings.captureHotkey = 0;
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
  for (const BoundedKeyDef& def : kBoundedKeys) {
    store.Write(def.section, def.key, std::to_wstring(settings.*def.field));
  }
}

}  // namespace app
