#pragma once
// Reading and writing the settings file: the record of host/Settings.h filled from the file at
// start-up and written back when the main window closes. The file itself is reached through
// IniStore, so this logic is the same on Windows (the system's private-profile functions) and in
// the native tests.

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "host/Settings.h"

namespace app {

using host::Settings;

// One INI file, section and key as text.
class IniStore {
 public:
  virtual ~IniStore() = default;
  // The value, or nothing when the key (or section or file) is missing.
  virtual std::optional<std::wstring> Read(std::wstring_view section, std::wstring_view key) = 0;
  virtual void Write(std::wstring_view section, std::wstring_view key, std::wstring_view value) = 0;
};

// Decimal, or hexadecimal after "$", "0x" or "0X", each with an optional sign; surrounding blanks
// are allowed. Anything else, and a value outside 32 bits, gives nothing. Hexadecimal may
// use all 32 bits ("$FFFFFFFF" is -1), as Windows programs commonly write masks that way.
std::optional<int32_t> ParseInteger(std::wstring_view text);
// ParseInteger, with `fallback` for anything it does not accept.
int32_t ParseSettingsInt(std::wstring_view text, int32_t fallback);

// The largest undo limit taken from the file, in megabytes; a larger or negative one, like one that
// is no number, leaves the default.
inline constexpr int32_t kMaxUndoLimitMb = 1 << 20;

Settings LoadSettings(IniStore& store);
// Writes every key, one by one, in the order of the file's layout.
void SaveSettings(IniStore& store, const Settings& settings);

}  // namespace app
