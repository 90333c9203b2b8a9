#include "tags/IconPalette.h"

#include <windows.h>
#include <commctrl.h>

#include <utility>
#include <vector>

#include "core/Error.h"
#include "tags/IconFile.h"
#include "win/Dpi.h"
#include "win/FileDialogs.h"
#include "win/Text.h"

namespace tags {
namespace {

constexpr UINT_PTR kPageSubclass = 0x49434F4E;
constexpr COLORREF kSelected = RGB(128, 0, 0);   // maroon
constexpr COLORREF kOther = RGB(0, 128, 0);      // green
constexpr COLORREF kPanelBack = RGB(0, 0, 128);  // navy
constexpr COLORREF kPanelText = RGB(255, 255, 255);
constexpr int kSlots = 4;
// The user's pages, 6 and 12, by position; their slots are IconFiles entries 0-3 and 4-7.
constexpr int kFirstUserPage = 5;
constexpr int kSecondUserPage = 11;
constexpr const wchar_t* kSlotHint = L"6/12ﾍﾟｰｼﾞはﾀﾞﾌﾞﾙｸﾘｯｸで登録";

// The first IconFiles entry of the page at `position`, or -1 on a page of built-in icons.
int FirstEntryOf(int position) {
  if (position == kFirstUserPage) return 0;
  if (position == kSecondUserPage) return kSlots;
  return -1;
}

}  // namespace

IconPalette::IconPalette(host::PictureHost& picture, host::WindowServices& window)
    : picture_(picture), window_(window) {}

IconPalette::~IconPalette() {
  if (controls_.page && IsWindow(controls_.page)) {
    RemoveWindowSubclass(controls_.page, PageProc, kPageSubclass);
  }
}

void IconPalette::Attach(const IconPageControls& controls) {
  controls_ = controls;
  maroon_.reset(CreateSolidBrush(kSelected));
  green_.reset(CreateSolidBrush(kOther));
  navy_.reset(CreateSolidBrush(kPanelBack));
  squareColours_.fill(kOther);
  slotHints_.fill(kSlotHint);
  EmboldenPanel();
  // Each slot above its square, so the slot is what the mouse meets and what paints last.
  for (HWND slot : controls_.slots) {
    SetWindowPos(slot, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
  }
  SetWindowSubclass(controls_.page, PageProc, kPageSubclass, reinterpret_cast<DWORD_PTR>(this));
}

void IconPalette::EmboldenPanel() {
  LOGFONTW font{};
  auto current = reinterpret_cast<HFONT>(SendMessageW(controls_.Panel4, WM_GETFONT, 0, 0));
  if (current && GetObjectW(current, sizeof font, &font)) {
    font.lfWeight = FW_BOLD;
    win::UniqueFont bold(CreateFontIndirectW(&font));
    SendMessageW(controls_.Panel4, WM_SETFONT, reinterpret_cast<WPARAM>(bold.get()), TRUE);
    panelFont_ = std::move(bold);  // the old font goes once the panel no longer uses it
  }
}

void IconPalette::DpiChanged() {
  EmboldenPanel();
  ShowIconPage(Position());
}

int IconPalette::IconSize() const { return win::IconSizeForDpi(window_.Dpi()); }

int IconPalette::Position() const {
  return static_cast<int>(SendMessageW(controls_.UpDown2, UDM_GETPOS32, 0, 0));
}

void IconPalette::ShowIconPage(int n) {
  std::array<win::UniqueIcon, kSlots> icons;
  std::array<std::wstring, kSlots> hints;
  const int size = IconSize();
  for (int k = 0; k < kSlots; ++k) {
    icons[k] = LoadPaletteIcon(kSlots * n + k + 1, size);
    hints[k] = kSlotHint;
  }
  int lowest = 0;
  int highest = 0;
  SendMessageW(controls_.UpDown2, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&lowest),
               reinterpret_cast<LPARAM>(&highest));
  SetWindowTextW(controls_.Panel4,
                 (std::to_wstring(n + 1) + L"/" + std::to_wstring(highest + 1)).c_str());
  std::vector<std::wstring> unreadable;
  if (const int first = FirstEntryOf(n); first >= 0) {
    for (int k = 0; k < kSlots; ++k) {
      const std::wstring& file = window_.Settings().iconFiles[first + k];
      if (file.empty()) continue;
      if (win::UniqueIcon icon = LoadIconFile(file, size)) {
        icons[k] = std::move(icon);
      } else {
        // The slot stays blank; the entry stays too, for the file may come back.
        hints[k] = file + L" を読み込めません";
        unreadable.push_back(file);
      }
    }
  }
  for (int k = 0; k < kSlots; ++k) {
    SendMessageW(controls_.slots[k], STM_SETICON, reinterpret_cast<WPARAM>(icons[k].get()), 0);
    slotIcons_[k] = std::move(icons[k]);  // the old icon goes once its slot shows the new one
    SetSlotHint(k, hints[k]);
  }
  // Reported once the page is complete, so the box does not stand over a half-filled page.
  for (const std::wstring& file : unreadable) {
    if (reported_.insert(file).second) {
      window_.Prompts().ShowError(window_.Owner(), win::Widen(IconFileError(file)));
    }
  }
}

void IconPalette::SetSlotHint(int slot, const std::wstring& hint) {
  if (slotHints_[slot] == hint) return;
  slotHints_[slot] = hint;
  window_.SetHint(controls_.slots[slot], hint);
}

void IconPalette::Select(int slot) {
  for (int k = 0; k < kSlots; ++k) {
    squareColours_[k] = k == slot ? kSelected : kOther;
    InvalidateRect(controls_.squares[k], nullptr, TRUE);
    InvalidateRect(controls_.slots[k], nullptr, TRUE);
  }
}

win::UniqueIcon IconPalette::CopySelectedIcon() const {
  win::UniqueIcon copy;
  for (int k = 0; k < kSlots; ++k) {
    if (squareColours_[k] == kSelected && slotIcons_[k]) {
      copy.reset(CopyIcon(slotIcons_[k].get()));
    }
  }
  return copy;
}

int IconPalette::SlotOf(HWND control) const {
  for (int k = 0; k < kSlots; ++k) {
    if (controls_.slots[k] == control) return k;
  }
  return -1;
}

void IconPalette::Register(int slot) {
  const int position = Position();
  const int first = FirstEntryOf(position);
  if (first < 0 || slot < 0 || slot >= kSlots) return;
  const std::optional<std::wstring> chosen =
      win::ChooseFileToOpen(window_.Owner(), window_.Prompts(), {{L"ｱｲｺﾝﾌｧｲﾙ(*.ico)", L"*.ico"}});
  if (!chosen) return;
  picture_.SetCurrentFileName(*chosen);
  if (!LoadIconFile(*chosen, IconSize())) throw core::Error(IconFileError(*chosen));
  window_.Settings().iconFiles[first + slot] = *chosen;
  ShowIconPage(position);
  window_.SetStatusText(L"アイコンファイルセットが完了しました。");
}

HBRUSH IconPalette::Colour(HWND control, HDC dc) const {
  for (int k = 0; k < kSlots; ++k) {
    if (control == controls_.squares[k] || control == controls_.slots[k]) {
      SetBkColor(dc, squareColours_[k]);
      return squareColours_[k] == kSelected ? maroon_.get() : green_.get();
    }
  }
  if (control == controls_.Panel4) {
    SetTextColor(dc, kPanelText);
    SetBkColor(dc, kPanelBack);
    return navy_.get();
  }
  return nullptr;
}

LRESULT CALLBACK IconPalette::PageProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam,
                                       UINT_PTR, DWORD_PTR self) noexcept {
  auto* palette = reinterpret_cast<IconPalette*>(self);
  if (message == WM_CTLCOLORSTATIC) {
    if (HBRUSH brush =
            palette->Colour(reinterpret_cast<HWND>(lParam), reinterpret_cast<HDC>(wParam))) {
      return reinterpret_cast<LRESULT>(brush);
    }
  } else if (message == WM_NCDESTROY) {
    RemoveWindowSubclass(window, PageProc, kPageSubclass);
    palette->controls_.page = nullptr;
  }
  return DefSubclassProc(window, message, wParam, lParam);
}

}  // namespace tags
