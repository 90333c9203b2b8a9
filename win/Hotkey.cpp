#include "win/Hotkey.h"

#include <commctrl.h>

namespace win {
namespace {

UINT Modifiers(WORD hotkey) {
  const BYTE flags = HIBYTE(hotkey);
  return ((flags & HOTKEYF_CONTROL) ? MOD_CONTROL : 0u) |
         ((flags & HOTKEYF_SHIFT) ? MOD_SHIFT : 0u) | ((flags & HOTKEYF_ALT) ? MOD_ALT : 0u) |
         MOD_NOREPEAT;
}

std::wstring KeyName(UINT virtualKey, bool extended) {
  const UINT scan = MapVirtualKeyW(virtualKey, MAPVK_VK_TO_VSC);
  wchar_t name[64] = {};
  const LONG lParam = static_cast<LONG>((scan << 16) | (extended ? 1u << 24 : 0u));
  if (GetKeyNameTextW(lParam, name, 64) > 0) return name;
  return L"#" + std::to_wstring(virtualKey);
}

}  // namespace

std::wstring HotkeyName(WORD hotkey) {
  const BYTE flags = HIBYTE(hotkey);
  std::wstring name;
  if (flags & HOTKEYF_CONTROL) name += L"Ctrl + ";
  if (flags & HOTKEYF_SHIFT) name += L"Shift + ";
  if (flags & HOTKEYF_ALT) name += L"Alt + ";
  return name + KeyName(LOBYTE(hotkey), (flags & HOTKEYF_EXT) != 0);
}

bool HotkeyRegistration::Register(HWND window, int id, WORD hotkey) {
  if (hotkey_ == hotkey && window_ == window && id_ == id) return true;
  Reset();
  if (!RegisterHotKey(window, id, Modifiers(hotkey), LOBYTE(hotkey))) return false;
  window_ = window;
  id_ = id;
  hotkey_ = hotkey;
  return true;
}

void HotkeyRegistration::Reset() {
  if (hotkey_ != 0) UnregisterHotKey(window_, id_);
  hotkey_ = 0;
}

}  // namespace win
