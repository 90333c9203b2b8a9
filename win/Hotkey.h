#pragma once
// A system-wide hotkey of a window, given as a hotkey control gives it: the virtual key in the low
// byte, the HOTKEYF_ modifier flags in the high byte.

#include <windows.h>

#include <string>

namespace win {

// The key as the hotkey control shows it, e.g. "Ctrl + Shift + A".
std::wstring HotkeyName(WORD hotkey);

// One registration (RegisterHotKey); released when replaced or destroyed.
class HotkeyRegistration {
 public:
  HotkeyRegistration() = default;
  ~HotkeyRegistration() { Reset(); }
  HotkeyRegistration(const HotkeyRegistration&) = delete;
  HotkeyRegistration& operator=(const HotkeyRegistration&) = delete;

  // Registers `hotkey` for `window` under `id` in place of the one held; false, and nothing held,
  // when the system refuses it (another program holds the key). A key held by this registration
  // already stays registered.
  bool Register(HWND window, int id, WORD hotkey);
  void Reset();
  WORD Hotkey() const { return hotkey_; }

 private:
  HWND window_ = nullptr;
  int id_ = 0;
  WORD hotkey_ = 0;
};

}  // namespace win
