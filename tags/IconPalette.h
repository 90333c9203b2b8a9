#pragma once
// The icon palette on the icon page: 12 pages of 4 slots, paged with UpDown2 and numbered in
// Panel4. Pages 1-5 and 7-11 show built-in icons; pages 6 and 12 are the user's, whose slots take
// icon files registered by a double-click and kept in the settings (IconFiles). Each slot lies on a
// coloured square that shows through the icon's transparent pixels: maroon behind the selected
// slot, green behind the others. The squares' colours are the selection's only record.

#include <windows.h>

#include <array>
#include <set>
#include <string>

#include "host/Roles.h"
#include "win/Handles.h"

namespace tags {

// The icon page's controls that the palette works; the window builds them.
struct IconPageControls {
  HWND page = nullptr;            // TabSheet1, the parent, which asks for the controls' colours
  HWND Panel4 = nullptr;          // "n/12"
  HWND UpDown2 = nullptr;         // the page switcher: positions 0..11, wrapping at both ends
  std::array<HWND, 4> squares{};  // Label9..Label12
  std::array<HWND, 4> slots{};    // Image11..Image14, each over its square
};

class IconPalette {
 public:
  IconPalette(host::PictureHost& picture, host::WindowServices& window);
  ~IconPalette();
  IconPalette(const IconPalette&) = delete;
  IconPalette& operator=(const IconPalette&) = delete;

  // Takes over the controls' colours and contents; every square green.
  void Attach(const IconPageControls& controls);
  // The window's resolution has changed: the page is shown again with icons of the new size, and
  // the page number in the bold form of the window's new font.
  void DpiChanged();

  // UpDown2's position: the page shown, less 1.
  int Position() const;
  // Fills the four slots for position n (0..11) and numbers the page in Panel4. On the user's
  // pages a registered file replaces the blank built-in icon; a file that cannot be read leaves
  // its slot blank with the file's name in the slot's hint, and is reported once in a run.
  void ShowIconPage(int n);
  // Makes slot 0..3 the selected one.
  void Select(int slot);
  // A copy of the icon in the slot whose square is maroon; empty when no square is.
  win::UniqueIcon CopySelectedIcon() const;
  // The slot (0..3) that `control` is, or -1.
  int SlotOf(HWND control) const;
  // On page 6 or 12, asks for an icon file for the slot, keeps it in IconFiles, shows it and says
  // so; on the other pages nothing happens. A file that holds no readable icon is refused with an
  // error and the slot keeps its file.
  void Register(int slot);

 private:
  static LRESULT CALLBACK PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR id, DWORD_PTR self) noexcept;
  // The colours of the squares and slots, and of Panel4, for WM_CTLCOLORSTATIC; null for others.
  HBRUSH Colour(HWND control, HDC dc) const;
  void SetSlotHint(int slot, const std::wstring& hint);
  // The icons' size at the window's resolution.
  int IconSize() const;
  // Panel4's text in bold: the window's font, made bold.
  void EmboldenPanel();

  host::PictureHost& picture_;
  host::WindowServices& window_;
  IconPageControls controls_;
  std::array<COLORREF, 4> squareColours_{};
  std::array<win::UniqueIcon, 4> slotIcons_;
  std::array<std::wstring, 4> slotHints_;
  // Registered files found unreadable in this run; each is reported once.
  std::set<std::wstring> reported_;
  win::UniqueBrush maroon_;
  win::UniqueBrush green_;
  win::UniqueBrush navy_;
  win::UniqueFont panelFont_;
};

}  // namespace tags
