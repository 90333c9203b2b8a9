#pragma once
// The program's settings: one record filled from the settings file at start-up and written back
// when the main window closes. The file itself is reached through IniStore, so this logic is the
// same on Windows (the system's private-profile functions) and in the native tests.

#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

namespace app {

struct Settings {
  int32_t posTop = 80;                    // Pos/Top
  int32_t posLeft = 80;                   // Pos/Left
  int32_t windowMode = 0;                 // Mode/WindowMode: non-zero hides the menu bar
  int32_t resizeMode = 0;                 // Resize/Mode: 0 width, non-zero height
  int32_t resizeDot = 640;                // Resize/Dot
  int32_t comp = 60;                      // Mode/Comp: JPEG quality
  std::wstring susiePath;                 // Susie/Path: plug-in folder ending in a backslash
  std::wstring editPath = L"pbrush.exe";  // Edit/EditPath: the external editor
  int32_t printNum = 0;                   // Print/Num: printer index, -1 = none usable
  int32_t printManual = 0;                // Print/Manual
  int32_t printMulti = 100;               // Print/Multi: percent
  int32_t printLeft = 0;                  // Print/Left
  int32_t printTop = 0;                   // Print/Top
  std::array<std::wstring, 8> iconFiles;  // ICON/File0..File7
};

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

Settings LoadSettings(IniStore& store);
// Writes every key, one by one, in the order of the file's layout.
void SaveSettings(IniStore& store, const Settings& settings);

}  // namespace app
